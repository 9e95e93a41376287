#include "output/packed_bcd.h"

#include <charconv>
#include <cstring>

namespace quendrix {

uint8_t* ToPackedBcd(const char* text, uint8_t* out, uint16_t digits) {
  const size_t bytes = (size_t{digits} + 1) / 2;
  std::memset(out, 0, bytes);
  size_t remaining = std::strlen(text);
  // Nibble n counts from the right: the low nibble of the last byte is 0.
  for (size_t n = 0; n < digits && remaining > 0; ++n) {
    auto value = static_cast<uint8_t>(text[--remaining] & 15);
    uint8_t& target = out[bytes - 1 - n / 2];
    target = static_cast<uint8_t>(target | (n % 2 == 0 ? value : value << 4));
  }
  return out;
}

uint8_t* NumberToPackedBcd(int32_t value, uint8_t* out, uint16_t digits) {
  char text[24] = {};
  std::to_chars(text, text + sizeof text - 1, value);
  return ToPackedBcd(text, out, digits);
}

}  // namespace quendrix
