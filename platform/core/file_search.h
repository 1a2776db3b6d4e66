// Wildcard look-ups in a folder: the directory search behind FileExists and FindFiles. Reading a
// folder is the system's (file_search_posix.cpp, file_search_win32.cpp).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kalvor {

class FileSearch {
 public:
  FileSearch();
  FileSearch(const FileSearch&) = delete;
  FileSearch& operator=(const FileSearch&) = delete;
  ~FileSearch();

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
  // itself (an ASCII letter also its other case where the system's file names ignore case, as
  // Windows' do). No brackets or escapes: "[" in a file name is an ordinary character.
  static bool Matches(std::string_view name, std::string_view pattern);
  static bool HasWildcards(std::string_view text);

 private:
  // The entries of one folder, in the system's order, "." and ".." left out.
  class Listing {
   public:
    // nullptr when the folder cannot be read.
    static std::unique_ptr<Listing> Open(const std::string& folder);
    virtual ~Listing() = default;
    // The next entry; false at the end.
    virtual bool Next(std::string& name, bool& isFolder) = 0;
  };
  // Whether anything exists at the path (no wildcards).
  static bool PathExists(const std::string& path);
  static const bool kNamesIgnoreCase;
  static const std::string_view kSeparators;  // what ends the folder part of a pattern

  std::unique_ptr<Listing> listing_;
  std::string pattern_;
};

}  // namespace kalvor
