#include <windows.h>

#include "platform/core/file_search.h"
#include "platform/core/wide_text.h"

namespace kalvor {

// NTFS and FAT take "A.MP3" and "a.mp3" for the same name, and so does the directory search.
const bool FileSearch::kNamesIgnoreCase = true;
const std::string_view FileSearch::kSeparators = "/\\";

std::unique_ptr<FileSearch::Listing> FileSearch::Listing::Open(const std::string& folder) {
  class DirectoryListing : public Listing {
   public:
    DirectoryListing(HANDLE find, const WIN32_FIND_DATAW& first) : find_(find), data_(first) {}
    ~DirectoryListing() override { FindClose(find_); }

    bool Next(std::string& name, bool& isFolder) override {
      for (;;) {
        if (!pending_ && !FindNextFileW(find_, &data_)) return false;
        pending_ = false;
        const std::wstring_view wide = data_.cFileName;
        if (wide == L"." || wide == L"..") continue;
        name = Narrow(wide);
        isFolder = (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        return true;
      }
    }

   private:
    HANDLE find_;
    WIN32_FIND_DATAW data_;
    bool pending_ = true;  // the entry FindFirstFileExW gave has not been handed out yet
  };
  // Every entry: the pattern is matched by FileSearch::Matches, so both editions match alike
  // (the system's own matching also tries the short 8.3 names).
  const std::wstring all =
      WidePath(folder + (folder.ends_with('/') || folder.ends_with('\\') ? "*" : "/*"));
  WIN32_FIND_DATAW first{};
  const HANDLE find =
      FindFirstFileExW(all.c_str(), FindExInfoBasic, &first, FindExSearchNameMatch, nullptr, 0);
  if (find == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<DirectoryListing>(find, first);
}

bool FileSearch::PathExists(const std::string& path) {
  // "music\" names the folder as "music" does.
  std::wstring wide = WidePath(path);
  while (wide.size() > 1 && wide.back() == L'\\' && wide[wide.size() - 2] != L':') wide.pop_back();
  return GetFileAttributesW(wide.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace kalvor
