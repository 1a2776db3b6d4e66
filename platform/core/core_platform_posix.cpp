#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "platform/core/core_platform.h"
#include "platform/core/ini_file.h"
#include "platform/core/posix_io.h"
#include "platform/core/special_folders.h"

namespace kalvor {
namespace {

// mkdir -p; the folders made for the user's own data are private to the user.
void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    mkdir(path.substr(0, slash).c_str(), 0700);
  }
  mkdir(path.c_str(), 0700);
}

}  // namespace

bool CorePlatform::RemoveFile(std::string_view path) {
  if (path.empty()) return false;
  const std::string name(path);
  struct stat st {};
  if (lstat(name.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  return unlink(name.c_str()) == 0;
}

bool CorePlatform::WriteBytesToFile(std::string_view path,
                                    std::initializer_list<std::span<const std::uint8_t>> blocks) {
  if (path.empty()) return false;
  const std::string name(path);
  const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  // Exclusive access: a file that another writer holds is left alone. It is truncated only once
  // the lock is held.
  bool ok = flock(fd, LOCK_EX | LOCK_NB) == 0 && ftruncate(fd, 0) == 0;
  for (const auto& block : blocks) {
    if (!ok) break;
    ok = WriteAll(fd, block.data(), block.size());
  }
  return close(fd) == 0 && ok;
}

void CorePlatform::PrepareProcess(const char* argv0) {
  std::string folder = SpecialFolders::ProgramFolder();
  if (folder.empty() && argv0 != nullptr) {
    // Without /proc: the folder part of the command that started the program.
    const std::string command(argv0);
    const std::size_t slash = command.rfind('/');
    if (slash != std::string::npos) folder = command.substr(0, slash + 1);
  }
  if (!folder.empty() && chdir(folder.c_str()) != 0) {
    std::perror("kalvor: cannot enter the program's folder");
  }
  for (const std::int32_t code : {8, 10}) {
    std::string path = SpecialFolders::Get(code);
    if (path.size() > 1) path.pop_back();
    if (!path.empty()) MakeFolders(path);
  }
  // A board killed while it replaced data.ini left its temporary file behind.
  IniFile::RemoveAbandonedTemporaries(SpecialFolders::Get(8));
}

}  // namespace kalvor
