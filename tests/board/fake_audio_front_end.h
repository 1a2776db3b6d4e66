// Stands in for the audio front end in the hotkey tests: PlayNamedSound only records the name, so
// a test sees exactly which sound a key press asked for, without a sound card or sound files.
#pragma once

#include <string>
#include <vector>

namespace kalvor::test {

std::vector<std::string>& PlayedSoundNames();

}  // namespace kalvor::test
