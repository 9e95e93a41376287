#pragma once

// The inner loops of the fast column raster (fast_raster.h), one set for each
// path, and the tables they share.

#include <cstddef>
#include <cstdint>

namespace quendrix::raster {

// Rows are converted this many at a time, in vertical strips of at most
// kStripBands bands: the strip of each row is packed into its band bytes
// (kept as stored for 1 bit per pixel), and this tile of band bytes is then
// transposed into the block.
inline constexpr size_t kTileRows = 128;
inline constexpr size_t kStripBands = 256;

// What the colour indices of one picture decide, worked out once per picture
// in the forms the row packers look up. "Dark" means "not white": the pixel
// gives the bit 1.
struct ColourDecisions {
  // 8 bits: bandBit[j][v] is the bit of pixel j of a band (1 << (7 - j)) when
  // index v is dark, else 0.
  uint8_t bandBit[8][256];
  // 4 bits: nibbleBits[j][v] holds the two band bits that byte j of a band,
  // of value v, gives: its high nibble at bit 7 - 2j, its low one at 6 - 2j.
  uint8_t nibbleBits[4][256];
  // 8 bits, for byte shuffles: darkByLow[s][lo] has bit h set when index
  // (8 * s + h) * 16 + lo is dark, for h = 0 to 7.
  uint8_t darkByLow[2][16];
  // 4 bits, for byte shuffles: 0xFF when index n is dark, else 0.
  uint8_t darkNibble[16];
  // 8 bits, for bit gathers: bit q of darkByLow6[x] is set when index
  // 64 * q + x is dark, for q = 0 to 3.
  uint8_t darkByLow6[64];
  // 4 bits, for bit gathers: bit n is set when index n is dark, and the 16
  // bits repeat four times, so that any 6-bit index whose low 4 bits are n
  // finds the bit of n.
  uint64_t darkNibbleBits;
  // 1 bit: the band byte is (stored & keep) ^ flip; edge keeps the pixels of
  // the last band that lie within the picture.
  uint8_t keep;
  uint8_t flip;
  uint8_t edge;
};

// Packs the first `pixels` pixels of a row, starting at its first byte, into
// (pixels + 7) / 8 band bytes; bits beyond the last pixel are 0. Reads no byte
// beyond the (pixels * depth + 7) / 8 the pixels take.
using PackRow = void (*)(const uint8_t* row, size_t pixels,
                         const ColourDecisions& decisions, uint8_t* bands);

// Moves a tile of rows of band bytes into the column raster: byte m of row k,
// rows[k][m], made (byte & keep) ^ flip, goes to out[m * height + k], for k
// below `count` (at most kTileRows) and m below `bands` (at most
// kStripBands). The rows of a 1-bit picture are its band bytes as stored;
// other rows are packed first.
using TransposeRows = void (*)(const uint8_t* const* rows, size_t count,
                               size_t bands, uint8_t keep, uint8_t flip,
                               uint8_t* out, size_t height);

struct Kernels {
  PackRow packRow4;
  PackRow packRow8;
  TransposeRows transposeRows;
};

// Plain C++ for every processor; the vector kernels finish rows with them.
void PackRow4Portable(const uint8_t* row, size_t pixels,
                      const ColourDecisions& decisions, uint8_t* bands);
void PackRow8Portable(const uint8_t* row, size_t pixels,
                      const ColourDecisions& decisions, uint8_t* bands);
void TransposeRowsPortable(const uint8_t* const* rows, size_t count,
                           size_t bands, uint8_t keep, uint8_t flip,
                           uint8_t* out, size_t height);

// The vector kernels when this build has them and the processor runs them;
// otherwise null.
const Kernels* Avx2Kernels();
const Kernels* Avx512Kernels();

}  // namespace quendrix::raster
