// Wildcard look-ups in a folder: the directory search behind FileExists and FindFiles.
#pragma once

#include <dirent.h>

#include <string>
#include <string_view>

namespace kalvor {

class FileSearch {
 public:
  FileSearch() = default;
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;
  ~FileSearch() { Close(); }

  // Starts a search for a pattern whose last component may hold the wildcards * and ?; the
  // folder part (if any) resolves against the current folder. False when the folder cannot be read.
  bool Start(std::string_view pattern);
  // The next matching entry that is not a folder, as a bare name; "" at the end, which also
  // closes the search.
  std::string Next();
  void Close();

  // Whether an entry of that path exists: a folder counts; wildcards in the last component match
  // any entry of the folder.
  static bool Exists(std::string_view path);
  // * matches any run of characters, ? exactly one (UTF-8) character; every other byte matches
  // itself. No brackets or escapes: "[" in a file name is an ordinary character.
  static bool Matches(std::string_view name, std::string_view pattern);
  static bool HasWildcards(std::string_view text);

 private:
  DIR* dir_ = nullptr;
  std::string folder_;
  std::string pattern_;
};

}  // namespace kalvor
