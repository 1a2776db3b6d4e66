#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/core/extraction_folder.h"
#include "platform/core/posix_io.h"

namespace kalvor {
namespace {

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

// The entry's MS-DOS date and time are local time.
void SetFileTime(int fd, std::uint16_t dosDate, std::uint16_t dosTime) {
  std::tm tm{};
  tm.tm_sec = (dosTime & 0x1F) * 2;
  tm.tm_min = (dosTime >> 5) & 0x3F;
  tm.tm_hour = dosTime >> 11;
  tm.tm_mday = dosDate & 0x1F;
  tm.tm_mon = ((dosDate >> 5) & 0x0F) - 1;
  tm.tm_year = (dosDate >> 9) + 80;
  tm.tm_isdst = -1;
  const std::time_t when = std::mktime(&tm);
  if (when == static_cast<std::time_t>(-1)) return;
  const timespec times[2] = {{when, 0}, {when, 0}};
  futimens(fd, times);
}

}  // namespace

struct ExtractionFolder::State {
  Fd root;
  std::string cachedFolder;  // entries of one folder follow each other: keep it open
  Fd cachedFolderFd;
};

ExtractionFolder::ExtractionFolder() : state_(std::make_unique<State>()) {}

ExtractionFolder::~ExtractionFolder() = default;

bool ExtractionFolder::Open(const std::string& path) {
  std::string target = path;
  while (target.size() > 1 && target.back() == '/') target.pop_back();
  if (!MakeFolders(target)) return false;
  state_->root.reset(open(target.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  return state_->root.get() >= 0;
}

bool ExtractionFolder::MakeFolder(const std::vector<std::string>& parts, std::size_t count) {
  const Fd folder(OpenFolder(state_->root.get(), parts, count));
  return folder.get() >= 0;
}

bool ExtractionFolder::WriteFile(const std::vector<std::string>& parts, std::uint16_t dosDate,
                                 std::uint16_t dosTime,
                                 const std::function<bool(const Writer&)>& fill) {
  State& s = *state_;
  const std::string folderPath = Join(parts, parts.size() - 1);
  if (s.cachedFolderFd.get() < 0 || folderPath != s.cachedFolder) {
    s.cachedFolderFd.reset(OpenFolder(s.root.get(), parts, parts.size() - 1));
    s.cachedFolder = folderPath;
    if (s.cachedFolderFd.get() < 0) return false;
  }
  Fd file(CreateFile(s.cachedFolderFd.get(), parts.back().c_str()));
  if (file.get() < 0) return false;
  if (!fill([&](const char* data, std::size_t size) { return WriteAll(file.get(), data, size); })) {
    return false;
  }
  SetFileTime(file.get(), dosDate, dosTime);
  return close(file.release()) == 0;
}

}  // namespace kalvor
