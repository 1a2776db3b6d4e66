#include "platform/core/special_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

namespace kalvor {
namespace {

// The user's home folder without a trailing "/"; "" when unknown.
std::string Home() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    std::string path = home;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
  }
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
    return entry->pw_dir;
  }
  return {};
}

std::string WithSlash(std::string path) {
  if (!path.empty() && path.back() != '/') path.push_back('/');
  return path;
}

// An XDG base folder: the variable when it holds an absolute path, else the fallback under home.
std::string BaseFolder(const char* variable, std::string_view fallback) {
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
    std::string path = value;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
  }
  const std::string home = Home();
  if (home.empty()) return {};
  return home + "/" + std::string(fallback);
}

// A user folder from user-dirs.dirs (the file `xdg-user-dir` reads), e.g. XDG_DOCUMENTS_DIR;
// the fallback under home when the file does not name it.
std::string UserDir(std::string_view name, std::string_view fallback) {
  const std::string home = Home();
  if (home.empty()) return {};
  const std::string config = BaseFolder("XDG_CONFIG_HOME", ".config");
  std::ifstream file(config + "/user-dirs.dirs");
  std::string line;
  while (std::getline(file, line)) {
    // Lines look like: XDG_DOCUMENTS_DIR="$HOME/Documents"
    if (line.size() <= name.size() + 3 || line.compare(0, name.size(), name) != 0 ||
        line[name.size()] != '=' || line[name.size() + 1] != '"' || line.back() != '"') {
      continue;
    }
    std::string value = line.substr(name.size() + 2, line.size() - name.size() - 3);
    if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
    if (value.empty() || value[0] != '/') continue;
    return value;
  }
  return home + "/" + std::string(fallback);
}

std::string DataHome() {
  return BaseFolder("XDG_DATA_HOME", ".local/share");
}

}  // namespace

std::string SpecialFolders::ProgramFolder() {
  std::string path(4096, '\0');
  const ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return {};
  path.resize(static_cast<std::size_t>(n));
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {};
  return path.substr(0, slash + 1);
}

std::string SpecialFolders::ShippedDataFolder(const std::string& programFolder) {
  if (programFolder.empty()) return {};
  const std::string program = WithSlash(programFolder);
  const std::string installed = program + "../../share/kalvor/";
  struct stat st {};
  if (stat(installed.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return program;
  // Without the "..": <prefix>/share/kalvor/.
  std::string prefix = program.substr(0, program.size() - 1);
  for (int up = 0; up < 2 && prefix.rfind('/') != std::string::npos; ++up) {
    prefix.resize(prefix.rfind('/'));
  }
  return prefix + "/share/kalvor/";
}

// The Linux counterparts of the Windows folders:
//   1 documents       XDG_DOCUMENTS_DIR of user-dirs.dirs, else ~/Documents
//   2 favourites      none: Linux has no folder of favourite links, so the empty text
//   3 desktop         XDG_DESKTOP_DIR of user-dirs.dirs, else ~/Desktop
//   4 fonts           /usr/share/fonts, the system font folder
//   5 start menu      $XDG_DATA_HOME/applications, where menu entries of the user live
//   6 programs        the same folder: the menu has no separate programs level
//   7 autostart       $XDG_CONFIG_HOME/autostart
//   8 program data    $XDG_DATA_HOME/kalvor (~/.local/share/kalvor), the per-user data folder
//   9 system          /usr
//  10 libraries       ~/.local/lib/kalvor, the per-user library folder searched by BindExternal
//  11 temporary       $TMPDIR, else /tmp
//  12 shipped data    <prefix>/share/kalvor beside an installed program, else the program's folder
std::string SpecialFolders::Get(std::int32_t code) {
  std::string folder;
  switch (code) {
    case 1:
      folder = UserDir("XDG_DOCUMENTS_DIR", "Documents");
      break;
    case 3:
      folder = UserDir("XDG_DESKTOP_DIR", "Desktop");
      break;
    case 4:
      folder = "/usr/share/fonts";
      break;
    case 5:
    case 6:
      folder = DataHome();
      if (!folder.empty()) folder += "/applications";
      break;
    case 7:
      folder = BaseFolder("XDG_CONFIG_HOME", ".config");
      if (!folder.empty()) folder += "/autostart";
      break;
    case 8:
      folder = DataHome();
      if (!folder.empty()) folder += "/kalvor";
      break;
    case 9:
      folder = "/usr";
      break;
    case 10:
      folder = Home();
      if (!folder.empty()) folder += "/.local/lib/kalvor";
      break;
    case 12:
      folder = ShippedDataFolder(ProgramFolder());
      break;
    case 11: {
      const char* tmp = std::getenv("TMPDIR");
      folder = (tmp != nullptr && tmp[0] == '/') ? tmp : "/tmp";
      break;
    }
    default:
      break;
  }
  return WithSlash(std::move(folder));
}

}  // namespace kalvor
