// The AVX2 kernels of the fast column raster. They are compiled for AVX2 one
// function at a time (target attributes), so that the rest of the program
// keeps to the baseline instruction set and runs on any x86-64 processor; the
// processor is asked at run time before they are used.

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

QUENDRIX_AVX2 void TransposeRowsAvx2(const uint8_t* const* rows, size_t count,
                                     size_t bands, uint8_t keep, uint8_t flip,
                                     uint8_t* out, size_t height) {
  alignas(64) uint8_t staging[kStripBands * kStagingPitch];
  const __m256i keepAll = _mm256_set1_epi8(static_cast<char>(keep));
  const __m256i flipAll = _mm256_set1_epi8(static_cast<char>(flip));
  size_t m = 0;
  for (; m + 16 <= bands; m += 16) {
    uint8_t* column = staging + m * kStagingPitch;
    size_t k = 0;
    for (; k + 32 <= count; k += 32) {
      Transpose32x16(rows + k, m, keepAll, flipAll, column + k, kStagingPitch);
    }
    if (k + 16 <= count) {
      Transpose16x16(rows + k, m, keepAll, flipAll, column + k, kStagingPitch);
      k += 16;
    }
    for (; k < count; ++k) {
      for (size_t j = 0; j < 16; ++j) {
        column[j * kStagingPitch + k] = static_cast<uint8_t>((rows[k][m + j] & keep) ^ flip);
      }
    }
  }
  // The last bands, fewer than 16.
  for (; m < bands; ++m) {
    for (size_t k = 0; k < count; ++k) {
      staging[m * kStagingPitch + k] = static_cast<uint8_t>((rows[k][m] & keep) ^ flip);
    }
  }
  // Each band's bytes are contiguous in the block: copied in order, every
  // cache line there is written whole before the next is started.
  for (m = 0; m < bands; ++m) CopyBand(staging + m * kStagingPitch, out + m * height, count);
}

const Kernels kAvx2Kernels = {PackRow4Avx2, PackRow8Avx2, TransposeRowsAvx2};

}  // namespace

const Kernels* Avx2Kernels() {
  static const bool supported = __builtin_cpu_supports("avx2");
  return supported ? &kAvx2Kernels : nullptr;
}

}  // namespace quendrix::raster

#else  // no x86-64 vector kernels in this build

namespace quendrix::raster {

const Kernels* Avx2Kernels() { return nullptr; }

}  // namespace quendrix::raster

#endif
