// The x86-64 vector kernels of the fast column raster, for AVX2 and for
// AVX-512. They are compiled for those instruction sets one function at a time
// (target attributes), so that the rest of the program keeps to the baseline
// instruction set and runs on any x86-64 processor; the processor is asked at
// run time before they are used.

#include "bitmap/fast_raster_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))

#include <immintrin.h>

#include <cstring>

#define QUENDRIX_AVX2 __attribute__((target("avx2")))

namespace quendrix::raster {
namespace {

// Within each group of 8 bytes, byte order reversed: the leftmost pixel of a
// band then lands on the highest bit of its movemask byte.
QUENDRIX_AVX2 __attribute__((always_inline)) inline __m256i ReverseEights() {
  return _mm256_setr_epi8(7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8,  //
                          7, 6, 5, 4, 3, 2, 1, 0, 15, 14, 13, 12, 11, 10, 9, 8);
}

// Stores the first (pixels + 7) / 8 of the band bytes in `packed`, the last
// of them cleared beyond the last pixel: the end of a row.
inline void StoreLastBands(uint8_t* bands, uint64_t packed, size_t pixels) {
  uint8_t bytes[8];
  std::memcpy(bytes, &packed, sizeof bytes);
  const size_t count = (pixels + 7) / 8;
  if (pixels % 8 != 0) {
    bytes[count - 1] = static_cast<uint8_t>(bytes[count - 1] & (0xFF00u >> (pixels % 8)));
  }
  std::memcpy(bands, bytes, count);
}

// 4 bits per pixel: 32 bytes, 64 pixels, give 8 band bytes.
struct Tables4 {
  __m256i darkNibble;
  __m256i low;
  __m256i reverseFours;
};

QUENDRIX_AVX2 Tables4 MakeTables4(const ColourDecisions& decisions) {
  return {_mm256_broadcastsi128_si256(
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(decisions.darkNibble))),
          _mm256_set1_epi8(0x0F),
          // Reverses each group of 4 bytes; with the low nibbles unpacked
          // first, each 8 pixels of a band then stand last pixel first.
          _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12,  //
                           3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12)};
}

QUENDRIX_AVX2 __attribute__((always_inline)) inline uint64_t Bands4(__m256i v,
                                                                   const Tables4& t) {
  v = _mm256_shuffle_epi8(v, t.reverseFours);
  const __m256i darkHigh =
      _mm256_shuffle_epi8(t.darkNibble, _mm256_and_si256(_mm256_srli_epi16(v, 4), t.low));
  const __m256i darkLow = _mm256_shuffle_epi8(t.darkNibble, _mm256_and_si256(v, t.low));
  // Per 128-bit lane: pixels of source bytes 0-7, then of bytes 8-15.
  const __m256i first = _mm256_unpacklo_epi8(darkLow, darkHigh);
  const __m256i second = _mm256_unpackhi_epi8(darkLow, darkHigh);
  // Each 8 bytes are one band, last pixel first: the top bits in order.
  const auto a = static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_permute2x128_si256(first, second, 0x20)));
  const auto c = static_cast<uint32_t>(
      _mm256_movemask_epi8(_mm256_permute2x128_si256(first, second, 0x31)));
  return uint64_t{c} << 32 | a;
}

QUENDRIX_AVX2 void PackRow4Avx2(const uint8_t* row, size_t pixels,
                                const ColourDecisions& decisions, uint8_t* bands) {
  const Tables4 t = MakeTables4(decisions);
  size_t b = 0;
  for (; 8 * b + 64 <= pixels; b += 8) {
    const uint64_t packed =
        Bands4(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * b)), t);
    std::memcpy(bands + b, &packed, sizeof packed);
  }
  // The last pixels, fewer than 64, through a copy: no byte beyond the row's
  // end is read.
  if (const size_t rest = pixels - 8 * b; rest > 0) {
    alignas(32) uint8_t last[32] = {};
    std::memcpy(last, row + 4 * b, (rest + 1) / 2);
    StoreLastBands(bands + b, Bands4(_mm256_load_si256(reinterpret_cast<const __m256i*>(last)), t),
                   rest);
  }
}

