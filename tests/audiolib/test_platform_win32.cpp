#include <windows.h>

#include <cstdlib>
#include <vector>

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
  // What is allocated in every heap of the process: the C runtime's and those of the system's
  // libraries (Wine does not count a process's private bytes).
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  std::size_t total = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry)) {
      if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) total += entry.cbData;
    }
    HeapUnlock(heap);
  }
  return total;
}

}  // namespace kalvor::test
