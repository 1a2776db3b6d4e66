#include "platform/core/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <vector>

#include "platform/core/utf8_path.h"

namespace kalvor {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64EndSignature = 0x06064b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kDirectorySignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndBytes = 22;
constexpr std::size_t kLocatorBytes = 20;
constexpr std::size_t kZip64EndBytes = 56;
constexpr std::size_t kDirectoryBytes = 46;
constexpr std::size_t kLocalBytes = 30;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kEncryptedFlag = 1;
constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;
constexpr std::size_t kPieceBytes = 16 * 1024;

std::uint16_t U16(const char* p) {
  const auto* b = reinterpret_cast<const unsigned char*>(p);
  return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t U32(const char* p) {
  return U16(p) | (static_cast<std::uint32_t>(U16(p + 2)) << 16);
}

std::uint64_t U64(const char* p) {
  return U32(p) | (static_cast<std::uint64_t>(U32(p + 4)) << 32);
}

}  // namespace

bool ZipReader::ReadAt(std::uint64_t offset, char* out, std::size_t size) {
  if (offset > fileSize_ || size > fileSize_ - offset) return false;
  file_.clear();
  file_.seekg(static_cast<std::streamoff>(offset));
  file_.read(out, static_cast<std::streamsize>(size));
  return static_cast<std::size_t>(file_.gcount()) == size;
}

bool ZipReader::Open(std::string_view utf8Path) {
  file_.open(PathFromUtf8(utf8Path), std::ios::binary);
  if (!file_) return false;
  file_.seekg(0, std::ios::end);
  const std::streamoff size = file_.tellg();
  if (size < 0) return false;
  fileSize_ = static_cast<std::uint64_t>(size);
  return FindDirectory();
}

bool ZipReader::FindDirectory() {
  // The end record is the last 22 bytes but for a comment of up to 65535 bytes.
  if (fileSize_ < kEndBytes) return false;
  const std::uint64_t tailStart =
      fileSize_ - std::min<std::uint64_t>(fileSize_, 0xFFFF + kEndBytes);
  std::vector<char> tail(static_cast<std::size_t>(fileSize_ - tailStart));
  if (!ReadAt(tailStart, tail.data(), tail.size())) return false;
  std::size_t at = tail.size() - kEndBytes + 1;
  do {
    --at;
    if (U32(&tail[at]) == kEndSignature) break;
  } while (at > 0);
  if (U32(&tail[at]) != kEndSignature) return false;
  const char* end = &tail[at];
  const std::uint64_t endPos = tailStart + at;
  count_ = U16(end + 10);
  std::uint64_t directorySize = U32(end + 12);
  std::uint64_t directoryOffset = U32(end + 16);
  std::uint64_t directoryEnd = endPos;  // where the directory would end without a prefix

  // Zip64: a locator right before the end record points at the Zip64 end record.
  char locator[kLocatorBytes];
  if (endPos >= kLocatorBytes && ReadAt(endPos - kLocatorBytes, locator, kLocatorBytes) &&
      U32(locator) == kZip64LocatorSignature) {
    const std::uint64_t recordPos = U64(locator + 8);
    char record[kZip64EndBytes];
    // With data in front of the archive the recorded position is off; the record then lies
    // right before the locator.
    bool found = ReadAt(recordPos, record, kZip64EndBytes) && U32(record) == kZip64EndSignature;
    std::uint64_t foundPos = recordPos;
    const std::uint64_t expected = endPos - kLocatorBytes - kZip64EndBytes;
    if (!found && endPos >= kLocatorBytes + kZip64EndBytes &&
        ReadAt(expected, record, kZip64EndBytes) && U32(record) == kZip64EndSignature) {
      found = true;
      foundPos = expected;
    }
    if (!found) return false;
    count_ = U64(record + 32);
    directorySize = U64(record + 40);
    directoryOffset = U64(record + 48);
    directoryEnd = foundPos;
  }
  // Data in front of the archive (a program it was appended to) shifts every offset.
  if (directoryEnd < directorySize || directoryEnd - directorySize < directoryOffset) return false;
  const std::uint64_t shift = directoryEnd - directorySize - directoryOffset;
  next_ = directoryOffset + shift;
  end_ = directoryEnd;
  shift_ = shift;
  return true;
}

bool ZipReader::Next(ZipEntry& entry) {
  if (failed_ || next_ >= end_) return false;
  char record[kDirectoryBytes];
  if (end_ - next_ < kDirectoryBytes || !ReadAt(next_, record, kDirectoryBytes) ||
      U32(record) != kDirectorySignature) {
    failed_ = true;
    return false;
  }
  const std::size_t nameLength = U16(record + 28);
  const std::size_t extraLength = U16(record + 30);
  const std::size_t commentLength = U16(record + 32);
  const std::uint64_t recordEnd =
      next_ + kDirectoryBytes + nameLength + extraLength + commentLength;
  std::string variable(nameLength + extraLength, '\0');
  if (recordEnd > end_ || !ReadAt(next_ + kDirectoryBytes, variable.data(), variable.size())) {
    failed_ = true;
    return false;
  }
  entry = ZipEntry{};
  entry.flags = U16(record + 8);
  entry.method = U16(record + 10);
  entry.dosTime = U16(record + 12);
  entry.dosDate = U16(record + 14);
  entry.crc = U32(record + 16);
  entry.compressedSize = U32(record + 20);
  entry.size = U32(record + 24);
  entry.externalAttributes = U32(record + 38);
  entry.localHeaderOffset = U32(record + 42);
  entry.name = variable.substr(0, nameLength);

  // Sizes and offset too large for 32 bits are in the Zip64 extra field, in this order.
  const std::string_view extra = std::string_view(variable).substr(nameLength);
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const std::uint16_t id = U16(extra.data() + at);
    const std::size_t length = U16(extra.data() + at + 2);
    if (at + 4 + length > extra.size()) break;
    if (id == kZip64ExtraId) {
      const char* field = extra.data() + at + 4;
      std::size_t left = length;
      for (std::uint64_t* value : {&entry.size, &entry.compressedSize, &entry.localHeaderOffset}) {
        if (*value != 0xFFFFFFFF) continue;
        if (left < 8) break;
        *value = U64(field);
        field += 8;
        left -= 8;
      }
      break;
    }
    at += 4 + length;
  }
  entry.localHeaderOffset += shift_;
  next_ = recordEnd;
  return true;
}

