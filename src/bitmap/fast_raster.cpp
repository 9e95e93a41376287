#include "bitmap/fast_raster.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "bitmap/fast_raster_kernels.h"

namespace quendrix {
namespace raster {

void PackRow1Portable(const uint8_t* row, size_t pixels,
                      const ColourDecisions& decisions, uint8_t* bands) {
  const size_t whole = pixels / 8;
  const uint64_t keep = 0x0101010101010101u * decisions.keep;
  const uint64_t flip = 0x0101010101010101u * decisions.flip;
  size_t b = 0;
  for (; b + 8 <= whole; b += 8) {
    uint64_t word;
    std::memcpy(&word, row + b, sizeof word);
    word = (word & keep) ^ flip;
    std::memcpy(bands + b, &word, sizeof word);
  }
  for (; b < whole; ++b) {
    bands[b] = static_cast<uint8_t>((row[b] & decisions.keep) ^ decisions.flip);
  }
  if (const size_t r = pixels % 8; r > 0) {
    // The columns beyond the right edge are cleared.
    const auto edge = static_cast<uint8_t>(0xFF00u >> r);
    bands[whole] = static_cast<uint8_t>(((row[whole] & decisions.keep) ^ decisions.flip) & edge);
  }
}

void PackRow4Portable(const uint8_t* row, size_t pixels,
                      const ColourDecisions& decisions, uint8_t* bands) {
  const auto& bits = decisions.nibbleBits;
  const size_t whole = pixels / 8;
  for (size_t b = 0; b < whole; ++b) {
    const uint8_t* p = row + 4 * b;
    bands[b] = static_cast<uint8_t>(bits[0][p[0]] | bits[1][p[1]] |
                                    bits[2][p[2]] | bits[3][p[3]]);
  }
  if (const size_t r = pixels % 8; r > 0) {
    // (r + 1) / 2 bytes hold the last r pixels; when r is odd the low nibble
    // of the last of them lies beyond the edge, and its bit is masked off.
    const uint8_t* p = row + 4 * whole;
    unsigned value = 0;
    for (size_t j = 0; j < (r + 1) / 2; ++j) value |= bits[j][p[j]];
    bands[whole] = static_cast<uint8_t>(value & (0xFF00u >> r));
  }
}

void PackRow8Portable(const uint8_t* row, size_t pixels,
                      const ColourDecisions& decisions, uint8_t* bands) {
  const auto& bits = decisions.bandBit;
  const size_t whole = pixels / 8;
  for (size_t b = 0; b < whole; ++b) {
    const uint8_t* p = row + 8 * b;
    bands[b] = static_cast<uint8_t>(bits[0][p[0]] | bits[1][p[1]] | bits[2][p[2]] |
                                    bits[3][p[3]] | bits[4][p[4]] | bits[5][p[5]] |
                                    bits[6][p[6]] | bits[7][p[7]]);
  }
  if (const size_t r = pixels % 8; r > 0) {
    const uint8_t* p = row + 8 * whole;
    unsigned value = 0;
    for (size_t j = 0; j < r; ++j) value |= bits[j][p[j]];
    bands[whole] = static_cast<uint8_t>(value);
  }
}

void TransposeTilePortable(const uint8_t* tile, size_t pitch, size_t rows,
                           size_t bands, uint8_t* out, size_t height) {
  for (size_t m = 0; m < bands; ++m) {
    uint8_t* column = out + m * height;
    for (size_t k = 0; k < rows; ++k) column[k] = tile[k * pitch + m];
  }
}

}  // namespace raster

namespace {

using raster::ColourDecisions;
using raster::Kernels;

// Rows are converted this many at a time: a tile of packed rows is then
// transposed in blocks of 16 rows by 16 bands.
constexpr size_t kTileRows = 16;
// The most bands packed per tile row, so that a tile stays within the first
// level cache however wide the picture (wider rows are taken in pieces).
constexpr size_t kTileBands = 1024;

bool IsWhite(const std::array<uint8_t, 4>& color) {
  return color[0] == 255 && color[1] == 255 && color[2] == 255;
}

void Decide1(const ImageEntry& entry, ColourDecisions& decisions) {
  if (entry.color0Blue == 255) {  // stored bits kept
    decisions.keep = 0xFF;
    decisions.flip = 0x00;
  } else if (entry.color0Blue == 0) {  // stored bits inverted
    decisions.keep = 0xFF;
    decisions.flip = 0xFF;
  } else {
    // Each pixel by the white test of its own entry: a stored bit b gives
    // dark(b), which is a copy, an inversion or a constant of the stored bits.
    const bool dark0 = !IsWhite(entry.colorTable[0]);
    const bool dark1 = !IsWhite(entry.colorTable[1]);
    decisions.keep = dark0 != dark1 ? 0xFF : 0x00;
    decisions.flip = dark0 ? 0xFF : 0x00;
  }
}

void Decide4(const ImageEntry& entry, ColourDecisions& decisions) {
  // Every nibble value indexes the table, even beyond the entries the file
  // holds (those are black).
  std::array<unsigned, 16> dark{};
  for (unsigned n = 0; n < 16; ++n) {
    dark[n] = IsWhite(entry.colorTable[n]) ? 0 : 1;
    decisions.darkNibble[n] = dark[n] ? 0xFF : 0x00;
  }
  for (unsigned j = 0; j < 4; ++j) {
    for (unsigned v = 0; v < 256; ++v) {
      decisions.nibbleBits[j][v] =
          static_cast<uint8_t>(dark[v >> 4] << (7 - 2 * j) | dark[v & 15] << (6 - 2 * j));
    }
  }
}

void Decide8(const ImageEntry& entry, ColourDecisions& decisions) {
  std::memset(decisions.darkByLow, 0, sizeof decisions.darkByLow);
  for (unsigned v = 0; v < 256; ++v) {
    const unsigned dark = IsWhite(entry.colorTable[v]) ? 0 : 1;
    for (unsigned j = 0; j < 8; ++j) {
      decisions.bandBit[j][v] = static_cast<uint8_t>(dark << (7 - j));
    }
    const unsigned high = v >> 4;
    decisions.darkByLow[high / 8][v & 15] |= static_cast<uint8_t>(dark << (high % 8));
  }
}

const Kernels kPortableKernels = {
    raster::PackRow1Portable,
    raster::PackRow4Portable,
    raster::PackRow8Portable,
    raster::TransposeTilePortable,
};

const Kernels& KernelsFor(RasterPath path) {
  if (path == RasterPath::kAvx2) {
    if (const Kernels* kernels = raster::Avx2Kernels()) return *kernels;
  }
  return kPortableKernels;
}

void Convert(const Kernels& kernels, const ImageEntry& entry,
             const uint8_t* pixels, uint8_t* block) {
  const size_t height = entry.height;
  const size_t width = entry.width;
  const size_t bands = (width + 7) / 8;
  if (bands == 0 || height == 0) return;
  const auto dataSize = static_cast<size_t>(entry.dataSize);
  const size_t stride = dataSize / height;

  ColourDecisions decisions;
  raster::PackRow pack = nullptr;
  switch (entry.bitCount) {
    case 1:
      Decide1(entry, decisions);
      pack = kernels.packRow1;
      break;
    case 4:
      Decide4(entry, decisions);
      pack = kernels.packRow4;
      break;
    case 8:
      Decide8(entry, decisions);
      pack = kernels.packRow8;
      break;
    default:
      return;
  }

  // The tile's row pitch: the bands of one piece of a row, rounded up to a
  // whole number of 32-byte vectors.
  const size_t pitch = std::min(kTileBands, (bands + 31) / 32 * 32);
  alignas(64) uint8_t tile[kTileRows * kTileBands];

  const size_t tiles = (height + kTileRows - 1) / kTileRows;
  for (size_t n = 0; n < tiles; ++n) {
    // A bottom-up picture stores its bottom row first: its tiles, and the
    // rows within them, are taken from the bottom up, so that the pixel data
    // is read forwards.
    const size_t t = entry.topDown ? n : tiles - 1 - n;
    const size_t first = t * kTileRows;
    const size_t rows = std::min(kTileRows, height - first);
    for (size_t b0 = 0; b0 < bands; b0 += pitch) {
      const size_t pieceBands = std::min(pitch, bands - b0);
      const size_t piecePixels = std::min(pieceBands * 8, width - b0 * 8);
      // b0 bands are b0 * 8 pixels, b0 * bitCount bytes.
      const size_t offset = b0 * entry.bitCount;
      for (size_t m = 0; m < rows; ++m) {
        const size_t k = entry.topDown ? m : rows - 1 - m;
        const size_t i = first + k;
        const uint8_t* row =
            entry.topDown ? pixels + i * stride : pixels + dataSize - (i + 1) * stride;
        pack(row + offset, piecePixels, decisions, tile + k * pitch);
      }
      kernels.transposeTile(tile, pitch, rows, pieceBands, block + b0 * height + first,
                            height);
    }
  }
}

}  // namespace

bool RasterPathAvailable(RasterPath path) {
  switch (path) {
    case RasterPath::kPortable:
      return true;
    case RasterPath::kAvx2:
      return raster::Avx2Kernels() != nullptr;
  }
  return false;
}

RasterPath FastestRasterPath() {
  static const RasterPath fastest =
      RasterPathAvailable(RasterPath::kAvx2) ? RasterPath::kAvx2 : RasterPath::kPortable;
  return fastest;
}

void ConvertPixelsFast(const ImageEntry& entry, const uint8_t* pixels,
                       uint8_t* block) {
  ConvertPixelsFast(FastestRasterPath(), entry, pixels, block);
}

void ConvertPixelsFast(RasterPath path, const ImageEntry& entry,
                       const uint8_t* pixels, uint8_t* block) {
  Convert(KernelsFor(path), entry, pixels, block);
}

}  // namespace quendrix