// 8 bits per pixel: 32 bytes, 32 pixels, give 4 band bytes. An index
// v = 16 * high + low is dark when bit (high % 8) of darkByLow[high / 8][low]
// is set: two 16-entry shuffles by the low nibble, a blend by the top bit, and
// a test of one bit chosen by the high nibble.
struct Tables8 {
  __m256i byLow0;
  __m256i byLow1;
  __m256i bitOfHigh;
  __m256i low;
};

QUENDRIX_AVX2 Tables8 MakeTables8(const ColourDecisions& decisions) {
  return {_mm256_broadcastsi128_si256(
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(decisions.darkByLow[0]))),
          _mm256_broadcastsi128_si256(
              _mm_loadu_si128(reinterpret_cast<const __m128i*>(decisions.darkByLow[1]))),
          _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128,  //
                           1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128),
          _mm256_set1_epi8(0x0F)};
}

QUENDRIX_AVX2 __attribute__((always_inline)) inline uint32_t Bands8(__m256i v,
                                                                   const Tables8& t) {
  const __m256i lowNibble = _mm256_and_si256(v, t.low);
  const __m256i highNibble = _mm256_and_si256(_mm256_srli_epi16(v, 4), t.low);
  const __m256i column = _mm256_blendv_epi8(_mm256_shuffle_epi8(t.byLow0, lowNibble),
                                            _mm256_shuffle_epi8(t.byLow1, lowNibble), v);
  const __m256i bit = _mm256_shuffle_epi8(t.bitOfHigh, highNibble);
  const __m256i dark = _mm256_cmpeq_epi8(_mm256_and_si256(column, bit), bit);
  // One bit per byte (its top bit), lowest byte first; on this little-endian
  // processor the 4 bytes of the mask are 4 band bytes in order.
  return static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_shuffle_epi8(dark, ReverseEights())));
}

QUENDRIX_AVX2 void PackRow8Avx2(const uint8_t* row, size_t pixels,
                                const ColourDecisions& decisions, uint8_t* bands) {
  const Tables8 t = MakeTables8(decisions);
  size_t b = 0;
  for (; 8 * b + 32 <= pixels; b += 4) {
    const uint32_t packed =
        Bands8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 8 * b)), t);
    std::memcpy(bands + b, &packed, sizeof packed);
  }
  // The last pixels, fewer than 32, through a copy: no byte beyond the row's
  // end is read.
  if (const size_t rest = pixels - 8 * b; rest > 0) {
    alignas(32) uint8_t last[32] = {};
    std::memcpy(last, row + 8 * b, rest);
    StoreLastBands(bands + b, Bands8(_mm256_load_si256(reinterpret_cast<const __m256i*>(last)), t),
                   rest);
  }
}

// Transposes 16 registers of 16 bytes in each 128-bit lane: after four rounds
// of interleaving registers k and k + 8, register m holds byte m of every
// register, lane by lane. Unrolled whole, so that all of it stays in registers.
QUENDRIX_AVX2 __attribute__((always_inline)) inline void Transpose16(__m256i (&r)[16]) {
#pragma GCC unroll 4
  for (int round = 0; round < 4; ++round) {
    __m256i t[16];
#pragma GCC unroll 8
    for (int k = 0; k < 8; ++k) {
      t[2 * k] = _mm256_unpacklo_epi8(r[k], r[k + 8]);
      t[2 * k + 1] = _mm256_unpackhi_epi8(r[k], r[k + 8]);
    }
#pragma GCC unroll 16
    for (int k = 0; k < 16; ++k) r[k] = t[k];
  }
}

