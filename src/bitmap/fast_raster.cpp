#include "bitmap/fast_raster.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

#include "bitmap/fast_raster_kernels.h"

namespace quendrix {
namespace raster {

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

namespace {

// Transposes 8 x 8 bytes held in 8 words, byte j of word i being element
// (i, j): three rounds of swapping the off-diagonal halves of 4 x 4, 2 x 2
// and 1 x 1 blocks. Words are little-endian here (byte 0 the lowest).
void Transpose8x8(uint64_t (&x)[8]) {
  // Swaps the high part of a's elements with the low part of b's.
  const auto swap = [](uint64_t& a, uint64_t& b, int shift, uint64_t mask) {
    const uint64_t t = ((a >> shift) ^ b) & mask;
    a ^= t << shift;
    b ^= t;
  };
  constexpr uint64_t kHalves = 0x00000000FFFFFFFFu;
  constexpr uint64_t kQuarters = 0x0000FFFF0000FFFFu;
  constexpr uint64_t kEighths = 0x00FF00FF00FF00FFu;
  swap(x[0], x[4], 32, kHalves);
  swap(x[1], x[5], 32, kHalves);
  swap(x[2], x[6], 32, kHalves);
  swap(x[3], x[7], 32, kHalves);
  swap(x[0], x[2], 16, kQuarters);
  swap(x[1], x[3], 16, kQuarters);
  swap(x[4], x[6], 16, kQuarters);
  swap(x[5], x[7], 16, kQuarters);
  swap(x[0], x[1], 8, kEighths);
  swap(x[2], x[3], 8, kEighths);
  swap(x[4], x[5], 8, kEighths);
  swap(x[6], x[7], 8, kEighths);
}

}  // namespace

void TransposeRowsPortable(const uint8_t* const* rows, size_t count,
                           size_t bands, uint8_t keep, uint8_t flip,
                           uint8_t* out, size_t height) {
  size_t m = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Blocks of 8 rows by 8 bands, as words.
    const uint64_t keepAll = 0x0101010101010101u * keep;
    const uint64_t flipAll = 0x0101010101010101u * flip;
    // Each block of 8 bands goes through a staging area first, whose bands
    // lie an odd number of cache lines apart, and is then copied out band by
    // band (see kStagingPitch in the vector kernels).
    constexpr size_t kPitch = kTileRows + 64;
    alignas(8) uint8_t staging[8 * kPitch];
    for (; m + 8 <= bands; m += 8) {
      size_t k = 0;
      for (; k + 8 <= count; k += 8) {
        uint64_t x[8];
#pragma GCC unroll 8
        for (size_t r = 0; r < 8; ++r) {
          std::memcpy(&x[r], rows[k + r] + m, sizeof x[r]);
          x[r] = (x[r] & keepAll) ^ flipAll;
        }
        Transpose8x8(x);
#pragma GCC unroll 8
        for (size_t j = 0; j < 8; ++j) std::memcpy(staging + j * kPitch + k, &x[j], 8);
      }
      for (; k < count; ++k) {
        for (size_t j = 0; j < 8; ++j) {
          staging[j * kPitch + k] = static_cast<uint8_t>((rows[k][m + j] & keep) ^ flip);
        }
      }
      for (size_t j = 0; j < 8; ++j) std::memcpy(out + (m + j) * height, staging + j * kPitch, count);
    }
  }
  for (; m < bands; ++m) {
    uint8_t* column = out + m * height;
    for (size_t k = 0; k < count; ++k) {
      column[k] = static_cast<uint8_t>((rows[k][m] & keep) ^ flip);
    }
  }
}

}  // namespace raster

namespace {

using raster::ColourDecisions;
using raster::Kernels;
using raster::kStripBands;
using raster::kTileRows;

// The pixel data is read through a window of about this many bytes: large
// enough that the calls into the system cost next to nothing beside the
// copying, small enough to stay in the processor's cache until converted.
constexpr size_t kWindowBytes = size_t{256} << 10;

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
  // The columns beyond the right edge are cleared.
  decisions.edge = static_cast<uint8_t>(0xFF00u >> (entry.width % 8 == 0 ? 8 : entry.width % 8));
}