bool ZipReader::Read(const ZipEntry& entry, const Sink& sink) {
  if ((entry.flags & kEncryptedFlag) != 0) return false;
  if (entry.method != kStored && entry.method != kDeflated) return false;
  char local[kLocalBytes];
  if (!ReadAt(entry.localHeaderOffset, local, kLocalBytes) || U32(local) != kLocalSignature) {
    return false;
  }
  const std::uint64_t dataStart =
      entry.localHeaderOffset + kLocalBytes + U16(local + 26) + U16(local + 28);
  if (dataStart > fileSize_ || entry.compressedSize > fileSize_ - dataStart) return false;

  std::vector<char> input(kPieceBytes);
  std::vector<char> output(kPieceBytes);
  std::uint64_t consumed = 0;  // bytes of the entry's data read from the file
  std::uint64_t produced = 0;  // bytes handed to the sink
  uLong crc = crc32(0, nullptr, 0);
  const auto deliver = [&](const char* data, std::size_t size) {
    if (size == 0) return true;
    produced += size;
    if (produced > entry.size) return false;
    crc = crc32(crc, reinterpret_cast<const Bytef*>(data), static_cast<uInt>(size));
    return sink(data, size);
  };

  if (entry.method == kStored) {
    if (entry.compressedSize != entry.size) return false;
    while (consumed < entry.compressedSize) {
      const std::size_t piece = static_cast<std::size_t>(
          std::min<std::uint64_t>(kPieceBytes, entry.compressedSize - consumed));
      if (!ReadAt(dataStart + consumed, input.data(), piece) || !deliver(input.data(), piece)) {
        return false;
      }
      consumed += piece;
    }
  } else {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    int status = Z_OK;
    bool ok = true;
    while (ok && status != Z_STREAM_END) {
      if (stream.avail_in == 0) {
        const std::size_t piece = static_cast<std::size_t>(
            std::min<std::uint64_t>(kPieceBytes, entry.compressedSize - consumed));
        if (piece == 0 || !ReadAt(dataStart + consumed, input.data(), piece)) {
          ok = false;  // the data ends before the deflated stream does
          break;
        }
        consumed += piece;
        stream.next_in = reinterpret_cast<Bytef*>(input.data());
        stream.avail_in = static_cast<uInt>(piece);
      }
      stream.next_out = reinterpret_cast<Bytef*>(output.data());
      stream.avail_out = static_cast<uInt>(output.size());
      status = inflate(&stream, Z_NO_FLUSH);
      // Z_BUF_ERROR only asks for more input; with input left it means no progress is possible.
      if (status != Z_OK && status != Z_STREAM_END &&
          (status != Z_BUF_ERROR || stream.avail_in != 0)) {
        ok = false;
      }
      if (ok) ok = deliver(output.data(), output.size() - stream.avail_out);
    }
    inflateEnd(&stream);
    if (!ok) return false;
  }
  return produced == entry.size && crc == entry.crc;
}

}  // namespace kalvor
