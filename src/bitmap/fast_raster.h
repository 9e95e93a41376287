#pragma once

// The column raster built at memory speed. Gives the same bytes as
// ConvertPixelsPerBit (column_raster.h), by another road:
//
//   - what a colour index decides (white or not) is worked out once per
//     picture, into lookup tables, instead of testing colour entries per pixel;
//   - each row is packed into its band bytes, eight pixels to one byte at once
//     (vector instructions where the processor has them);
//   - rows are taken in tiles of 128, in the order they lie in memory, and
//     each tile of packed rows is transposed into the band-major block, 16
//     bands at a time through a small staging area, so that the pixel data is
//     read in one forward sweep and each band's bytes are written in order;
//   - the pixel data can be read through a small window and converted tile by
//     tile as it arrives (ReadAndConvert), while it is still in the cache.

#include <cstddef>
#include <cstdint>

#include "bitmap/fast_raster_kernels.h"
#include "model/image_table.h"
#include "platform/platform.h"

namespace quendrix {

// The ways through the conversion. Every path gives the same bytes.
enum class RasterPath {
  kPortable,  // plain C++, on any processor
  kAvx2,      // x86-64 vector instructions (AVX2), chosen at run time
  kAvx512,    // x86-64 AVX-512 with byte permutes (VBMI), chosen at run time
};

// Whether this build and this processor can take `path`.
bool RasterPathAvailable(RasterPath path);

// The fastest path this processor can take.
RasterPath FastestRasterPath();

// Builds the data block of an entry whose rows are uncompressed, as
// ConvertPixels does, by the fastest path.
void ConvertPixelsFast(const ImageEntry& entry, const uint8_t* pixels,
                       uint8_t* block);

// The same by the given path, which must be available.
void ConvertPixelsFast(RasterPath path, const ImageEntry& entry,
                       const uint8_t* pixels, uint8_t* block);

// Builds the data block of an entry whose rows are uncompressed, one tile of
// rows at a time, in the order the tiles lie in the pixel data, so that the
// data can be converted while it arrives. The entry must fit its pixels
// (EntryFitsPixels); `block` has room for BlockSize(entry) bytes.
class ColumnRasterBuilder {
 public:
  ColumnRasterBuilder(const ImageEntry& entry, uint8_t* block,
                      RasterPath path = FastestRasterPath());

  struct Range {
    size_t begin;  // offsets into the pixel data
    size_t end;
  };

  // The number of tiles; none when the picture has no band.
  size_t Tiles() const { return tiles_; }
  // The bytes of pixel data tile n (counted in memory order) is read from.
  // The tiles follow one another without gaps.
  Range TileRange(size_t n) const;
  // Converts tile n from `data`, which holds the pixel data from offset
  // `begin` on, up to the tile's end at least.
  void ConvertTile(size_t n, const uint8_t* data, size_t begin);

 private:
  size_t FirstRow(size_t n) const;

  const ImageEntry& entry_;
  uint8_t* block_;
  const raster::Kernels& kernels_;
  raster::ColourDecisions decisions_;
  raster::PackRow pack_ = nullptr;
  size_t height_;
  size_t width_;
  size_t bands_;
  size_t dataSize_;
  size_t stride_;
  size_t tiles_;
};

// Reads `size` bytes of a bitmap from `offset` on into `destination` in
// pieces of at most 32767 bytes, each after a seek to its own offset
// (InputFile::ReadPieces). False when the file ends early or a seek or read
// fails.
bool ReadPixelPieces(InputFile& file, int64_t offset, uint8_t* destination,
                     size_t size);

// The size of the window ReadAndConvert needs for an entry: room for a few
// tiles of rows, never more than the entry's pixel data.
size_t ConversionWindowSize(const ImageEntry& entry);

// Reads the pixel data of an entry whose rows are uncompressed from `file`,
// all entry.dataSize bytes from entry.dataOffset on, through `window`
// (ConversionWindowSize(entry) bytes), converting each piece as soon as it
// has arrived, while it is still in the processor's cache. Returns false when
// the file ends early or a read fails.
bool ReadAndConvert(InputFile& file, const ImageEntry& entry, uint8_t* window,
                    uint8_t* block);

}  // namespace quendrix