void Decide4(const ImageEntry& entry, ColourDecisions& decisions) {
  // Every nibble value indexes the table, even beyond the entries the file
  // holds (those are black).
  std::array<unsigned, 16> dark{};
  decisions.darkNibbleBits = 0;
  for (unsigned n = 0; n < 16; ++n) {
    dark[n] = IsWhite(entry.colorTable[n]) ? 0 : 1;
    decisions.darkNibble[n] = dark[n] ? 0xFF : 0x00;
    decisions.darkNibbleBits |= uint64_t{0x0001000100010001} * dark[n] << n;
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
  std::memset(decisions.darkByLow6, 0, sizeof decisions.darkByLow6);
  for (unsigned v = 0; v < 256; ++v) {
    const unsigned dark = IsWhite(entry.colorTable[v]) ? 0 : 1;
    for (unsigned j = 0; j < 8; ++j) {
      decisions.bandBit[j][v] = static_cast<uint8_t>(dark << (7 - j));
    }
    const unsigned high = v >> 4;
    decisions.darkByLow[high / 8][v & 15] |= static_cast<uint8_t>(dark << (high % 8));
    decisions.darkByLow6[v & 63] |= static_cast<uint8_t>(dark << (v >> 6));
  }
}

const Kernels kPortableKernels = {
    raster::PackRow4Portable,
    raster::PackRow8Portable,
    raster::TransposeRowsPortable,
};

const Kernels* KernelsOrNull(RasterPath path) {
  switch (path) {
    case RasterPath::kPortable:
      return &kPortableKernels;
    case RasterPath::kAvx2:
      return raster::Avx2Kernels();
    case RasterPath::kAvx512:
      return raster::Avx512Kernels();
  }
  return nullptr;
}

const Kernels& KernelsFor(RasterPath path) {
  const Kernels* kernels = KernelsOrNull(path);
  return kernels ? *kernels : kPortableKernels;
}

}  // namespace

bool RasterPathAvailable(RasterPath path) { return KernelsOrNull(path) != nullptr; }

RasterPath FastestRasterPath() {
  static const RasterPath fastest = [] {
    for (RasterPath path : {RasterPath::kAvx512, RasterPath::kAvx2}) {
      if (RasterPathAvailable(path)) return path;
    }
    return RasterPath::kPortable;
  }();
  return fastest;
}

ColumnRasterBuilder::ColumnRasterBuilder(const ImageEntry& entry, uint8_t* block,
                                         RasterPath path)
    : entry_(entry),
      block_(block),
      kernels_(KernelsFor(path)),
      height_(entry.height),
      width_(entry.width),
      bands_((width_ + 7) / 8),
      dataSize_(static_cast<size_t>(entry.dataSize)),
      stride_(height_ > 0 ? dataSize_ / height_ : 0),
      tiles_(bands_ > 0 ? (height_ + kTileRows - 1) / kTileRows : 0) {
  switch (entry.bitCount) {
    case 1:
      Decide1(entry, decisions_);
      break;
    case 4:
      Decide4(entry, decisions_);
      pack_ = kernels_.packRow4;
      break;
    case 8:
      Decide8(entry, decisions_);
      pack_ = kernels_.packRow8;
      break;
    default:
      tiles_ = 0;  // no depth the conversion knows: nothing to convert
      break;
  }
}

size_t ColumnRasterBuilder::FirstRow(size_t n) const {
  // A bottom-up picture stores its bottom row first: its first tile in
  // memory is its last one.
  return (entry_.topDown ? n : tiles_ - 1 - n) * kTileRows;
}

ColumnRasterBuilder::Range ColumnRasterBuilder::TileRange(size_t n) const {
  const size_t first = FirstRow(n);
  const size_t rows = std::min(kTileRows, height_ - first);
  if (entry_.topDown) return {first * stride_, (first + rows) * stride_};
  return {dataSize_ - (first + rows) * stride_, dataSize_ - first * stride_};
}

