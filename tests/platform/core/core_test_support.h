// Helpers shared by the core platform tests: the null platform with what it shows recorded,
// scratch folders, and what the tests need of the system (core_test_system_posix.cpp,
// core_test_system_win32.cpp). Whole files and GBK bytes come from tests/support.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/null_platform.h"
#include "tests/support/files.h"
#include "tests/support/gbk.h"

namespace kalvor::test {

// The null platform with its message boxes recorded (and echoed to stderr, so death tests
// can match the fatal error's text) and the archive's progress recorded.
class TestPlatform : public NullPlatform {
 public:
  struct Box {
    std::string text;
    std::int32_t style = 0;
    std::string title;
  };
  std::vector<Box> boxes;
  std::vector<int> progress;

  std::int32_t ShowMessageBox(std::string_view text, std::int32_t style, std::string_view title,
                              std::string_view parent) override {
    boxes.push_back({std::string(text), style, std::string(title)});
    return NullPlatform::ShowMessageBox(text, style, title, parent);
  }

 protected:
  void ArchiveProgress(std::string_view, std::string_view, int percent) override {
    progress.push_back(percent);
  }
};

// A fresh folder under the temporary folder, removed with everything in it. Its path is UTF-8.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    std::error_code ec;
    for (;;) {
      const auto candidate =
          std::filesystem::temp_directory_path() / ("kalvor-core-" + std::to_string(random()));
      if (std::filesystem::create_directory(candidate, ec)) {
        path_ = Utf8(candidate);
        break;
      }
    }
  }
  ~TempDir() {
    std::error_code ec;
    // Read-only folders made by a test would stop the removal.
    for (auto it = std::filesystem::recursive_directory_iterator(Path(), ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(Path(), ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }
  // For std::filesystem.
  std::filesystem::path Path(std::string_view name = {}) const {
    return FilePath(name.empty() ? path_ : *this / name).get();
  }

  static std::string Utf8(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
  }

 private:
  std::string path_;
};

// What differs between the systems.
// The exit status of a process ended by a fatal error (exit code -1).
extern const int kFatalExitStatus;
// The folder of the running test program, ending in the separator.
std::string TestProgramFolder();
// Whether the library file is loaded into this process.
bool LibraryLoaded(const std::string& path);
// Whether the system refuses to write a file that is read-only for its owner (root ignores it).
bool ReadOnlyIsEnforced(const std::string& path);
// Makes the file read-only (or writable again) for everyone.
void MakeReadOnly(const std::string& path, bool readOnly = true);
// A library of the system with the function "cos" in it.
extern const char* const kSystemMathLibrary;
// Points the per-user folders at `home` while it lives, where the system takes them from the
// environment (Linux); on Windows they stay the user's own.
class ScopedHome {
 public:
  explicit ScopedHome(const std::string& home);
  ~ScopedHome();
  ScopedHome(const ScopedHome&) = delete;
  ScopedHome& operator=(const ScopedHome&) = delete;

 private:
  std::string old_;
  bool hadOld_ = false;
};
// Holds the file open so that no other writer gets it, while it lives.
class ExclusiveHold {
 public:
  static std::unique_ptr<ExclusiveHold> On(const std::string& path);
  virtual ~ExclusiveHold() = default;
};

// Runs a shell command in a folder; its exit status.
inline int RunIn(const std::string& folder, const std::string& command) {
  return std::system(("cd '" + folder + "' && " + command).c_str());
}

}  // namespace kalvor::test
