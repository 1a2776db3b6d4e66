#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kalvor {

// Writes a ZIP archive in the layout a Windows ANSI program expects: entry names
// in GBK without the UTF-8 flag, "made by" MS-DOS so the DOS attribute byte is the
// whole external attribute, general-purpose flags 0 and one fixed time stamp, so the
// same inputs always give the same bytes.
class ArchiveWriter {
 public:
  static constexpr std::uint8_t kHidden = 0x02;
  static constexpr std::uint8_t kFolder = 0x10;
  static constexpr std::uint8_t kNormal = 0x80;

  explicit ArchiveWriter(const std::string& path);
  ~ArchiveWriter();
  ArchiveWriter(const ArchiveWriter&) = delete;
  ArchiveWriter& operator=(const ArchiveWriter&) = delete;

  // Adds a deflated file entry; the name is UTF-8 and is stored as GBK.
  void AddFile(std::string_view name, std::span<const std::uint8_t> bytes, std::uint8_t attributes);
  // Adds a stored, empty folder entry (the name ends in "/").
  void AddFolder(std::string_view name, std::uint8_t attributes);
  // Writes the central directory; the destructor does it too if needed.
  void Close();

  // A UTF-8 name as the archive stores it: GBK. Throws std::runtime_error when a character has no
  // GBK form.
  static std::string EntryName(std::string_view utf8);

 private:
  void Add(std::string_view name, std::span<const std::uint8_t> bytes, std::uint8_t attributes,
           bool deflate);

  void* zip_ = nullptr;
};

}  // namespace kalvor
