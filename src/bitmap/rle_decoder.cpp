#include "bitmap/rle_decoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace quendrix {
namespace {

// Escape codes: a first byte of 0 followed by one of these.
constexpr uint8_t kEndOfRow = 0;
constexpr uint8_t kEndOfPicture = 1;
constexpr uint8_t kMove = 2;

// Paints pixels one after another along the current row, dropping those
// beyond the right edge.
class Painter {
 public:
  Painter(uint8_t* rows, size_t stride, uint16_t width, uint16_t height,
          bool nibbles)
      : rows_(rows), stride_(stride), width_(width), height_(height),
        nibbles_(nibbles) {}

  void Paint(uint8_t index) {
    if (x_ < width_) {
      uint8_t* row = rows_ + y_ * stride_;
      if (!nibbles_) {
        row[x_] = index;
      } else if (x_ % 2 == 0) {
        row[x_ / 2] = static_cast<uint8_t>((row[x_ / 2] & 0x0F) | index << 4);
      } else {
        row[x_ / 2] = static_cast<uint8_t>((row[x_ / 2] & 0xF0) | index);
      }
      ++x_;
    }
  }

  // Both return false when the new position lies above the top row. The
  // column is kept at the right edge at most: nothing beyond it is painted.
  bool NextRow() {
    x_ = 0;
    return ++y_ < height_;
  }
  bool Move(uint8_t right, uint8_t up) {
    x_ = std::min<size_t>(x_ + right, width_);
    y_ += up;
    return y_ < height_;
  }

 private:
  uint8_t* rows_;
  size_t stride_;
  size_t width_;
  size_t height_;
  bool nibbles_;
  size_t x_ = 0;
  size_t y_ = 0;  // counted from the bottom row
};

// Pixel i of a literal run whose bytes start at `bytes`.
uint8_t LiteralPixel(const uint8_t* bytes, size_t i, bool nibbles) {
  if (!nibbles) return bytes[i];
  return i % 2 == 0 ? static_cast<uint8_t>(bytes[i / 2] >> 4)
                    : static_cast<uint8_t>(bytes[i / 2] & 0x0F);
}

}  // namespace

bool IsRunLengthEncoded(const ImageEntry& entry) {
  return (entry.compression == kCompressionRle8 && entry.bitCount == 8) ||
         (entry.compression == kCompressionRle4 && entry.bitCount == 4);
}

size_t DecodedStride(uint16_t width, uint16_t bitCount) {
  size_t stride = (size_t{width} * bitCount + 31) / 32 * 4;
  // A picture without columns still gets rows of 4 bytes, so that its
  // decoded rows describe an ordinary uncompressed entry.
  return std::max<size_t>(stride, 4);
}

bool RunLengthFits(const ImageEntry& entry) {
  if (entry.topDown || entry.height == 0 || entry.dataSize <= 0) return false;
  const uint64_t decoded =
      uint64_t{entry.height} * DecodedStride(entry.width, entry.bitCount);
  const uint64_t bound = std::max(
      kRunLengthFreeSize, kRunLengthRatio * static_cast<uint64_t>(entry.dataSize));
  return decoded <= bound &&
         decoded <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
}

ImageEntry DecodedEntry(const ImageEntry& entry) {
  ImageEntry rows = entry;
  rows.compression = kCompressionNone;
  rows.topDown = false;
  rows.dataSize = static_cast<int32_t>(
      entry.height * DecodedStride(entry.width, entry.bitCount));
  return rows;
}

void DecodeRunLength(std::span<const uint8_t> data, uint16_t width,
                     uint16_t height, uint16_t bitCount, uint8_t* rows) {
  const size_t stride = DecodedStride(width, bitCount);
  std::memset(rows, 0, stride * height);
  if (height == 0) return;

  const bool nibbles = bitCount == 4;
  Painter painter(rows, stride, width, height, nibbles);
  size_t at = 0;
  while (data.size() - at >= 2) {
    const uint8_t count = data[at];
    const uint8_t code = data[at + 1];
    at += 2;
    if (count > 0) {  // a run: `count` pixels from the byte `code`
      const uint8_t first = nibbles ? static_cast<uint8_t>(code >> 4) : code;
      const uint8_t second = nibbles ? static_cast<uint8_t>(code & 0x0F) : code;
      for (size_t i = 0; i < count; ++i) painter.Paint(i % 2 == 0 ? first : second);
      continue;
    }
    if (code == kEndOfRow) {
      if (!painter.NextRow()) return;
    } else if (code == kEndOfPicture) {
      return;
    } else if (code == kMove) {
      if (data.size() - at < 2) return;
      const uint8_t right = data[at];
      const uint8_t up = data[at + 1];
      at += 2;
      if (!painter.Move(right, up)) return;
    } else {  // a literal run of `code` pixels
      const size_t bytes = nibbles ? (code + 1u) / 2 : code;
      const size_t available = std::min(bytes, data.size() - at);
      const size_t pixels =
          std::min<size_t>(code, nibbles ? 2 * available : available);
      const uint8_t* literal = data.data() + at;
      for (size_t i = 0; i < pixels; ++i) {
        painter.Paint(LiteralPixel(literal, i, nibbles));
      }
      if (available < bytes) return;  // the data ended inside the run
      at += bytes + bytes % 2;
      at = std::min(at, data.size());
    }
  }
}

}  // namespace quendrix
