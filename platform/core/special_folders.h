// The folders the platform names by number, and the program's own folder; one implementation per
// system (special_folders_posix.cpp, special_folders_win32.cpp).
#pragma once

#include <cstdint>
#include <string>

namespace kalvor {

class SpecialFolders {
 public:
  // The folder of a special-folder code, ending in the system's separator ("/", or "\" on
  // Windows); "" for an unknown code or a folder the system cannot name. Asks the system afresh
  // every time and creates nothing.
  static std::string Get(std::int32_t code);
  // The folder holding the running program file, ending in the separator; "" when it cannot be
  // found.
  static std::string ProgramFolder();
  // The folder of the data shipped with a program in the given folder: <prefix>/share/kalvor/
  // for a program installed as <prefix>/lib/kalvor/kalvor on Linux, else (a build tree,
  // or Windows, where the help lies beside the program) the program's own folder. Ends in the
  // separator; "" for an empty program folder.
  static std::string ShippedDataFolder(const std::string& programFolder);
};

}  // namespace kalvor
