#pragma once

#include <cstdint>
#include <span>

namespace kalvor {

// The two constant blocks linked into the program file: a copy of our audio library
// and the sound archive (the library once more plus the 98 sound effects). Both are
// read-only and live for the whole process.
class EmbeddedBlocks {
 public:
  static std::span<const std::uint8_t> Library();  // our audio library file, byte for byte
  static std::span<const std::uint8_t> Archive();  // the sound archive, byte for byte
};

}  // namespace kalvor
