#include <dirent.h>
#include <sys/stat.h>

#include "platform/core/file_search.h"

namespace kalvor {

const std::string_view FileSearch::kSeparators = "/";

const bool FileSearch::kNamesIgnoreCase = false;

std::unique_ptr<FileSearch::Listing> FileSearch::Listing::Open(const std::string& folder) {
  class DirectoryListing : public Listing {
   public:
    explicit DirectoryListing(DIR* dir) : dir_(dir) {}
    ~DirectoryListing() override { closedir(dir_); }

    bool Next(std::string& name, bool& isFolder) override {
      while (const dirent* entry = readdir(dir_)) {
        name = entry->d_name;
        if (name == "." || name == "..") continue;
        isFolder = IsFolder(entry);
        return true;
      }
      return false;
    }

   private:
    bool IsFolder(const dirent* entry) const {
      if (entry->d_type == DT_DIR) return true;
      if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
      struct stat st {};
      // A link to a folder is a folder, as the directory search reports it.
      return fstatat(dirfd(dir_), entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    }

    DIR* dir_;
  };
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return nullptr;
  return std::make_unique<DirectoryListing>(dir);
}

bool FileSearch::PathExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0;
}

}  // namespace kalvor
