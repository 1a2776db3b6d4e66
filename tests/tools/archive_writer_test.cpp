// The archive writer on its own: GBK names, the DOS layout and flags that stay 0.
#include "tools/mkarchive/archive_writer.h"

#include <gtest/gtest.h>
#include <unistd.h>
#include <unzip.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tools/mkarchive/archive_writer.h"

namespace {

TEST(ArchiveWriterTest, NamesAreStoredAsGbkAndAsciiStaysAsItIs) {
  using kalvor::ArchiveWriter;
  EXPECT_EQ(ArchiveWriter::EntryName("热线"), "\xC8\xC8\xCF\xDF");
  EXPECT_EQ(ArchiveWriter::EntryName("music/readygo.mp3"), "music/readygo.mp3");
  EXPECT_EQ(ArchiveWriter::EntryName(""), "");
  EXPECT_THROW(ArchiveWriter::EntryName("\xF0\x9F\x98\x80"),
               std::runtime_error);  // an emoji has no GBK form
}

TEST(ArchiveWriterTest, WritesEntriesAsAWindowsProgramExpects) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("kalvor_writer_" + std::to_string(::getpid()) + ".zip");
  std::vector<std::uint8_t> data(50000);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 7 % 251);
  {
    kalvor::ArchiveWriter zip(path.string());
    zip.AddFile("a.dll", data, kalvor::ArchiveWriter::kHidden);
    zip.AddFolder("music/", kalvor::ArchiveWriter::kFolder | kalvor::ArchiveWriter::kHidden);
    zip.AddFile("music/救命.mp3", {}, kalvor::ArchiveWriter::kNormal);
    zip.Close();
    zip.Close();  // closing twice is harmless
  }
  unzFile z = unzOpen64(path.c_str());
  ASSERT_NE(z, nullptr);
  struct Expected {
    std::string name;
    int method;
    unsigned attributes;
  };
  const std::vector<Expected> expected = {{"a.dll", Z_DEFLATED, 0x02},
                                          {"music/", 0, 0x12},
                                          {"music/\xBE\xC8\xC3\xFC.mp3", Z_DEFLATED, 0x80}};
  std::size_t i = 0;
  for (int rc = unzGoToFirstFile(z); rc == UNZ_OK; rc = unzGoToNextFile(z), ++i) {
    ASSERT_LT(i, expected.size());
    unz_file_info64 info;
    char name[256];
    unzGetCurrentFileInfo64(z, &info, name, sizeof(name), nullptr, 0, nullptr, 0);
    EXPECT_EQ(std::string(name), expected[i].name);
    EXPECT_EQ(info.compression_method, static_cast<uLong>(expected[i].method));
    EXPECT_EQ(info.external_fa, expected[i].attributes);
    EXPECT_EQ(info.flag, 0u);
    EXPECT_EQ(info.version >> 8, 0u);
    if (i == 0) {
      std::vector<std::uint8_t> back(data.size());
      ASSERT_EQ(unzOpenCurrentFile(z), UNZ_OK);
      EXPECT_EQ(unzReadCurrentFile(z, back.data(), static_cast<unsigned>(back.size())),
                static_cast<int>(back.size()));
      EXPECT_EQ(unzCloseCurrentFile(z), UNZ_OK);
      EXPECT_EQ(back, data);
      EXPECT_LT(info.compressed_size, info.uncompressed_size);
    }
  }
  EXPECT_EQ(i, expected.size());
  unzClose(z);
  const auto first = kalvor::test::ReadBytes(path);
  std::filesystem::remove(path);
  {
    kalvor::ArchiveWriter zip(path.string());
    zip.AddFile("a.dll", data, kalvor::ArchiveWriter::kHidden);
    zip.AddFolder("music/", kalvor::ArchiveWriter::kFolder | kalvor::ArchiveWriter::kHidden);
    zip.AddFile("music/救命.mp3", {}, kalvor::ArchiveWriter::kNormal);
  }
  EXPECT_EQ(kalvor::test::ReadBytes(path), first);  // same inputs, same bytes
  std::filesystem::remove(path);
}

TEST(ArchiveWriterTest, RefusesNamesWithoutAGbkForm) {
  const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                     ("kalvor_writer_bad_" + std::to_string(::getpid()) + ".zip");
  {
    kalvor::ArchiveWriter zip(path.string());
    EXPECT_THROW(zip.AddFile("\xF0\x9F\x98\x80.mp3", {}, kalvor::ArchiveWriter::kNormal),
                 std::runtime_error);
  }
  std::filesystem::remove(path);
}

}  // namespace
