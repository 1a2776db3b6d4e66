#include "platform/core/file_search.h"

#include <fcntl.h>
#include <sys/stat.h>

namespace kalvor {
namespace {

// Splits "a/b/c*" into the folder to open ("a/b/", "." for none) and the last component.
void SplitPattern(std::string_view pattern, std::string& folder, std::string& name) {
  const std::size_t slash = pattern.rfind('/');
  if (slash == std::string_view::npos) {
    folder = ".";
    name = std::string(pattern);
  } else {
    folder = std::string(pattern.substr(0, slash + 1));
    name = std::string(pattern.substr(slash + 1));
  }
  // A directory search treats "*.*" as every name, with or without a dot.
  if (name == "*.*") name = "*";
}

bool IsUtf8Continuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

bool IsFolderEntry(DIR* dir, const dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
  struct stat st {};
  // A link to a folder is a folder, as the directory search reports it.
  return fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool FileSearch::HasWildcards(std::string_view text) {
  return text.find_first_of("*?") != std::string_view::npos;
}

bool FileSearch::Matches(std::string_view name, std::string_view pattern) {
  // Greedy matching with a single backtrack point for the last "*": linear in practice.
  std::size_t n = 0, p = 0;
  std::size_t starP = std::string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      ++n;
      while (n < name.size() && IsUtf8Continuation(name[n])) ++n;
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p;
      ++n;
    } else if (starP != std::string_view::npos) {
      // Let the last "*" take one more character and try again.
      p = starP + 1;
      ++starN;
      while (starN < name.size() && IsUtf8Continuation(name[starN])) ++starN;
      n = starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool FileSearch::Exists(std::string_view path) {
  if (path.empty()) return false;
  std::string folder, name;
  SplitPattern(path, folder, name);
  if (!HasWildcards(name)) {
    struct stat st {};
    return stat(std::string(path).c_str(), &st) == 0;
  }
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    if (Matches(entry->d_name, name)) {
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

bool FileSearch::Start(std::string_view pattern) {
  Close();
  SplitPattern(pattern, folder_, pattern_);
  dir_ = opendir(folder_.c_str());
  return dir_ != nullptr;
}

std::string FileSearch::Next() {
  if (dir_ == nullptr) return {};
  while (const dirent* entry = readdir(dir_)) {
    if (Matches(entry->d_name, pattern_) && !IsFolderEntry(dir_, entry)) return entry->d_name;
  }
  Close();
  return {};
}

void FileSearch::Close() {
  if (dir_ != nullptr) closedir(dir_);
  dir_ = nullptr;
}

}  // namespace kalvor
