#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>

#include "platform/core/ini_file_storage.h"
#include "platform/core/posix_io.h"

namespace kalvor::ini_storage {
namespace {

// Reads a whole file into `buffer`; false when it cannot be opened (errno tells why). A settings
// file fits the first read, so a read costs one open, one read and one close.
bool ReadWholeFile(const char* path, std::vector<char>& buffer, std::size_t& size,
                   struct stat* st = nullptr) {
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  if (st != nullptr && fstat(fd, st) != 0) {
    close(fd);
    return false;
  }
  if (buffer.size() < 64 * 1024) buffer.resize(64 * 1024);
  size = 0;
  bool ok = true;
  for (;;) {
    const ssize_t n = read(fd, buffer.data() + size, buffer.size() - size);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    size += static_cast<std::size_t>(n);
    if (size < buffer.size()) {
      if (n == 0 || st == nullptr) break;  // a short read of a regular file is its end
      continue;
    }
    buffer.resize(buffer.size() * 2);
  }
  const int saved = errno;
  close(fd);
  errno = saved;
  return ok;
}

// Writes `content` to a new file beside `target` and renames it over `target`.
bool ReplaceFile(const std::string& target, std::string_view content, const struct stat* old,
                 IniFile::ReplaceHook hook) {
  static std::atomic<unsigned> counter{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = target + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
    // A new file gets the usual mode (0666 less the umask); a replaced one keeps its mode.
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
              old != nullptr ? 0600 : 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  bool ok = (old == nullptr || fchmod(fd, old->st_mode & 07777) == 0) &&
            WriteAll(fd, content.data(), content.size()) && fsync(fd) == 0;
  ok = (close(fd) == 0) && ok;
  if (ok) {
    if (hook != nullptr) hook(temporary.c_str());
    ok = rename(temporary.c_str(), target.c_str()) == 0;
  }
  if (!ok) unlink(temporary.c_str());
  return ok;
}

}  // namespace

bool ReadAll(const std::string& path, std::vector<char>& buffer, std::size_t& size) {
  return ReadWholeFile(path.c_str(), buffer, size);
}

bool Rewrite(const std::string& path,
             const std::function<std::optional<std::string>(std::string_view)>& edit,
             IniFile::ReplaceHook hook) {
  // A link is followed: the file it points to is replaced, the link stays.
  std::string target(path);
  struct stat linkStat {};
  if (lstat(target.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode)) {
    if (char* real = realpath(target.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }

  std::vector<char> buffer;
  std::size_t size = 0;
  struct stat st {};
  const bool exists = ReadWholeFile(target.c_str(), buffer, size, &st);
  if (!exists && errno != ENOENT) return false;
  if (exists && (!S_ISREG(st.st_mode) || access(target.c_str(), W_OK) != 0)) return false;
  const std::optional<std::string> content = edit(std::string_view(buffer.data(), size));
  if (!content) return true;
  return ReplaceFile(target, *content, exists ? &st : nullptr, hook);
}

void RemoveTemporariesOfEndedWriters(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string prefix = folder.back() == '/' ? folder : folder + "/";
  const auto self = static_cast<unsigned long>(getpid());
  while (const dirent* entry = readdir(dir)) {
    const unsigned long owner = TemporaryOwner(entry->d_name);
    if (owner == 0) continue;
    // A process that runs, or that we may not signal, keeps its file.
    const bool runs = kill(static_cast<pid_t>(owner), 0) == 0 || errno == EPERM;
    if (owner != self && runs) continue;
    const std::string file = prefix + entry->d_name;
    struct stat st {};
    if (lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(file.c_str());
  }
  closedir(dir);
}

}  // namespace kalvor::ini_storage
