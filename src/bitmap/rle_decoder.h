#pragma once

// Run-length encoded bitmaps: compression 1 with 8 bits per pixel, 2 with 4.
//
// The pixel data is a stream of two-byte codes, read from the bottom row of
// the picture (the first stored) upwards, starting at the left edge:
//
//   n c       n > 0: n pixels from c; with 8 bits all of colour c, with 4 bits
//             the high and low nibbles of c alternating, high first
//   0 0       end of row: go to the start of the row above
//   0 1       end of the picture
//   0 2 dx dy move dx pixels right and dy rows up
//   0 n ...   n >= 3: n pixels given literally, n bytes with 8 bits and n
//             nibbles (high first) with 4 bits, padded to an even byte count
//
// The picture starts as colour index 0 everywhere; pixels no code paints keep
// it. Pixels beyond the right edge are dropped. Decoding stops at the end of
// the picture, when an end of row or a move up leaves the top row, or when the
// data runs out (a literal run cut short paints the pixels it has).
//
// The decoder writes the picture as an uncompressed bitmap of the same depth
// stores it: rows of (width * depth) bits rounded up to 4 bytes, bottom row
// first. The column raster conversion then treats those rows like any other.

#include <cstddef>
#include <cstdint>
#include <span>

#include "model/image_table.h"

namespace quendrix {

// A bitmap of 8 bits with compression 1 or of 4 bits with compression 2.
// Other combinations are converted as uncompressed rows.
bool IsRunLengthEncoded(const ImageEntry& entry);

// A small encoded file can describe a picture far larger than itself, so
// the decoded rows are bounded by what the data can plausibly describe:
// up to kRunLengthFreeSize bytes whatever the data, and beyond that at most
// kRunLengthRatio bytes for each byte of data. A run of 255 pixels takes two
// bytes, so a picture drawn with runs alone reaches at most 128 bytes of
// 8-bit rows a byte of data; the ratio doubles that.
inline constexpr uint64_t kRunLengthFreeSize = uint64_t{4} << 20;
inline constexpr uint64_t kRunLengthRatio = 256;

// The bytes of one decoded row: the row of an uncompressed bitmap, and at
// least 4.
size_t DecodedStride(uint16_t width, uint16_t bitCount);

// Whether an encoded entry's picture may be decoded: a bottom-up picture
// (the format has no top-down form) of at least one row, whose decoded rows
// stay within the bound above and within what an entry's dataSize can count.
bool RunLengthFits(const ImageEntry& entry);

// The entry that describes the decoded rows of `entry`: uncompressed,
// bottom-up, dataSize = height * DecodedStride. `entry` must fit
// (RunLengthFits).
ImageEntry DecodedEntry(const ImageEntry& entry);

// Decodes `data` into `rows`, which has room for height * DecodedStride bytes
// of a picture of `width` x `height` pixels of `bitCount` (4 or 8) bits.
void DecodeRunLength(std::span<const uint8_t> data, uint16_t width,
                     uint16_t height, uint16_t bitCount, uint8_t* rows);

}  // namespace quendrix
