// ZIP archives made entry by entry for tests of the program's extractor: names stored as given
// (bytes), the UTF-8 flag where asked, the MS-DOS attributes as the whole external attribute,
// stored or deflated data (zlib), and one fixed time stamp, 2020-05-17 12:34:56.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/files.h"

namespace kalvor::test {

struct ZipMakerEntry {
  std::string name;  // stored bytes
  std::string data;
  std::uint32_t attributes = 0x80;
  bool utf8 = false;
  int method = Z_DEFLATED;
};

namespace zip_maker_detail {

inline void Put16(std::string& out, std::uint32_t value) {
  out.push_back(static_cast<char>(value & 0xFF));
  out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void Put32(std::string& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

// Raw deflate (no zlib header), as ZIP stores it.
inline std::string Deflate(std::string_view data) {
  z_stream stream{};
  deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

}  // namespace zip_maker_detail

inline void MakeZip(const FilePath& path, const std::vector<ZipMakerEntry>& entries) {
  using zip_maker_detail::Put16;
  using zip_maker_detail::Put32;
  constexpr std::uint32_t kDosTime = (12 << 11) | (34 << 5) | (56 / 2);
  constexpr std::uint32_t kDosDate = ((2020 - 1980) << 9) | (5 << 5) | 17;
  std::string archive;
  std::string directory;
  for (const ZipMakerEntry& e : entries) {
    const std::string data = e.method == Z_DEFLATED ? zip_maker_detail::Deflate(e.data) : e.data;
    const std::uint32_t crc = static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size())));
    const std::uint32_t flags = e.utf8 ? (1u << 11) : 0u;
    const auto header = [&](std::string& out) {
      Put16(out, 20);  // version needed: 2.0
      Put16(out, flags);
      Put16(out, static_cast<std::uint32_t>(e.method));
      Put16(out, kDosTime);
      Put16(out, kDosDate);
      Put32(out, crc);
      Put32(out, static_cast<std::uint32_t>(data.size()));
      Put32(out, static_cast<std::uint32_t>(e.data.size()));
      Put16(out, static_cast<std::uint32_t>(e.name.size()));
      Put16(out, 0);  // extra field
    };
    const std::uint32_t offset = static_cast<std::uint32_t>(archive.size());
    Put32(archive, 0x04034b50);
    header(archive);
    archive += e.name + data;

    Put32(directory, 0x02014b50);
    Put16(directory, 20);  // made by MS-DOS, 2.0: the attributes are MS-DOS ones
    header(directory);
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, e.attributes);
    Put32(directory, offset);
    directory += e.name;
  }
  const std::uint32_t directoryOffset = static_cast<std::uint32_t>(archive.size());
  archive += directory;
  Put32(archive, 0x06054b50);
  Put16(archive, 0);
  Put16(archive, 0);
  Put16(archive, static_cast<std::uint32_t>(entries.size()));
  Put16(archive, static_cast<std::uint32_t>(entries.size()));
  Put32(archive, static_cast<std::uint32_t>(directory.size()));
  Put32(archive, directoryOffset);
  Put16(archive, 0);  // comment
  WriteFile(path, archive);
}

}  // namespace kalvor::test
