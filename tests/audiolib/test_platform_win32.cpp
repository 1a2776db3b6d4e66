#include <windows.h>
// after windows.h, which it builds on
#include <psapi.h>

#include <cstdlib>

#include "tests/audiolib/test_platform.h"

namespace kalvor::test {

bool UseSilentOutput() {
  // wine-run.sh names the tape of the test sound server when one runs.
  return std::getenv("KALVOR_TEST_TAPE") != nullptr;
}

const char* SilentOutputDriver() {
  return "waveout";
}

bool LibraryDecodes(const std::string& extension) {
  // No Ogg decoder comes with Windows.
  return extension != ".ogg";
}

bool LibrarySeeksExactly(const std::string& extension) {
  return LibraryDecodes(extension);
}

std::size_t ProcessMemoryBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                       sizeof counters);
  return counters.PrivateUsage;
}

}  // namespace kalvor::test
