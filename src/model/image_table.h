#pragma once

// The table of pictures to convert. The definition file reader fills it, one
// accepted bitmap per slot from the first slot on; the image file writer reads
// it back in slot order once the whole definition file has been read.

#include <array>
#include <cstdint>
#include <string>

namespace quendrix {

// Compression values of a bitmap's info header that the converter reads.
inline constexpr uint32_t kCompressionNone = 0;
inline constexpr uint32_t kCompressionRle8 = 1;
inline constexpr uint32_t kCompressionRle4 = 2;

// One bitmap to convert.
struct ImageEntry {
  int32_t dataSize = 0;     // bytes of pixel data; 0 marks an empty slot
  uint16_t height = 0;      // low 16 bits of the height's magnitude
  uint16_t width = 0;       // low 16 bits of the width field
  uint16_t bitCount = 0;    // 1, 4 or 8
  int32_t dataOffset = 0;   // file offset of the first byte of pixel data
  uint8_t color0Blue = 0;   // 1-bit bitmaps: blue byte of colour entry 0
  // The bitmap's colour table, each entry blue, green, red, reserved; a
  // 1-bit bitmap fills entries 0 and 1, a 4-bit one 0 to 15, an 8-bit one all.
  std::array<std::array<uint8_t, 4>, 256> colorTable{};
  std::string path;         // the name as the definition file gives it
  uint8_t lod2 = 0;         // 1 for a LOD2 line, 0 for a LOAD line
  bool topDown = false;     // rows stored top row first (negative height)
  uint32_t compression = kCompressionNone;  // the info header's field
};

// The longest bitmap name the table takes, in bytes.
inline constexpr size_t kMaxPathLength = 149;

// At most this many bitmaps are read; the last slot always stays empty.
inline constexpr int kMaxImages = 99;

struct ImageTable {
  std::array<ImageEntry, kMaxImages + 1> slots{};
};

}  // namespace quendrix
