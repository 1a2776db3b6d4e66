// The archive the program carries: entry order, names, methods, attributes and
// contents, read back with minizip's reader as the program's unpacker will.
#include <gtest/gtest.h>
#include <unzip.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "resources/embedded_blocks.h"
#include "resources/sound_archive_list.h"
#include "tests/support/files.h"
#include "tests/support/gbk.h"

namespace {

struct Entry {
  std::string raw_name;  // as stored (GBK)
  unz_file_info64 info;
  std::vector<std::uint8_t> data;
};

std::vector<Entry> ReadArchive(const char* path) {
  std::vector<Entry> entries;
  unzFile zip = unzOpen64(path);
  if (zip == nullptr) return entries;
  for (int rc = unzGoToFirstFile(zip); rc == UNZ_OK; rc = unzGoToNextFile(zip)) {
    Entry e;
    char name[512];
    unzGetCurrentFileInfo64(zip, &e.info, name, sizeof(name), nullptr, 0, nullptr, 0);
    e.raw_name = name;
    e.data.resize(e.info.uncompressed_size);
    if (unzOpenCurrentFile(zip) == UNZ_OK) {
      const int n = e.data.empty() ? 0
                                   : unzReadCurrentFile(zip, e.data.data(),
                                                        static_cast<unsigned>(e.data.size()));
      if (n != static_cast<int>(e.data.size())) e.data.clear();
      unzCloseCurrentFile(zip);  // also checks the CRC
    }
    entries.push_back(std::move(e));
  }
  unzClose(zip);
  return entries;
}

class ArchiveLayoutTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    entries_ = new std::vector<Entry>(ReadArchive(KALVOR_ARCHIVE_FILE));
  }
  static void TearDownTestSuite() { delete entries_; }
  static std::vector<Entry>* entries_;
};
std::vector<Entry>* ArchiveLayoutTest::entries_ = nullptr;

TEST_F(ArchiveLayoutTest, HoldsTheHundredEntriesInOrderWithGbkNames) {
  const auto& entries = *entries_;
  ASSERT_EQ(entries.size(), 100u);
  EXPECT_EQ(entries[0].raw_name, "bass.dll");
  EXPECT_EQ(entries[1].raw_name, "music/");
  for (std::size_t i = 0; i < kalvor::kArchiveSoundNames.size(); ++i) {
    const std::string expected = "music/" + std::string(kalvor::kArchiveSoundNames[i]) + ".mp3";
    EXPECT_EQ(kalvor::test::Utf8FromGbk(entries[i + 2].raw_name), expected) << "entry " << i + 2;
  }
  // A sample checked byte for byte: 热线 in GBK is C8 C8 CF DF.
  EXPECT_EQ(entries[2].raw_name, "music/110\xC8\xC8\xCF\xDF.mp3");
}

TEST_F(ArchiveLayoutTest, MethodsAttributesFlagsAndMakerFollowTheDosLayout) {
  const auto& entries = *entries_;
  ASSERT_EQ(entries.size(), 100u);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const unz_file_info64& info = entries[i].info;
    SCOPED_TRACE(kalvor::test::Utf8FromGbk(entries[i].raw_name));
    EXPECT_EQ(info.flag, 0u);          // no UTF-8 flag, no data descriptor, no level bits
    EXPECT_EQ(info.version >> 8, 0u);  // made by MS-DOS
    EXPECT_EQ(info.size_file_extra, 0u);
    EXPECT_EQ(info.size_file_comment, 0u);
    EXPECT_EQ(info.tmu_date.tm_year, 2026u);  // one fixed time stamp
    EXPECT_EQ(info.dosDate, entries[0].info.dosDate);
    const std::uint32_t attributes = static_cast<std::uint32_t>(info.external_fa);
    if (i == 0) {
      EXPECT_EQ(info.compression_method, static_cast<uLong>(Z_DEFLATED));
      EXPECT_EQ(attributes, 0x02u);
    } else if (i == 1) {
      EXPECT_EQ(info.compression_method, 0u);
      EXPECT_EQ(info.uncompressed_size, 0u);
      EXPECT_EQ(attributes, 0x12u);
    } else {
      EXPECT_EQ(info.compression_method, static_cast<uLong>(Z_DEFLATED));
      EXPECT_EQ(attributes, 0x80u);
    }
  }
}

TEST_F(ArchiveLayoutTest, EntriesCarryTheLibraryAndTheGeneratedSounds) {
  const auto& entries = *entries_;
  ASSERT_EQ(entries.size(), 100u);
  const auto library = kalvor::EmbeddedBlocks::Library();
  EXPECT_EQ(entries[0].data, std::vector<std::uint8_t>(library.begin(), library.end()));
  EXPECT_EQ(entries[0].data, kalvor::test::ReadBytes(KALVOR_LIBRARY_BLOB));
  for (std::size_t i = 0; i < kalvor::kArchiveSoundNames.size(); ++i) {
    const auto file =
        kalvor::test::ReadBytes(std::filesystem::path(KALVOR_SOUND_DIR) /
                                (std::string(kalvor::kArchiveSoundNames[i]) + ".mp3"));
    EXPECT_FALSE(file.empty());
    EXPECT_TRUE(entries[i + 2].data == file) << kalvor::kArchiveSoundNames[i];
  }
}

}  // namespace
