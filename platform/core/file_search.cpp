#include "platform/core/file_search.h"

namespace kalvor {
namespace {

// Splits "a/b/c*" into the folder to open ("a/b/", "." for none) and the last component.
void SplitPattern(std::string_view pattern, std::string_view separators, std::string& folder,
                  std::string& name) {
  const std::size_t slash = pattern.find_last_of(separators);
  if (slash == std::string_view::npos) {
    folder.assign(1, '.');
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

char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
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
    } else if (p < pattern.size() &&
               (pattern[p] == name[n] ||
                (kNamesIgnoreCase && FoldAscii(pattern[p]) == FoldAscii(name[n])))) {
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

FileSearch::FileSearch() = default;

FileSearch::~FileSearch() = default;

bool FileSearch::Exists(std::string_view path) {
  if (path.empty()) return false;
  std::string folder, name;
  SplitPattern(path, kSeparators, folder, name);
  if (!HasWildcards(name)) return PathExists(std::string(path));
  const std::unique_ptr<Listing> listing = Listing::Open(folder);
  if (!listing) return false;
  std::string entry;
  bool isFolder = false;
  while (listing->Next(entry, isFolder)) {
    if (Matches(entry, name)) return true;
  }
  return false;
}

bool FileSearch::Start(std::string_view pattern) {
  Close();
  std::string folder;
  SplitPattern(pattern, kSeparators, folder, pattern_);
  listing_ = Listing::Open(folder);
  return listing_ != nullptr;
}

std::string FileSearch::Next() {
  if (!listing_) return {};
  std::string name;
  bool isFolder = false;
  while (listing_->Next(name, isFolder)) {
    if (!isFolder && Matches(name, pattern_)) return name;
  }
  Close();
  return {};
}

void FileSearch::Close() {
  listing_.reset();
}

}  // namespace kalvor
