// The conversion alone, in memory: each path of the fast conversion and the
// per-bit one, on one picture of 2047 x 2048 pixels (an odd width, so that
// every row ends in a partial band) at each depth.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

#include "bitmap/column_raster.h"
#include "bitmap/fast_raster.h"

namespace {

using quendrix::ImageEntry;
using quendrix::RasterPath;

struct Picture {
  ImageEntry entry;
  std::vector<uint8_t> pixels;
};

Picture MakePicture(uint16_t bitCount, uint16_t width, uint16_t height) {
  Picture picture;
  ImageEntry& entry = picture.entry;
  entry.bitCount = bitCount;
  entry.width = width;
  entry.height = height;
  std::mt19937 rng(bitCount);
  for (size_t i = 0; i < (size_t{1} << bitCount); ++i) {
    const bool white = rng() % 4 == 0;
    for (size_t c = 0; c < 3; ++c) {
      entry.colorTable[i][c] = white ? 255 : static_cast<uint8_t>(rng() % 255);
    }
  }
  entry.color0Blue = entry.colorTable[0][0];
  const size_t stride = (size_t{width} * bitCount + 31) / 32 * 4;
  entry.dataSize = static_cast<int32_t>(stride * height);
  picture.pixels.resize(static_cast<size_t>(entry.dataSize));
  for (auto& byte : picture.pixels) byte = static_cast<uint8_t>(rng());
  return picture;
}

template <typename Convert>
void Run(benchmark::State& state, Convert convert) {
  const Picture picture = MakePicture(static_cast<uint16_t>(state.range(0)), 2047, static_cast<uint16_t>(state.range(1)));
  std::vector<uint8_t> block(quendrix::BlockSize(picture.entry));
  for (auto _ : state) {
    convert(picture.entry, picture.pixels.data(), block.data());
    benchmark::DoNotOptimize(block.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * picture.entry.dataSize);
}

// The yardstick: copying the block's length out of the pixel data.
void BM_Copy(benchmark::State& state) {
  Run(state, [](const ImageEntry& e, const uint8_t* p, uint8_t* b) {
    std::memcpy(b, p, quendrix::BlockSize(e));
  });
}

void BM_PerBit(benchmark::State& state) { Run(state, quendrix::ConvertPixelsPerBit); }

template <RasterPath path>
void BM_Path(benchmark::State& state) {
  if (!quendrix::RasterPathAvailable(path)) {
    state.SkipWithError("this processor cannot take this path");
    return;
  }
  Run(state, [](const ImageEntry& e, const uint8_t* p, uint8_t* b) {
    quendrix::ConvertPixelsFast(path, e, p, b);
  });
}

// Depth, then height: heights at and near a power of two are the hard case
// for the transposition.
void Sizes(benchmark::internal::Benchmark* b) {
  b->ArgsProduct({{1, 4, 8}, {2048, 2047, 2080, 128}})
      ->Unit(benchmark::kMicrosecond)
      // On a shared machine the fastest of the repetitions is the steadiest.
      ->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
      });
}

BENCHMARK(BM_Copy)->Apply(Sizes);
BENCHMARK(BM_PerBit)->Apply(Sizes);
BENCHMARK(BM_Path<RasterPath::kPortable>)->Name("BM_Portable")->Apply(Sizes);
BENCHMARK(BM_Path<RasterPath::kAvx2>)->Name("BM_Avx2")->Apply(Sizes);
BENCHMARK(BM_Path<RasterPath::kAvx512>)->Name("BM_Avx512")->Apply(Sizes);

}  // namespace

BENCHMARK_MAIN();
