#include "tools/mkarchive/archive_writer.h"

#include <zip.h>

#include <stdexcept>

#include "platform/core/gbk_text.h"

namespace kalvor {

std::string ArchiveWriter::EntryName(std::string_view utf8) {
  // The platform converts to GB18030, GBK's superset: a character outside GBK takes four bytes
  // there, and a byte that is not UTF-8 becomes "?", which does not convert back. Neither may
  // reach a name that readers decode as GBK.
  const std::string gbk = GbkText::FromUtf8(utf8);
  bool outside = GbkText::ToUtf8(gbk) != utf8;
  for (std::size_t i = 0; i < gbk.size() && !outside; i += GbkText::CharLength(gbk, i)) {
    outside = GbkText::CharLength(gbk, i) == 4;
  }
  if (outside) throw std::runtime_error("no GBK form for: " + std::string(utf8));
  return gbk;
}

ArchiveWriter::ArchiveWriter(const std::string& path) {
  zip_ = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
  if (zip_ == nullptr) throw std::runtime_error("cannot create " + path);
}

ArchiveWriter::~ArchiveWriter() {
  if (zip_ != nullptr) zipClose(zip_, nullptr);
}

void ArchiveWriter::AddFile(std::string_view name, std::span<const std::uint8_t> bytes,
                            std::uint8_t attributes) {
  Add(name, bytes, attributes, true);
}

void ArchiveWriter::AddFolder(std::string_view name, std::uint8_t attributes) {
  Add(name, {}, attributes, false);
}

void ArchiveWriter::Add(std::string_view name, std::span<const std::uint8_t> bytes,
                        std::uint8_t attributes, bool deflate) {
  if (zip_ == nullptr) throw std::runtime_error("archive already closed");
  const std::string stored_name = EntryName(name);
  zip_fileinfo info{};
  info.tmz_date.tm_year = 2026;
  info.tmz_date.tm_mon = 0;
  info.tmz_date.tm_mday = 1;
  info.tmz_date.tm_hour = 12;
  info.tmz_date.tm_min = 0;
  info.tmz_date.tm_sec = 0;
  info.external_fa = attributes;
  // Level 6: minizip records levels 1, 2, 8 and 9 in the general-purpose flags.
  const int method = deflate ? Z_DEFLATED : 0;
  const int level = deflate ? 6 : 0;
  if (zipOpenNewFileInZip4_64(zip_, stored_name.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                              method, level, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                              nullptr, 0, /*versionMadeBy=*/0, /*flagBase=*/0,
                              /*zip64=*/0) != ZIP_OK) {
    throw std::runtime_error("cannot add " + std::string(name));
  }
  if (!bytes.empty() &&
      zipWriteInFileInZip(zip_, bytes.data(), static_cast<unsigned>(bytes.size())) != ZIP_OK) {
    throw std::runtime_error("cannot write " + std::string(name));
  }
  if (zipCloseFileInZip(zip_) != ZIP_OK)
    throw std::runtime_error("cannot close " + std::string(name));
}

void ArchiveWriter::Close() {
  if (zip_ == nullptr) return;
  const int rc = zipClose(zip_, nullptr);
  zip_ = nullptr;
  if (rc != ZIP_OK) throw std::runtime_error("cannot finish the archive");
}

}  // namespace kalvor
