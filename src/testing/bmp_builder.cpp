#include "testing/bmp_builder.h"

#include <cstdlib>

namespace quendrix {

void PutLe16(std::string& bytes, size_t at, uint16_t value) {
  bytes[at] = static_cast<char>(value & 0xFF);
  bytes[at + 1] = static_cast<char>(value >> 8);
}

void PutLe32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i));
}

BmpBuilder& BmpBuilder::Paint(const std::function<unsigned(int, int)>& index) {
  const int rows = std::abs(height);
  const size_t stride = ((size_t(width) * bitCount + 31) / 32) * 4;
  pixels.assign(stride * rows, 0);
  for (int stored = 0; stored < rows; ++stored) {
    const int y = height < 0 ? stored : rows - 1 - stored;
    uint8_t* row = pixels.data() + stride * stored;
    for (int x = 0; x < width; ++x) {
      unsigned value = index(x, y);
      size_t bit = size_t(x) * bitCount;
      unsigned shift = 8 - bitCount - bit % 8;
      row[bit / 8] = static_cast<uint8_t>(row[bit / 8] | (value << shift));
    }
  }
  return *this;
}

std::string BmpBuilder::Build() const {
  const size_t offset = 14 + infoSize + colors.size() * 4;
  std::string bytes(offset + pixels.size(), '\0');
  bytes[0] = 'B';
  bytes[1] = 'M';
  PutLe32(bytes, 2, fileSizeField.value_or(static_cast<uint32_t>(bytes.size())));
  PutLe32(bytes, 10, dataOffsetField.value_or(static_cast<uint32_t>(offset)));
  PutLe32(bytes, 14, infoSize);
  PutLe32(bytes, 18, static_cast<uint32_t>(width));
  PutLe32(bytes, 22, static_cast<uint32_t>(height));
  PutLe16(bytes, 26, 1);
  PutLe16(bytes, 28, bitCount);
  PutLe32(bytes, 30, compression);
  PutLe32(bytes, 34, static_cast<uint32_t>(pixels.size()));
  PutLe32(bytes, 46, static_cast<uint32_t>(colors.size()));
  for (size_t i = 0; i < colors.size(); ++i) {
    for (size_t k = 0; k < 4; ++k) bytes[14 + infoSize + 4 * i + k] = static_cast<char>(colors[i][k]);
  }
  for (size_t i = 0; i < pixels.size(); ++i) bytes[offset + i] = static_cast<char>(pixels[i]);
  return bytes;
}

}  // namespace quendrix