// 32 rows of 16 bands: rows k and k + 16 share a register, so that each band
// gets 32 bytes, half a cache line, in one store.
QUENDRIX_AVX2 __attribute__((always_inline)) inline void Transpose32x16(
    const uint8_t* const* rows, size_t m, __m256i keep, __m256i flip, uint8_t* out,
    size_t pitch) {
  __m256i r[16];
#pragma GCC unroll 16
  for (size_t k = 0; k < 16; ++k) {
    const __m256i v = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(rows[k + 16] + m),
                                          reinterpret_cast<const __m128i*>(rows[k] + m));
    r[k] = _mm256_xor_si256(_mm256_and_si256(v, keep), flip);
  }
  Transpose16(r);
#pragma GCC unroll 16
  for (size_t j = 0; j < 16; ++j) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + j * pitch), r[j]);
  }
}

// 16 rows of 16 bands.
QUENDRIX_AVX2 __attribute__((always_inline)) inline void Transpose16x16(
    const uint8_t* const* rows, size_t m, __m256i keep, __m256i flip, uint8_t* out,
    size_t pitch) {
  __m256i r[16];
#pragma GCC unroll 16
  for (size_t k = 0; k < 16; ++k) {
    const __m256i v =
        _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[k] + m)));
    r[k] = _mm256_xor_si256(_mm256_and_si256(v, keep), flip);
  }
  Transpose16(r);
#pragma GCC unroll 16
  for (size_t j = 0; j < 16; ++j) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + j * pitch), _mm256_castsi256_si128(r[j]));
  }
}

// The staging area holds each band of a tile at this distance from the next:
// an odd number of 64-byte cache lines. Bands written straight into the block
// lie `height` bytes apart, and when that is a multiple of 2048 or near one,
// the lines of all bands compete for the same few sets of the first level
// cache, which makes the transposition several times slower.
constexpr size_t kStagingPitch = kTileRows + 64;

// Copies n bytes (n at most kTileRows) with 32-byte moves; the last move may
// overlap the one before it.
QUENDRIX_AVX2 __attribute__((always_inline)) inline void CopyBand(const uint8_t* from,
                                                                  uint8_t* to, size_t n) {
  if (n < 32) {
    std::memcpy(to, from, n);
    return;
  }
  for (size_t at = 0; at + 32 <= n; at += 32) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + at),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + at)));
  }
  if (n % 32 != 0) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + n - 32),
                        _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + n - 32)));
  }
}

// Moves 64 rows of 16 bands, from band m on, into the staging area at `out`,
// bands `pitch` bytes apart; null where the processor has no such step.
using Transpose64Rows = void (*)(const uint8_t* const* rows, size_t m, uint8_t keep,
                                 uint8_t flip, uint8_t* out, size_t pitch);

// The transposition of TransposeRowsAvx2 and TransposeRowsAvx512, which
// differ only in the widest step.
QUENDRIX_AVX2 __attribute__((always_inline)) inline void TransposeRowsBy16(
    const uint8_t* const* rows, size_t count, size_t bands, uint8_t keep, uint8_t flip,
    uint8_t* out, size_t height, Transpose64Rows wide) {
  // 16 bands at a time: transposed into the staging area, then copied out,
  // before the next 16, so that little but the rows stays in the cache.
  alignas(64) uint8_t staging[16 * kStagingPitch];
  const __m256i keepAll = _mm256_set1_epi8(static_cast<char>(keep));
  const __m256i flipAll = _mm256_set1_epi8(static_cast<char>(flip));
  size_t m = 0;
  for (; m + 16 <= bands; m += 16) {
    size_t k = 0;
    if (wide != nullptr) {
      for (; k + 64 <= count; k += 64) wide(rows + k, m, keep, flip, staging + k, kStagingPitch);
    }
    for (; k + 32 <= count; k += 32) {
      Transpose32x16(rows + k, m, keepAll, flipAll, staging + k, kStagingPitch);
    }
    if (k + 16 <= count) {
      Transpose16x16(rows + k, m, keepAll, flipAll, staging + k, kStagingPitch);
      k += 16;
    }
    for (; k < count; ++k) {
      for (size_t j = 0; j < 16; ++j) {
        staging[j * kStagingPitch + k] = static_cast<uint8_t>((rows[k][m + j] & keep) ^ flip);
      }
    }
    // Each band's bytes are contiguous in the block: copied in order, every
    // cache line there is written whole before the next is started.
    for (size_t j = 0; j < 16; ++j) {
      CopyBand(staging + j * kStagingPitch, out + (m + j) * height, count);
    }
  }
  // The last bands, fewer than 16.
  if (m < bands) {
    const uint8_t* rest[kTileRows];
    for (size_t k = 0; k < count; ++k) rest[k] = rows[k] + m;
    TransposeRowsPortable(rest, count, bands - m, keep, flip, out + m * height, height);
  }
}

