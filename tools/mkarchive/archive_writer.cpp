#include "tools/mkarchive/archive_writer.h"

#include <zip.h>

#include <stdexcept>

#include "tools/mkarchive/gbk_text.h"

namespace kalvor {

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
  const std::string stored_name = Utf8ToGbk(name);
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
