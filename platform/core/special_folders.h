// The folders the platform names by number, and the program's own folder.
#pragma once

#include <cstdint>
#include <string>

namespace kalvor {

class SpecialFolders {
 public:
  // The folder of a special-folder code, ending in "/"; "" for an unknown code or a folder the
  // system cannot name. Asks the environment afresh every time and creates nothing.
  static std::string Get(std::int32_t code);
  // The folder holding the running program file, ending in "/"; "" when it cannot be found.
  static std::string ProgramFolder();
  // The user's home folder without a trailing "/"; "" when unknown.
  static std::string Home();
};

}  // namespace kalvor
