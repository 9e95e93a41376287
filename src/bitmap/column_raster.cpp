#include "bitmap/column_raster.h"

#include <algorithm>
#include <optional>

#include "bitmap/fast_raster.h"
#include "bitmap/rle_decoder.h"

namespace quendrix {
namespace {

// Entry k has its k lowest bits set: the columns of a last band that lie
// beyond the right edge when k of its 8 bits do.
constexpr uint8_t kLastBandMask[8] = {0x00, 0x01, 0x03, 0x07,
                                      0x0F, 0x1F, 0x3F, 0x7F};

bool IsWhite(const std::array<uint8_t, 4>& color) {
  return color[0] == 255 && color[1] == 255 && color[2] == 255;
}

uint16_t Bit(const ImageEntry& entry, unsigned index) {
  return IsWhite(entry.colorTable[index]) ? 0 : 1;
}

// The first byte of picture row i (row 0 the top row).
const uint8_t* Row(const ImageEntry& entry, const uint8_t* pixels, size_t i) {
  size_t stride = static_cast<size_t>(entry.dataSize) / entry.height;
  if (entry.topDown) return pixels + i * stride;
  return pixels + static_cast<size_t>(entry.dataSize) - (i + 1) * stride;
}

}  // namespace

size_t BlockSize(const ImageEntry& entry) {
  return size_t{entry.height} * ((size_t{entry.width} + 7) / 8);
}

bool EntryFitsPixels(const ImageEntry& entry) {
  if (IsRunLengthEncoded(entry)) return RunLengthFits(entry);
  if (entry.height == 0 || entry.dataSize <= 0) return false;
  int64_t stride = entry.dataSize / entry.height;
  return stride >= (int64_t{entry.width} * entry.bitCount + 7) / 8;
}

void SetBit(uint8_t& target, int16_t bit, uint16_t value) {
  if (value == 1) {
    target = static_cast<uint8_t>(target | (1u << bit));
  } else {
    target = static_cast<uint8_t>(target & ~(1u << bit));
  }
}

void ConvertPixelsPerBit(const ImageEntry& entry, const uint8_t* pixels,
                         uint8_t* block) {
  const size_t height = entry.height;
  const size_t bands = (size_t{entry.width} + 7) / 8;
  const size_t fullBands = entry.width / 8u;
  const unsigned r = entry.width % 8u;
  uint8_t* out = block;

  if (entry.bitCount == 1) {
    const unsigned p = static_cast<unsigned>(8 * bands - entry.width);
    for (size_t b = 0; b < bands; ++b) {
      for (size_t i = 0; i < height; ++i) {
        uint8_t stored = Row(entry, pixels, i)[b];
        uint8_t value = 0;
        if (entry.color0Blue == 255) {
          value = stored;
        } else if (entry.color0Blue == 0) {
          value = static_cast<uint8_t>(~stored);
        } else {
          for (int k = 0; k < 8; ++k) {
            SetBit(value, static_cast<int16_t>(7 - k),
                   Bit(entry, (stored >> (7 - k)) & 1u));
          }
        }
        if (b == bands - 1) value = static_cast<uint8_t>(value & ~kLastBandMask[p]);
        *out++ = value;
      }
    }
    return;
  }

  const size_t perBand = entry.bitCount == 4 ? 4 : 8;
  for (size_t b = 0; b < fullBands; ++b) {
    for (size_t i = 0; i < height; ++i) {
      const uint8_t* source = Row(entry, pixels, i) + perBand * b;
      uint8_t value = 0;
      for (size_t j = 0; j < perBand; ++j) {
        if (entry.bitCount == 4) {
          SetBit(value, static_cast<int16_t>(7 - 2 * j), Bit(entry, source[j] >> 4));
          SetBit(value, static_cast<int16_t>(6 - 2 * j), Bit(entry, source[j] & 15u));
        } else {
          SetBit(value, static_cast<int16_t>(7 - j), Bit(entry, source[j]));
        }
      }
      *out++ = value;
    }
  }
  if (r == 0) return;
  for (size_t i = 0; i < height; ++i) {
    const uint8_t* source = Row(entry, pixels, i) + perBand * fullBands;
    uint8_t value = 0;
    if (entry.bitCount == 4) {
      const unsigned n = (r + 1) / 2;
      for (unsigned j = 0; j < n; ++j) {
        SetBit(value, static_cast<int16_t>(7 - 2 * j), Bit(entry, source[j] >> 4));
        if (j + 1 < n || r % 2 == 0) {
          SetBit(value, static_cast<int16_t>(6 - 2 * j), Bit(entry, source[j] & 15u));
        }
      }
    } else {
      for (unsigned j = 0; j < r; ++j) {
        SetBit(value, static_cast<int16_t>(7 - j), Bit(entry, source[j]));
      }
    }
    *out++ = value;
  }
}

void ConvertPixels(const ImageEntry& entry, const uint8_t* pixels,
                   uint8_t* block) {
  ConvertPixelsFast(entry, pixels, block);
}

uint8_t* ConversionBuffers::Grow(Platform& platform,
                                 std::unique_ptr<uint8_t[]>& buffer,
                                 size_t& capacity, size_t size) {
  if (size <= capacity && buffer) return buffer.get();
  buffer.reset();  // give the old block back before asking for a larger one
  capacity = 0;
  buffer = platform.Allocate(std::max<size_t>(size, 1));
  if (buffer) capacity = size;
  return buffer.get();
}

uint8_t* ConversionBuffers::Source(Platform& platform, size_t size) {
  return Grow(platform, source_, sourceCapacity_, size);
}

uint8_t* ConversionBuffers::Result(Platform& platform, size_t size) {
  return Grow(platform, result_, resultCapacity_, size);
}

ConvertResult ConvertEntry(Platform& platform, const ImageEntry& entry,
                           ConversionBuffers& buffers, const uint8_t** block) {
  *block = nullptr;
  if (!EntryFitsPixels(entry)) return ConvertResult::kCannotRead;
  const bool encoded = IsRunLengthEncoded(entry);
  const auto dataSize = static_cast<size_t>(entry.dataSize);
  // Uncompressed rows are read through a window of a few tiles of rows, each
  // piece converted as soon as it has arrived (fast_raster.h). An encoded
  // picture is read whole, then decoded into uncompressed rows of its own.
  uint8_t* source =
      buffers.Source(platform, encoded ? dataSize : ConversionWindowSize(entry));
  if (!source) return ConvertResult::kNoMemory;
  uint8_t* result = buffers.Result(platform, BlockSize(entry));
  if (!result) return ConvertResult::kNoMemory;
  std::optional<ImageEntry> rows;
  std::unique_ptr<uint8_t[]> decoded;
  if (encoded) {
    rows = DecodedEntry(entry);
    decoded = platform.Allocate(static_cast<size_t>(rows->dataSize));
    if (!decoded) return ConvertResult::kNoMemory;
  }

  std::unique_ptr<InputFile> file = platform.OpenForReading(entry.path);
  if (!file) return ConvertResult::kCannotRead;
  if (!encoded) {
    if (!ReadAndConvert(*file, entry, source, result)) {
      return ConvertResult::kCannotRead;  // the file shrank, or a read failed
    }
    *block = result;
    return ConvertResult::kConverted;
  }
  if (!ReadPixelPieces(*file, entry.dataOffset, source, dataSize)) {
    return ConvertResult::kCannotRead;  // the file shrank, or a read failed
  }
  file.reset();

  DecodeRunLength({source, dataSize}, entry.width, entry.height, entry.bitCount,
                  decoded.get());
  ConvertPixels(*rows, decoded.get(), result);
  *block = result;
  return ConvertResult::kConverted;
}

}  // namespace quendrix
