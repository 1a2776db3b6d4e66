#include "platform/core/zip_extractor.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <unzip.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string>
#include <vector>

#include "platform/core/gbk_text.h"

namespace kalvor {
namespace {

constexpr std::size_t kPieceBytes = 16 * 1024;  // inflated and written per step
constexpr unsigned long kUtf8NameFlag = 1ul << 11;
constexpr unsigned long kFolderAttribute = 0x10;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  Fd(Fd&& other) noexcept : fd_(other.release()) {}
  Fd& operator=(Fd&& other) noexcept {
    reset(other.release());
    return *this;
  }
  ~Fd() { reset(); }
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset(int fd = -1) {
    if (fd_ >= 0) close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

bool MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    const std::string prefix = path.substr(0, slash);
    if (mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) return false;
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The components of an entry name, or false when the name is unsafe: absolute, holding a ".."
// component, or holding a zero byte (the system reads "..\0x" as ".."). "\" separates like
// "/", as it does in archives made on Windows.
bool SplitEntryName(std::string name, std::vector<std::string>& parts) {
  parts.clear();
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos) return false;
  std::size_t begin = 0;
  while (begin <= name.size()) {
    std::size_t end = name.find('/', begin);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(begin, end - begin);
    if (part == "..") return false;
    if (!part.empty() && part != ".") parts.push_back(part);
    begin = end + 1;
  }
  return true;
}

std::string Join(const std::vector<std::string>& parts, std::size_t count) {
  std::string path;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) path.push_back('/');
    path += parts[i];
  }
  return path;
}

