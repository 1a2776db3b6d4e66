#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "tests/platform/core/core_test_support.h"

namespace kalvor::test {

const int kFatalExitStatus = 255;
const char* const kSystemMathLibrary = "libm.so.6";

ScopedHome::ScopedHome(const std::string& home) {
  if (const char* old = std::getenv("HOME")) {
    old_ = old;
    hadOld_ = true;
  }
  setenv("HOME", home.c_str(), 1);
}

ScopedHome::~ScopedHome() {
  if (hadOld_) {
    setenv("HOME", old_.c_str(), 1);
  } else {
    unsetenv("HOME");
  }
}

std::string TestProgramFolder() {
  return std::filesystem::read_symlink("/proc/self/exe").parent_path().string() + "/";
}

bool LibraryLoaded(const std::string& path) {
  void* probe = dlopen(path.c_str(), RTLD_LAZY | RTLD_NOLOAD);
  if (probe != nullptr) dlclose(probe);
  return probe != nullptr;
}

bool ReadOnlyIsEnforced(const std::string& path) {
  return access(path.c_str(), W_OK) != 0;
}

void MakeReadOnly(const std::string& path, bool readOnly) {
  chmod(path.c_str(), readOnly ? 0444 : 0644);
}

std::unique_ptr<ExclusiveHold> ExclusiveHold::On(const std::string& path) {
  class Lock : public ExclusiveHold {
   public:
    explicit Lock(int fd) : fd_(fd) {}
    ~Lock() override { close(fd_); }

   private:
    int fd_;
  };
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0 || flock(fd, LOCK_EX) != 0) return nullptr;
  return std::make_unique<Lock>(fd);
}

}  // namespace kalvor::test
