#pragma once

// Builds Windows bitmap files in memory for tests: a sound file by default,
// with any header field overridable so that one test row can break one thing.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quendrix {

using Color = std::array<uint8_t, 4>;  // blue, green, red, reserved

inline constexpr Color kWhite = {255, 255, 255, 0};
inline constexpr Color kBlack = {0, 0, 0, 0};

struct BmpBuilder {
  int32_t width = 8;
  int32_t height = 1;
  uint16_t bitCount = 1;
  uint32_t infoSize = 40;
  uint32_t compression = 0;
  std::vector<Color> colors = {kWhite, kBlack};
  std::vector<uint8_t> pixels;  // the pixel data exactly as stored

  // Header fields written as given instead of as computed.
  std::optional<uint32_t> fileSizeField;
  std::optional<uint32_t> dataOffsetField;

  // Fills `pixels` with padded rows, bottom row first (top row first when
  // the height is negative), from the colour index of each pixel (x, y),
  // y = 0 the top row.
  BmpBuilder& Paint(const std::function<unsigned(int x, int y)>& index);

  std::string Build() const;
};

// Little-endian field writers for hand-made bytes.
void PutLe16(std::string& bytes, size_t at, uint16_t value);
void PutLe32(std::string& bytes, size_t at, uint32_t value);

}  // namespace quendrix
