// Helpers shared by the core platform tests: the null platform with what it shows recorded, and
// scratch folders. Whole files and GBK bytes come from tests/support.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <filesystem>
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

// A fresh folder under the temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kalvor-core-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ec;
    // Read-only folders made by a test would stop the removal.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
      std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

// Runs a shell command in a folder; its exit status.
inline int RunIn(const std::string& folder, const std::string& command) {
  return std::system(("cd '" + folder + "' && " + command).c_str());
}

}  // namespace kalvor::test
