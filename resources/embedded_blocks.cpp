#include "resources/embedded_blocks.h"

// Symbols defined by embedded_blocks.S, which pulls the two files in with .incbin.
extern "C" {
extern const std::uint8_t kalvor_block_library_begin[];
extern const std::uint8_t kalvor_block_library_end[];
extern const std::uint8_t kalvor_block_archive_begin[];
extern const std::uint8_t kalvor_block_archive_end[];
}

namespace kalvor {

std::span<const std::uint8_t> EmbeddedBlocks::Library() {
  return {kalvor_block_library_begin, kalvor_block_library_end};
}

std::span<const std::uint8_t> EmbeddedBlocks::Archive() {
  return {kalvor_block_archive_begin, kalvor_block_archive_end};
}

}  // namespace kalvor
