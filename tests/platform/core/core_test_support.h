// Helpers shared by the core platform tests: a stand-in for the toolkit half of the platform,
// scratch folders, file contents and GBK bytes made independently of the code under test.
#pragma once

#include <iconv.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/null_platform.h"

namespace kalvor::test {

// The headless platform with its message boxes recorded (and echoed to stderr, so death tests
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

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// UTF-8 to GBK with iconv directly, as a Windows program would have stored the text.
inline std::string Gbk(std::string_view utf8) {
  iconv_t cd = iconv_open("GBK", "UTF-8");
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  std::size_t inLeft = utf8.size();
  char* dst = out.data();
  std::size_t outLeft = out.size();
  iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

// GBK to UTF-8 with iconv directly.
inline std::string Utf8FromGbk(std::string_view gbk) {
  iconv_t cd = iconv_open("UTF-8", "GBK");
  std::string out(gbk.size() * 3 + 4, '\0');
  char* in = const_cast<char*>(gbk.data());
  std::size_t inLeft = gbk.size();
  char* dst = out.data();
  std::size_t outLeft = out.size();
  iconv(cd, &in, &inLeft, &dst, &outLeft);
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

// Runs a shell command in a folder; its exit status.
inline int RunIn(const std::string& folder, const std::string& command) {
  return std::system(("cd '" + folder + "' && " + command).c_str());
}

}  // namespace kalvor::test