// Opens a folder below `root` without ever leaving it: neither ".." nor a symbolic link may lead
// out. openat2 lets links that stay inside pass; where it is missing, every link is refused.
int OpenBeneath(int root, const std::vector<std::string>& parts, std::size_t count) {
  if (count == 0) return fcntl(root, F_DUPFD_CLOEXEC, 0);
  static bool haveOpenat2 = true;
  if (haveOpenat2) {
    open_how how{};
    how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
    how.resolve = RESOLVE_BENEATH | RESOLVE_NO_MAGICLINKS;
    const std::string path = Join(parts, count);
    const long fd = syscall(SYS_openat2, root, path.c_str(), &how, sizeof how);
    if (fd >= 0 || (errno != ENOSYS && errno != EPERM)) return static_cast<int>(fd);
    haveOpenat2 = false;
  }
  Fd current(fcntl(root, F_DUPFD_CLOEXEC, 0));
  for (std::size_t i = 0; i < count && current.get() >= 0; ++i) {
    current.reset(
        openat(current.get(), parts[i].c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  }
  return current.release();
}

// Opens (creating when missing) the folder made of the first `count` parts below `root`.
int OpenFolder(int root, const std::vector<std::string>& parts, std::size_t count) {
  int fd = OpenBeneath(root, parts, count);
  if (fd >= 0 || errno != ENOENT) return fd;
  Fd parent(fcntl(root, F_DUPFD_CLOEXEC, 0));
  for (std::size_t i = 1; i <= count; ++i) {
    Fd next(OpenBeneath(root, parts, i));
    if (next.get() < 0 && errno == ENOENT) {
      if (mkdirat(parent.get(), parts[i - 1].c_str(), 0777) != 0 && errno != EEXIST) return -1;
      next.reset(OpenBeneath(root, parts, i));
    }
    if (next.get() < 0) return -1;
    parent = std::move(next);
  }
  return parent.release();
}

// Creates the file anew. The old file is removed first, which also replaces one that is
// read-only; in a folder that forbids removing, the file is made writable and truncated.
int CreateFile(int folder, const char* name) {
  if (unlinkat(folder, name, 0) != 0 && errno != ENOENT) {
    if (errno == EISDIR) return -1;
    struct stat st {};
    if (fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) return -1;
    fchmodat(folder, name, (st.st_mode & 07777) | S_IWUSR, 0);
    return openat(folder, name, O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
  }
  return openat(folder, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// The entry's DOS date and time are local time.
void SetFileTime(int fd, const tm_unz& date) {
  std::tm tm{};
  tm.tm_sec = static_cast<int>(date.tm_sec);
  tm.tm_min = static_cast<int>(date.tm_min);
  tm.tm_hour = static_cast<int>(date.tm_hour);
  tm.tm_mday = static_cast<int>(date.tm_mday);
  tm.tm_mon = static_cast<int>(date.tm_mon);
  tm.tm_year = static_cast<int>(date.tm_year) - 1900;
  tm.tm_isdst = -1;
  const std::time_t when = std::mktime(&tm);
  if (when == static_cast<std::time_t>(-1)) return;
  const timespec times[2] = {{when, 0}, {when, 0}};
  futimens(fd, times);
}

class Archive {
 public:
  explicit Archive(const std::string& path) : file_(unzOpen64(path.c_str())) {}
  Archive(const Archive&) = delete;
  Archive& operator=(const Archive&) = delete;
  ~Archive() {
    if (file_ != nullptr) unzClose(file_);
  }
  unzFile get() const { return file_; }

 private:
  unzFile file_;
};

// Inflates the current entry into the file `fd`.
bool InflateEntry(unzFile zip, int fd, std::vector<char>& piece) {
  if (unzOpenCurrentFile(zip) != UNZ_OK) return false;
  bool ok = true;
  for (;;) {
    const int n = unzReadCurrentFile(zip, piece.data(), static_cast<unsigned>(piece.size()));
    if (n < 0 || (n > 0 && !WriteAll(fd, piece.data(), static_cast<std::size_t>(n)))) {
      ok = false;
      break;
    }
    if (n == 0) break;
  }
  // Closing checks the CRC once the whole entry has been read.
  return unzCloseCurrentFile(zip) == UNZ_OK && ok;
}

}  // namespace

std::int32_t ZipExtractor::Extract(std::string_view zipPath, std::string_view targetFolder,
                                   const Progress& progress) {
  if (zipPath.empty() || targetFolder.empty()) return -1;
  const std::string zip(zipPath);
  struct stat zipStat {};
  if (stat(zip.c_str(), &zipStat) != 0) return -1;

  std::string target(targetFolder);
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  if (!MakeFolders(target)) return 0;
  const Fd root(open(target.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (root.get() < 0) return 0;

  const Archive archive(zip);
  unz_global_info64 global{};
  if (archive.get() == nullptr || unzGetGlobalInfo64(archive.get(), &global) != UNZ_OK) return 0;
  const ZPOS64_T count = global.number_entry;

  std::vector<char> piece(kPieceBytes);
  std::vector<char> rawName(0x10000 + 1);
  std::vector<std::string> parts;
  std::string cachedFolder;  // entries of one folder follow each other: keep it open
  Fd cachedFolderFd;

  int status = unzGoToFirstFile(archive.get());
  for (ZPOS64_T done = 0; status == UNZ_OK; status = unzGoToNextFile(archive.get())) {
    unz_file_info64 info{};
    if (unzGetCurrentFileInfo64(archive.get(), &info, rawName.data(), rawName.size(), nullptr, 0,
                                nullptr, 0) != UNZ_OK) {
      return 0;
    }
    const std::string_view raw(rawName.data(),
                               std::min<std::size_t>(info.size_filename, rawName.size() - 1));
    std::string name = (info.flag & kUtf8NameFlag) != 0 ? std::string(raw) : GbkText::ToUtf8(raw);
    const bool isFolder =
        (info.external_fa & kFolderAttribute) != 0 || name.ends_with('/') || name.ends_with('\\');
    if (!SplitEntryName(std::move(name), parts)) return 0;

    if (isFolder) {
      const Fd folder(OpenFolder(root.get(), parts, parts.size()));
      if (folder.get() < 0) return 0;
    } else {
      if (parts.empty()) return 0;
      const std::string folderPath = Join(parts, parts.size() - 1);
      if (cachedFolderFd.get() < 0 || folderPath != cachedFolder) {
        cachedFolderFd.reset(OpenFolder(root.get(), parts, parts.size() - 1));
        cachedFolder = folderPath;
        if (cachedFolderFd.get() < 0) return 0;
      }
      Fd file(CreateFile(cachedFolderFd.get(), parts.back().c_str()));
      if (file.get() < 0 || !InflateEntry(archive.get(), file.get(), piece)) return 0;
      SetFileTime(file.get(), info.tmu_date);
      if (close(file.release()) != 0) return 0;
    }
    ++done;
    // The end record's count may be 0 or too small for the entries the directory really holds.
    if (progress) progress(static_cast<int>(done * 100 / std::max(count, done)));
  }
  return status == UNZ_END_OF_LIST_OF_FILE ? 1 : 0;
}

}  // namespace kalvor
