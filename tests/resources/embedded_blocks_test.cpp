// The two blocks linked into the program read back exactly as the files they were
// made from.
#include "resources/embedded_blocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "tests/support/files.h"

namespace {

std::vector<std::uint8_t> ToVector(std::span<const std::uint8_t> s) {
  return {s.begin(), s.end()};
}

TEST(EmbeddedBlocksTest, LibraryIsTheLibraryFileByteForByte) {
  const auto expected = kalvor::test::ReadBytes(KALVOR_LIBRARY_BLOB);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ToVector(kalvor::EmbeddedBlocks::Library()), expected);
  // The embedded library is the audio library file exactly as built.
  EXPECT_EQ(ToVector(kalvor::EmbeddedBlocks::Library()),
            kalvor::test::ReadBytes(KALVOR_LIBRARY_FILE));
}

TEST(EmbeddedBlocksTest, ArchiveIsTheArchiveFileByteForByte) {
  const auto expected = kalvor::test::ReadBytes(KALVOR_ARCHIVE_FILE);
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(ToVector(kalvor::EmbeddedBlocks::Archive()), expected);
}

TEST(EmbeddedBlocksTest, ArchiveIsAZipWithOneEndRecordAndNoComment) {
  const auto a = kalvor::EmbeddedBlocks::Archive();
  ASSERT_GT(a.size(), 22u);
  EXPECT_EQ(std::memcmp(a.data(), "PK\x03\x04", 4), 0);
  const std::uint8_t* end = a.data() + a.size() - 22;
  EXPECT_EQ(std::memcmp(end, "PK\x05\x06", 4), 0);
  EXPECT_EQ(end[10] | (end[11] << 8), 100);  // entries in total
  EXPECT_EQ(end[20] | (end[21] << 8), 0);    // comment length
}

TEST(EmbeddedBlocksTest, BlocksDoNotOverlap) {
  const auto lib = kalvor::EmbeddedBlocks::Library();
  const auto zip = kalvor::EmbeddedBlocks::Archive();
  EXPECT_TRUE(lib.data() + lib.size() <= zip.data() || zip.data() + zip.size() <= lib.data());
}

}  // namespace