QUENDRIX_AVX2 void TransposeRowsAvx2(const uint8_t* const* rows, size_t count,
                                     size_t bands, uint8_t keep, uint8_t flip,
                                     uint8_t* out, size_t height) {
  TransposeRowsBy16(rows, count, bands, keep, flip, out, height, nullptr);
}

const Kernels kAvx2Kernels = {PackRow4Avx2, PackRow8Avx2, TransposeRowsAvx2};

// AVX-512 with byte permutes (VBMI): 64 pixels a step, and masked loads for
// the end of a row.
#define QUENDRIX_AVX512 \
  __attribute__((target("avx2,avx512f,avx512bw,avx512vl,avx512vbmi,avx512bitalg")))

// The first `count` bytes (at most 64) set: the bytes of a row's end.
inline uint64_t FirstBytes(size_t count) {
  return count >= 64 ? ~uint64_t{0} : (uint64_t{1} << count) - 1;
}

// Stores the band bytes of the last `pixels` pixels of a row (1 to 64), the
// bits beyond the last pixel cleared, with a masked store: no call, and no
// byte written beyond the row's bands.
QUENDRIX_AVX512 __attribute__((always_inline)) inline void StoreLastBands512(uint8_t* bands,
                                                                            uint64_t packed,
                                                                            size_t pixels) {
  const size_t whole = pixels / 8;
  uint64_t keep = whole >= 8 ? ~uint64_t{0} : (uint64_t{1} << (8 * whole)) - 1;
  if (pixels % 8 != 0) keep |= uint64_t{(0xFF00u >> (pixels % 8)) & 0xFFu} << (8 * whole);
  _mm_mask_storeu_epi8(bands, static_cast<__mmask16>(FirstBytes((pixels + 7) / 8)),
                       _mm_cvtsi64_si128(static_cast<long long>(packed & keep)));
}

// 8 bits per pixel: 64 pixels give 8 band bytes, in four instructions.
// A byte permute looks each pixel's low 6 bits up in darkByLow6, whose bit q
// answers for the index 64 * q + those bits; a bit gather (VPSHUFBITQMB)
// then takes, for each bit of the band bytes, bit q of the right pixel's
// byte. Its bit numbers come from a multishift, which moves the top 2 bits
// of each pixel (q) to the byte that asks for that pixel, reversed within
// each band so that the leftmost pixel lands on bit 7, and a ternary
// logic operation adds the place of that pixel's byte.
struct Tables8x {
  __m512i darkByLow6;
  __m512i topBits;   // multishift control: bits 6 and 7 of pixel 7 - k
  __m512i place;     // 8 * (7 - k) for byte k of each band
  __m512i lowTwo;    // 3 in every byte
};

QUENDRIX_AVX512 Tables8x MakeTables8x(const ColourDecisions& decisions) {
  Tables8x t;
  t.darkByLow6 = _mm512_loadu_si512(decisions.darkByLow6);
  // Byte k of every 8 (a band's byte of the result): pixel 7 - k.
  t.topBits = _mm512_set1_epi64(0x060E161E262E363Ell);
  t.place = _mm512_set1_epi64(0x0008101820283038ll);
  t.lowTwo = _mm512_set1_epi8(3);
  return t;
}

