#pragma once

// The column raster: a picture of one bit per pixel cut into bands of 8 pixel
// columns, from the left edge to the right. Each band is stored as one byte per
// pixel row, top row first, and the bands follow one another, so band b, row i
// is byte b * height + i. Bit 7 of a byte is the band's leftmost pixel. A bit
// is 0 for a white pixel and 1 for any other; bits beyond the right edge are 0.
//
// A 1-bit picture keeps its stored bits when its colour entry 0 has the blue
// byte 255 and has them inverted when that byte is 0; with any other blue byte
// each pixel is judged by the white test of its own colour entry.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/image_table.h"
#include "platform/platform.h"

namespace quendrix {

// The length of an entry's data block: height * ((width + 7) / 8).
size_t BlockSize(const ImageEntry& entry);

// Whether an entry's sizes let the conversion stay inside its buffers: a
// height of at least 1 and a row stride (dataSize / height) that holds a row.
bool EntryFitsPixels(const ImageEntry& entry);

// Sets (value 1) or clears (value 0) bit `bit` of `target`.
void SetBit(uint8_t& target, int16_t bit, uint16_t value);

// Builds the data block of an entry whose rows are uncompressed. `pixels`
// holds entry.dataSize bytes, `block` has room for BlockSize(entry) bytes;
// the entry must fit its pixels (EntryFitsPixels).
void ConvertPixels(const ImageEntry& entry, const uint8_t* pixels,
                   uint8_t* block);

// The same, one pixel and one SetBit call at a time: the plain statement of
// the rules, kept as the yardstick for faster conversions.
void ConvertPixelsPerBit(const ImageEntry& entry, const uint8_t* pixels,
                         uint8_t* block);

// The memory one conversion works in, kept from picture to picture so that a
// job does not pay for fresh pages each time.
class ConversionBuffers {
 public:
  // A buffer of at least `size` bytes, or null when it cannot be had.
  uint8_t* Source(Platform& platform, size_t size);
  uint8_t* Result(Platform& platform, size_t size);

 private:
  static uint8_t* Grow(Platform& platform, std::unique_ptr<uint8_t[]>& buffer,
                       size_t& capacity, size_t size);
  std::unique_ptr<uint8_t[]> source_;
  size_t sourceCapacity_ = 0;
  std::unique_ptr<uint8_t[]> result_;
  size_t resultCapacity_ = 0;
};

enum class ConvertResult {
  kConverted,
  kCannotRead,  // the file cannot be opened again, or holds too few bytes
  kNoMemory,    // a buffer cannot be obtained
};

// Reads the pixel data of an accepted bitmap and builds its data block, which
// is then found at `buffers.Result(...)`, BlockSize(entry) bytes long.
ConvertResult ConvertEntry(Platform& platform, const ImageEntry& entry,
                           ConversionBuffers& buffers, const uint8_t** block);

}  // namespace quendrix
