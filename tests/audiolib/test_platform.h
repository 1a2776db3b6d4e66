// What the library's tests need to know about the platform they run on, so the same tests check
// the same contract on Linux (SDL2, libsndfile) and on Windows (Win32, under Wine).
#pragma once

#include <cstddef>
#include <string>

namespace kalvor::test {

// Points the library at an output nobody listens to: SDL's dummy driver on Linux, the test sound
// server's null sink under Wine. False when there is none; the test is skipped then.
bool UseSilentOutput();
// The driver BASS_GetDeviceInfo names for that output.
const char* SilentOutputDriver();

// Whether this platform's library plays files of this kind (".mp3", ".ogg", ...).
bool LibraryDecodes(const std::string& extension);
// Whether its decoder of that kind reads after a seek exactly what it read there from the start.
bool LibrarySeeksExactly(const std::string& extension);

// The bytes the process has allocated on its heaps.
std::size_t ProcessMemoryBytes();

}  // namespace kalvor::test