QUENDRIX_AVX512 __attribute__((always_inline)) inline uint64_t Bands8x(__m512i v,
                                                                      const Tables8x& t) {
  // (The masked forms: the plain ones draw a false warning from GCC 12.)
  const __m512i flags = _mm512_maskz_permutexvar_epi8(~__mmask64{0}, v, t.darkByLow6);
  const __m512i top = _mm512_maskz_multishift_epi64_epi8(~__mmask64{0}, t.topBits, v);
  // (top & 3) | place: 0xEA is the truth table of (a & b) | c.
  const __m512i which = _mm512_ternarylogic_epi32(top, t.lowTwo, t.place, 0xEA);
  return _mm512_bitshuffle_epi64_mask(flags, which);
}

QUENDRIX_AVX512 void PackRow8Avx512(const uint8_t* row, size_t pixels,
                                    const ColourDecisions& decisions, uint8_t* bands) {
  const Tables8x t = MakeTables8x(decisions);
  size_t b = 0;
  for (; 8 * b + 64 <= pixels; b += 8) {
    const uint64_t packed = Bands8x(_mm512_loadu_si512(row + 8 * b), t);
    std::memcpy(bands + b, &packed, sizeof packed);
  }
  if (const size_t rest = pixels - 8 * b; rest > 0) {
    // The masked load reads no byte beyond the row's end.
    StoreLastBands512(bands + b,
                      Bands8x(_mm512_maskz_loadu_epi8(FirstBytes(rest), row + 8 * b), t), rest);
  }
}

// 4 bits per pixel: 32 bytes, 64 pixels, give 8 band bytes, in three
// instructions. A byte permute gives each band's 8 bytes of the result the 4
// bytes of its pixels; a multishift moves each pixel's nibble, leftmost pixel
// last, into the low bits of one byte; a bit gather looks the nibble up in
// darkNibbleBits (the 2 bits above the nibble pick one of its four copies).
struct Tables4x {
  __m512i darkNibbleBits;
  __m512i firstHalf;   // byte permute: bytes 4g to 4g + 3 into band g's 8
  __m512i secondHalf;  // the same from the upper 32 bytes
  __m512i nibbles;     // multishift control: the nibble of pixel 7 - k
};

QUENDRIX_AVX512 Tables4x MakeTables4x(const ColourDecisions& decisions) {
  Tables4x t;
  t.darkNibbleBits = _mm512_set1_epi64(static_cast<long long>(decisions.darkNibbleBits));
  alignas(64) uint8_t first[64];
  alignas(64) uint8_t second[64];
  for (int i = 0; i < 64; ++i) {
    first[i] = static_cast<uint8_t>(4 * (i / 8) + i % 4);
    second[i] = static_cast<uint8_t>(32 + first[i]);
  }
  t.firstHalf = _mm512_load_si512(first);
  t.secondHalf = _mm512_load_si512(second);
  // Pixel j of a band is the high nibble of byte j / 2 when j is even, its
  // low nibble when odd: bit 8 * (j / 2) + 4 or 8 * (j / 2). Byte k asks for
  // pixel 7 - k.
  t.nibbles = _mm512_set1_epi64(0x04000C0814101C18ll);
  return t;
}

QUENDRIX_AVX512 __attribute__((always_inline)) inline uint64_t Bands4x(__m512i v,
                                                                      __m512i spread,
                                                                      const Tables4x& t) {
  const __m512i pixels =
      _mm512_maskz_multishift_epi64_epi8(
      ~__mmask64{0}, t.nibbles, _mm512_maskz_permutexvar_epi8(~__mmask64{0}, spread, v));
  return _mm512_bitshuffle_epi64_mask(t.darkNibbleBits, pixels);
}

