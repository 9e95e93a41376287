#pragma once

// Reading an Image.img back: where its pictures lie, their sizes and flags,
// and where the file stops being what the converter writes.
//
// A file with headers is a run of pictures, each a 16-byte header
//
//   bytes 0-1   height, four-digit packed BCD (48 is 00 48)
//   bytes 2-3   width, four-digit packed BCD
//   bytes 4-5   00 01
//   byte  6     0
//   byte  7     LOD2 flag, 0 or 1
//   bytes 8-15  0
//
// followed by its data block of height * ((width + 7) / 8) bytes, the
// picture in the column raster; then 1 to 256 zero bytes that bring the
// length to a multiple of 256. A header never begins with 16 zero bytes
// (bytes 4-5 are 00 01), so 16 zero bytes where a header would stand, or
// the zero bytes that end the file, are the fill. A width or height of five
// digits keeps only its last four in the header; the header's numbers are
// all there is to go by.
//
// A file written without headers is the data blocks alone, then the fill;
// the sizes of its pictures must come from elsewhere.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace quendrix::view {

inline constexpr size_t kHeaderSize = 16;
inline constexpr size_t kFillUnit = 256;

// A size given for a picture of a file without headers.
struct PictureSize {
  uint32_t width = 0;
  uint32_t height = 0;
};

struct PictureRecord {
  int number = 0;               // 1 for the first picture of the file
  uint64_t offset = 0;          // its header, or its data block without one
  bool hasHeader = false;
  uint32_t width = 0;
  uint32_t height = 0;
  uint8_t lod2 = 0;             // meaningful only with a header
  uint64_t blockOffset = 0;
  uint64_t blockLength = 0;
};

// Where and why the file stops parsing.
struct ParseProblem {
  uint64_t offset = 0;
  std::string text;
};

struct ImageFileLayout {
  uint64_t fileLength = 0;
  bool headers = true;
  // The pictures read before the file ended or stopped parsing.
  std::vector<PictureRecord> pictures;
  // The fill, when the parse got that far.
  std::optional<uint64_t> fillOffset;
  uint64_t fillLength = 0;
  std::optional<ParseProblem> problem;
};

// The length of a data block: height * ((width + 7) / 8).
uint64_t BlockLength(uint32_t width, uint32_t height);

// The value of four-digit packed BCD in two bytes, or nothing when a nibble
// is not a decimal digit.
std::optional<uint16_t> DecodePackedBcd(uint8_t high, uint8_t low);

// Reads a file written with headers.
ImageFileLayout ReadWithHeaders(std::span<const uint8_t> bytes);

// Reads a file written without headers, its pictures of the given sizes.
ImageFileLayout ReadWithoutHeaders(std::span<const uint8_t> bytes,
                                   std::span<const PictureSize> sizes);

// Pixel (x, y) of a data block, y = 0 the top row: true for black (a 1 bit).
// `block` holds BlockLength(width, height) bytes and x < width, y < height.
inline bool PixelIsBlack(std::span<const uint8_t> block, uint32_t height,
                         uint32_t x, uint32_t y) {
  const uint8_t byte = block[size_t{x / 8} * height + y];
  return ((byte >> (7 - x % 8)) & 1u) != 0;
}

}  // namespace quendrix::view
