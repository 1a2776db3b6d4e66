// Unpacks a ZIP archive into a folder, entry by entry in central-directory order.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace kalvor {

class ZipExtractor {
 public:
  using Progress = std::function<void(int percent)>;

  // 1 when every entry was written; 0 when the archive cannot be read, the target folder cannot
  // be created, or an entry cannot be written (the entries before it stay on disk); -1 when an
  // argument is empty or no file exists at the archive path. `progress` is called after each
  // entry with the share of entries done.
  //
  // Entry names are GBK unless the entry is flagged as UTF-8. An entry whose name is absolute,
  // holds a ".." component, or would lead out of the target folder through a symbolic link is
  // refused like an entry that cannot be written: the result is 0 and nothing is written
  // outside the target folder.
  static std::int32_t Extract(std::string_view zipPath, std::string_view targetFolder,
                              const Progress& progress);
};

}  // namespace kalvor