void ColumnRasterBuilder::ConvertTile(size_t n, const uint8_t* data, size_t begin) {
  const size_t first = FirstRow(n);
  const size_t rows = std::min(kTileRows, height_ - first);
  // Where each row of the tile starts in `data`.
  const uint8_t* source[kTileRows];
  for (size_t k = 0; k < rows; ++k) {
    const size_t i = first + k;
    const size_t offset = entry_.topDown ? i * stride_ : dataSize_ - (i + 1) * stride_;
    source[k] = data + (offset - begin);
  }
  // The band bytes of one strip of the tile's rows (32 KiB): small enough
  // for the stack, and so the same memory for every tile.
  alignas(64) uint8_t tile[kTileRows * kStripBands];
  const uint8_t* packed[kTileRows];
  for (size_t b0 = 0; b0 < bands_; b0 += kStripBands) {
    const size_t stripBands = std::min(kStripBands, bands_ - b0);
    uint8_t* out = block_ + b0 * height_ + first;
    // b0 bands are b0 * 8 pixels, b0 * bitCount bytes into a row.
    const size_t offset = b0 * entry_.bitCount;
    if (pack_ == nullptr) {
      // 1 bit per pixel: the stored bytes are the band bytes already.
      for (size_t k = 0; k < rows; ++k) packed[k] = source[k] + offset;
      kernels_.transposeRows(packed, rows, stripBands, decisions_.keep, decisions_.flip, out,
                             height_);
      if (b0 + stripBands == bands_ && decisions_.edge != 0xFF) {
        uint8_t* last = out + (stripBands - 1) * height_;
        for (size_t k = 0; k < rows; ++k) last[k] = static_cast<uint8_t>(last[k] & decisions_.edge);
      }
      continue;
    }
    const size_t stripPixels = std::min(stripBands * 8, width_ - b0 * 8);
    // The tile's row pitch: the strip's bands, rounded up to whole vectors.
    const size_t pitch = (stripBands + 31) / 32 * 32;
    // Packed in the order the rows lie in memory.
    for (size_t m = 0; m < rows; ++m) {
      const size_t k = entry_.topDown ? m : rows - 1 - m;
      pack_(source[k] + offset, stripPixels, decisions_, tile + k * pitch);
      packed[k] = tile + k * pitch;
    }
    kernels_.transposeRows(packed, rows, stripBands, 0xFF, 0x00, out, height_);
  }
}

void ConvertPixelsFast(const ImageEntry& entry, const uint8_t* pixels,
                       uint8_t* block) {
  ConvertPixelsFast(FastestRasterPath(), entry, pixels, block);
}

void ConvertPixelsFast(RasterPath path, const ImageEntry& entry,
                       const uint8_t* pixels, uint8_t* block) {
  ColumnRasterBuilder builder(entry, block, path);
  for (size_t n = 0; n < builder.Tiles(); ++n) builder.ConvertTile(n, pixels, 0);
}

size_t ConversionWindowSize(const ImageEntry& entry) {
  const size_t height = entry.height;
  const auto dataSize = static_cast<size_t>(entry.dataSize);
  if (height == 0) return 0;
  const size_t stride = dataSize / height;
  // A tile, and the bytes beside the rows (dataSize % height of them, before
  // the first row or after the last) that share a piece with it.
  const size_t tile = std::min(height, kTileRows) * stride + dataSize % height;
  return std::max(tile, std::min(dataSize, kWindowBytes));
}

bool ReadPixelPieces(InputFile& file, int64_t offset, uint8_t* destination,
                     size_t size) {
  constexpr size_t kPiece = 32767;
  for (size_t done = 0; done < size;) {
    const int64_t got =
        file.ReadPieces(offset + static_cast<int64_t>(done), destination + done, size - done, kPiece);
    if (got <= 0) return false;  // the file ended early, or a read failed
    done += static_cast<size_t>(got);
  }
  return true;
}

bool ReadAndConvert(InputFile& file, const ImageEntry& entry, uint8_t* window,
                    uint8_t* block) {
  const auto dataSize = static_cast<size_t>(entry.dataSize);
  const size_t windowSize = ConversionWindowSize(entry);
  ColumnRasterBuilder builder(entry, block);
  const size_t tiles = builder.Tiles();
  // The whole pixel data is read, a window at a time; each window ends where
  // a tile does, and holds as many whole tiles as it takes.
  size_t n = 0;
  for (size_t begin = 0; begin < dataSize;) {
    size_t last = n;
    size_t end = begin;
    while (last < tiles && builder.TileRange(last).end - begin <= windowSize) {
      end = builder.TileRange(last++).end;
    }
    // The bytes after the last tile (or all of them, when there is none).
    if (last == tiles) end = std::min(dataSize, begin + windowSize);
    if (!ReadPixelPieces(file, int64_t{entry.dataOffset} + static_cast<int64_t>(begin),
                         window, end - begin)) {
      return false;  // the file ended early, or a read failed
    }
    for (; n < last; ++n) builder.ConvertTile(n, window, begin);
    begin = end;
  }
  return true;
}

}  // namespace quendrix
