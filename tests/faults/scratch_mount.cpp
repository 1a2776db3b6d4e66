#include "tests/faults/scratch_mount.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace kalvor::test {
namespace {

std::string& Reason() {
  static std::string reason = "the private mount namespace was not entered";
  return reason;
}

}  // namespace

void ScratchMount::EnterPrivateNamespace() {
  if (unshare(CLONE_NEWNS) != 0) {
    Reason() = std::string("no mount namespace of our own (") + std::strerror(errno) +
               "): mounting needs root or CAP_SYS_ADMIN";
    return;
  }
  if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
    Reason() = std::string("cannot make the mounts private: ") + std::strerror(errno);
    return;
  }
  Reason().clear();
}

const std::string& ScratchMount::Unavailable() {
  return Reason();
}

ScratchMount::ScratchMount(std::string folder, std::size_t bytes)
    : folder_(std::move(folder)), bytes_(bytes) {
  if (!Unavailable().empty()) {
    error_ = Unavailable();
    return;
  }
  const std::string options = "size=" + std::to_string(bytes_) + ",mode=0755";
  if (mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
    error_ = "mount -t tmpfs on " + folder_ + ": " + std::strerror(errno);
    return;
  }
  mounted_ = true;
}

ScratchMount::~ScratchMount() {
  if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
}

bool ScratchMount::SetReadOnly(bool readOnly) {
  const std::string options = "size=" + std::to_string(bytes_);
  unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV;
  if (readOnly) flags |= MS_RDONLY;
  return mounted_ && mount("tmpfs", folder_.c_str(), "tmpfs", flags, options.c_str()) == 0;
}

bool ScratchMount::Fill(const std::string& name, std::size_t leave) {
  const std::string path = folder_ + "/" + name;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::vector<char> block(4096, 'f');
  off_t size = 0;
  for (;;) {
    const ssize_t n = write(fd, block.data(), block.size());
    if (n <= 0) break;
    size += n;
  }
  const bool full = errno == ENOSPC;
  const off_t page = 4096;
  const off_t give = static_cast<off_t>((leave + page - 1) / page) * page;
  const bool ok = full && ftruncate(fd, size > give ? size - give : 0) == 0;
  close(fd);
  return ok;
}

std::size_t ScratchMount::Free() const {
  struct statvfs st {};
  if (statvfs(folder_.c_str(), &st) != 0) return 0;
  return static_cast<std::size_t>(st.f_bavail) * st.f_frsize;
}

}  // namespace kalvor::test
