// Reads a ZIP archive: its central directory entry by entry, and an entry's data, stored or
// deflated (zlib's inflate), checked against the size and CRC the directory records. Zip64
// archives and entries are read too; encrypted entries and other methods are not.
#pragma once

#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>

namespace kalvor {

struct ZipEntry {
  static constexpr std::uint16_t kUtf8NameFlag = 1u << 11;

  std::string name;  // as stored: GBK unless the UTF-8 flag is set
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint16_t dosTime = 0;  // the MS-DOS time and date fields, local time
  std::uint16_t dosDate = 0;
  std::uint32_t externalAttributes = 0;  // the low byte holds the MS-DOS attributes
  std::uint64_t compressedSize = 0;
  std::uint64_t size = 0;
  std::uint64_t localHeaderOffset = 0;
};

class ZipReader {
 public:
  // Receives an entry's data piece by piece; false stops the reading.
  using Sink = std::function<bool(const char* data, std::size_t size)>;

  // Opens the archive and finds its central directory; false when the file cannot be read or is
  // no ZIP archive.
  bool Open(std::string_view utf8Path);
  // The number of entries the end record gives (which may be too small); for progress only.
  std::uint64_t Count() const { return count_; }
  // The next entry of the central directory; false at its end or at a damaged record (Failed()
  // then tells which).
  bool Next(ZipEntry& entry);
  bool Failed() const { return failed_; }
  // Hands the entry's data to the sink; false when it is damaged, encrypted, of an unknown
  // method or shorter or longer than recorded, or when the sink refused a piece.
  bool Read(const ZipEntry& entry, const Sink& sink);

 private:
  bool ReadAt(std::uint64_t offset, char* out, std::size_t size);
  bool FindDirectory();

  std::ifstream file_;
  std::uint64_t fileSize_ = 0;
  std::uint64_t count_ = 0;
  std::uint64_t next_ = 0;   // the next directory record
  std::uint64_t end_ = 0;    // the end of the directory
  std::uint64_t shift_ = 0;  // the length of data in front of the archive
  bool failed_ = false;
};

}  // namespace kalvor