QUENDRIX_AVX512 void PackRow4Avx512(const uint8_t* row, size_t pixels,
                                    const ColourDecisions& decisions, uint8_t* bands) {
  const Tables4x t = MakeTables4x(decisions);
  size_t b = 0;
  for (; 8 * b + 128 <= pixels; b += 16) {
    const __m512i v = _mm512_loadu_si512(row + 4 * b);
    const uint64_t first = Bands4x(v, t.firstHalf, t);
    const uint64_t second = Bands4x(v, t.secondHalf, t);
    std::memcpy(bands + b, &first, sizeof first);
    std::memcpy(bands + b + 8, &second, sizeof second);
  }
  if (const size_t rest = pixels - 8 * b; rest > 0) {
    const __m512i v = _mm512_maskz_loadu_epi8(FirstBytes((rest + 1) / 2), row + 4 * b);
    if (rest <= 64) {
      StoreLastBands512(bands + b, Bands4x(v, t.firstHalf, t), rest);
    } else {
      const uint64_t first = Bands4x(v, t.firstHalf, t);
      std::memcpy(bands + b, &first, sizeof first);
      StoreLastBands512(bands + b + 8, Bands4x(v, t.secondHalf, t), rest - 64);
    }
  }
}

// 64 rows of 16 bands: each register holds the 16 bytes of four rows, k,
// k + 16, k + 32 and k + 48, one in each 128-bit lane, so that after the
// transposition within the lanes each band has 64 rows in order, a whole
// cache line, in one store.
QUENDRIX_AVX512 void Transpose64x16(const uint8_t* const* rows, size_t m, uint8_t keepByte,
                                    uint8_t flipByte, uint8_t* out, size_t pitch) {
  const __m512i keep = _mm512_set1_epi8(static_cast<char>(keepByte));
  const __m512i flip = _mm512_set1_epi8(static_cast<char>(flipByte));
  __m512i r[16];
#pragma GCC unroll 16
  for (size_t k = 0; k < 16; ++k) {
    const auto row = [&](size_t n) {
      return _mm_loadu_si128(reinterpret_cast<const __m128i*>(rows[n] + m));
    };
    __m512i v = _mm512_castsi128_si512(row(k));
    v = _mm512_inserti32x4(v, row(k + 16), 1);
    v = _mm512_inserti32x4(v, row(k + 32), 2);
    v = _mm512_inserti32x4(v, row(k + 48), 3);
    // (v & keep) ^ flip in one instruction: 0x6A is the truth table of
    // (a & b) ^ c for the operands a = v, b = keep, c = flip.
    r[k] = _mm512_ternarylogic_epi32(v, keep, flip, 0x6A);
  }
#pragma GCC unroll 4
  for (int round = 0; round < 4; ++round) {
    __m512i t[16];
#pragma GCC unroll 8
    for (int k = 0; k < 8; ++k) {
      t[2 * k] = _mm512_unpacklo_epi8(r[k], r[k + 8]);
      t[2 * k + 1] = _mm512_unpackhi_epi8(r[k], r[k + 8]);
    }
#pragma GCC unroll 16
    for (int k = 0; k < 16; ++k) r[k] = t[k];
  }
#pragma GCC unroll 16
  for (size_t j = 0; j < 16; ++j) _mm512_storeu_si512(out + j * pitch, r[j]);
}

QUENDRIX_AVX512 void TransposeRowsAvx512(const uint8_t* const* rows, size_t count,
                                         size_t bands, uint8_t keep, uint8_t flip,
                                         uint8_t* out, size_t height) {
  TransposeRowsBy16(rows, count, bands, keep, flip, out, height, Transpose64x16);
}

const Kernels kAvx512Kernels = {PackRow4Avx512, PackRow8Avx512, TransposeRowsAvx512};

}  // namespace

const Kernels* Avx2Kernels() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported ? &kAvx2Kernels : nullptr;
}

const Kernels* Avx512Kernels() {
  static const bool supported =
      __builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") &&
      __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl") &&
      __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bitalg");
  return supported ? &kAvx512Kernels : nullptr;
}

}  // namespace quendrix::raster

#else  // no x86-64 vector kernels in this build

namespace quendrix::raster {

const Kernels* Avx2Kernels() { return nullptr; }
const Kernels* Avx512Kernels() { return nullptr; }

}  // namespace quendrix::raster

#endif
