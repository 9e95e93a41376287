#include "output/packed_bcd.h"

#include <gtest/gtest.h>

#include <vector>

namespace quendrix {
namespace {

std::vector<uint8_t> Pack(const char* text, uint16_t digits) {
  std::vector<uint8_t> out((digits + 1) / 2 + 1, 0xEE);  // one guard byte
  EXPECT_EQ(ToPackedBcd(text, out.data(), digits), out.data());
  EXPECT_EQ(out.back(), 0xEE) << "wrote past (digits + 1) / 2 bytes";
  out.pop_back();
  return out;
}

TEST(PackedBcdTest, TextToNibbles) {
  const struct {
    const char* text;
    uint16_t digits;
    std::vector<uint8_t> expected;
  } cases[] = {
      {"7", 4, {0x00, 0x07}},
      {"123", 4, {0x01, 0x23}},
      {"48", 4, {0x00, 0x48}},
      {"12345", 4, {0x23, 0x45}},  // the leading digit is dropped
      {"-5", 4, {0x00, 0xD5}},     // '-' & 15 is D
      {"", 4, {0x00, 0x00}},
      {"123", 3, {0x01, 0x23}},
      {"1234", 3, {0x02, 0x34}},   // an odd count never writes the first high nibble
      {"9", 1, {0x09}},
      {"99", 0, {}},
      {"65535", 6, {0x06, 0x55, 0x35}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Pack(c.text, c.digits), c.expected) << c.text << " in " << c.digits;
  }
}

TEST(PackedBcdTest, NumbersGoThroughTheirDecimalText) {
  const struct {
    int32_t value;
    std::vector<uint8_t> expected;
  } cases[] = {
      {0, {0x00, 0x00}},   {1, {0x00, 0x01}},   {48, {0x00, 0x48}},
      {9999, {0x99, 0x99}}, {65535, {0x55, 0x35}}, {-5, {0x00, 0xD5}},
      {-123, {0xD1, 0x23}}, {-2147483647 - 1, {0x36, 0x48}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> out(2, 0xEE);
    NumberToPackedBcd(c.value, out.data(), 4);
    EXPECT_EQ(out, c.expected) << c.value;
  }
}

}  // namespace
}  // namespace quendrix
