#pragma once

// Deciding whether a file can be converted, and recording in its table slot
// what the conversion needs: sizes, depth, where the pixels lie, the colours.
//
// A Windows bitmap file begins (all fields little-endian):
//
//   offset  size  field
//   0       2     "BM"
//   2       4     file size
//   10      4     offset of the pixel data
//   14      4     info header size (40; 64, 108 or 124 for later forms)
//   18      4     width
//   22      4     height (negative: rows stored top row first)
//   28      2     bits per pixel
//   30      4     compression
//   14+size       colour table, 4 bytes an entry: blue, green, red, reserved

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "model/image_table.h"
#include "platform/platform.h"

namespace quendrix {

enum class HeaderVerdict {
  kAccepted,
  kNotABitmap,     // no "BM", headers cut short, or an unknown header size
  kBadColorDepth,  // not 1, 4 or 8 bits per pixel
  kBadSize,        // the pixel data cannot hold the picture or lies outside
};

inline constexpr size_t kFileHeaderSize = 14;
inline constexpr size_t kMinInfoHeaderSize = 40;
inline constexpr size_t kMaxInfoHeaderSize = 124;
// The most of a file the header reader ever looks at.
inline constexpr size_t kMaxHeaderBytes = kFileHeaderSize + kMaxInfoHeaderSize + 256 * 4;

// Judges a bitmap from its first bytes (up to kMaxHeaderBytes of them) and the
// length of the whole file, and fills `entry` when it is accepted. Does not
// touch `entry.path` or `entry.lod2`.
HeaderVerdict ParseBitmapHeader(std::span<const uint8_t> head, int64_t fileSize,
                                ImageEntry& entry);

// The message shown for a verdict other than kAccepted.
std::string_view VerdictMessage(HeaderVerdict verdict);

// Opens the bitmap `name`, judges it and fills `entry`. Returns 1 when it is
// accepted; otherwise shows why, leaves the slot empty and returns 0.
int ReadBitmapHeader(Platform& platform, std::string_view name,
                     ImageEntry& entry);

}  // namespace quendrix
