#pragma once

// The column raster built at memory speed. Gives the same bytes as
// ConvertPixelsPerBit (column_raster.h), by another road:
//
//   - what a colour index decides (white or not) is worked out once per
//     picture, into lookup tables, instead of testing colour entries per pixel;
//   - each row is packed into its band bytes, eight pixels to one byte at once
//     (vector instructions where the processor has them);
//   - rows are taken in tiles of 16, in the order they lie in memory, and each
//     tile of packed rows is transposed into the band-major block, so that the
//     source is read in one forward sweep and the block is written a cache line
//     at a time.

#include <cstdint>

#include "model/image_table.h"

namespace quendrix {

// The ways through the conversion. Every path gives the same bytes.
enum class RasterPath {
  kPortable,  // plain C++, on any processor
  kAvx2,      // x86-64 vector instructions (AVX2), chosen at run time
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

}  // namespace quendrix
