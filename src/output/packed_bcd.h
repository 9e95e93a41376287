#pragma once

// Packed binary-coded decimal: two decimal digits a byte, the most significant
// digit first, the high nibble of each byte before its low nibble. The header
// of each picture in Image.img carries its height and width this way.

#include <cstdint>

namespace quendrix {

// Packs the trailing characters of the zero-terminated `text` into
// (digits + 1) / 2 bytes at `out`, one character's low four bits a nibble,
// from the last character and the last nibble backwards. Nibbles that get no
// character are 0; characters beyond `digits` are dropped from the front.
// So "123" gives 01 23, "12345" gives 23 45, and "-5" gives 00 D5.
uint8_t* ToPackedBcd(const char* text, uint8_t* out, uint16_t digits);

// The same for the decimal text of `value` (a leading '-' when negative).
uint8_t* NumberToPackedBcd(int32_t value, uint8_t* out, uint16_t digits);

}  // namespace quendrix
