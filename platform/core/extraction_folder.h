// The target folder of an archive extraction, one implementation per system
// (zip_extractor_posix.cpp, zip_extractor_win32.cpp): folders and files are made below it by
// their name parts, and nothing ever leads out of it, neither ".." (the parts hold none) nor a
// link or junction that points elsewhere.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kalvor {

class ExtractionFolder {
 public:
  // Receives a file's contents piece by piece; false when a piece cannot be written.
  using Writer = std::function<bool(const char* data, std::size_t size)>;

  ExtractionFolder();
  ~ExtractionFolder();
  ExtractionFolder(const ExtractionFolder&) = delete;
  ExtractionFolder& operator=(const ExtractionFolder&) = delete;

  // Creates the folder at the path (and the folders above it) and opens it; false when it cannot.
  bool Open(const std::string& path);
  // Creates, where missing, the folder made of the first `count` parts below the target.
  bool MakeFolder(const std::vector<std::string>& parts, std::size_t count);
  // Creates the file of the parts anew (its folders as needed; a read-only file is replaced and
  // ends writable) and lets `fill` write its contents; then stamps it with the MS-DOS date and
  // time (local time). False when any of it fails.
  bool WriteFile(const std::vector<std::string>& parts, std::uint16_t dosDate,
                 std::uint16_t dosTime, const std::function<bool(const Writer&)>& fill);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace kalvor
