#include "platform/core/zip_extractor.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/core/extraction_folder.h"
#include "platform/core/gbk_text.h"
#include "platform/core/utf8_path.h"
#include "platform/core/zip_reader.h"

namespace kalvor {
namespace {

constexpr std::uint32_t kFolderAttribute = 0x10;

// The components of an entry name, or false when the name is unsafe: absolute (also a Windows
// drive or share), holding a ".." component, or holding a zero byte (the system reads "..\0x" as
// ".."). "\" separates like "/", as it does in archives made on Windows.
bool SplitEntryName(std::string name, std::vector<std::string>& parts) {
  parts.clear();
  for (char& c : name) {
    if (c == '\\') c = '/';
  }
  if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos) return false;
  std::size_t begin = 0;
  while (begin <= name.size()) {
    std::size_t end = name.find('/', begin);
    if (end == std::string::npos) end = name.size();
    const std::string part = name.substr(begin, end - begin);
    // "C:" would make the rest of the name absolute on Windows; no Linux name needs it either.
    if (part == ".." || part.find(':') != std::string::npos) return false;
    if (!part.empty() && part != ".") parts.push_back(part);
    begin = end + 1;
  }
  return true;
}

}  // namespace

std::int32_t ZipExtractor::Extract(std::string_view zipPath, std::string_view targetFolder,
                                   const Progress& progress) {
  if (zipPath.empty() || targetFolder.empty()) return -1;
  std::error_code error;
  if (!std::filesystem::exists(PathFromUtf8(zipPath), error)) return -1;

  ExtractionFolder target;
  if (!target.Open(std::string(targetFolder))) return 0;
  ZipReader archive;
  if (!archive.Open(zipPath)) return 0;
  const std::uint64_t count = archive.Count();

  std::vector<std::string> parts;
  std::uint64_t done = 0;
  ZipEntry entry;
  while (archive.Next(entry)) {
    std::string name = (entry.flags & ZipEntry::kUtf8NameFlag) != 0 ? std::move(entry.name)
                                                                    : GbkText::ToUtf8(entry.name);
    const bool isFolder = (entry.externalAttributes & kFolderAttribute) != 0 ||
                          name.ends_with('/') || name.ends_with('\\');
    if (!SplitEntryName(std::move(name), parts)) return 0;

    if (isFolder) {
      if (!target.MakeFolder(parts, parts.size())) return 0;
    } else {
      if (parts.empty()) return 0;
      const bool written = target.WriteFile(
          parts, entry.dosDate, entry.dosTime, [&](const ExtractionFolder::Writer& write) {
            return archive.Read(
                entry, [&](const char* data, std::size_t size) { return write(data, size); });
          });
      if (!written) return 0;
    }
    ++done;
    // The end record's count may be 0 or too small for the entries the directory really holds.
    if (progress) progress(static_cast<int>(done * 100 / std::max(count, done)));
  }
  return archive.Failed() ? 0 : 1;
}

}  // namespace kalvor
