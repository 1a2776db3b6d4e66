// Helper process of the fault tests: writes settings the way the program does.
//
//   fault_settings_writer burst FILE FIRST_ROUND   writes round after round of the burst entries,
//                                                   from FIRST_ROUND on, until it is killed; prints
//                                                   "ready" once the first write is under way
//   fault_settings_writer once FILE SECTION KEY VALUE
//                                                   one write; exit status 0 when it reported
//                                                   success
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/core/ini_file.h"
#include "tests/faults/settings_burst.h"

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "once" && argc == 6) {
    return kalvor::IniFile::Write(argv[2], argv[3], argv[4], argv[5]) ? 0 : 1;
  }
  if (mode == "burst" && argc == 4) {
    const std::string file = argv[2];
    std::int64_t round = std::atoll(argv[3]);
    std::puts("ready");
    std::fflush(stdout);
    for (;; ++round) {
      for (int i = 0; i < kalvor::test::kBurstEntries; ++i) {
        const auto entry = kalvor::test::BurstEntryAt(i);
        if (!kalvor::IniFile::Write(file, entry.section, entry.key,
                                    kalvor::test::BurstValue(round, i))) {
          std::perror("write failed");
          return 3;
        }
      }
    }
  }
  std::fprintf(stderr, "usage: %s burst FILE FIRST_ROUND | once FILE SECTION KEY VALUE\n", argv[0]);
  return 2;
}
