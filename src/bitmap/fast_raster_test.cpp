#include "bitmap/fast_raster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "bitmap/column_raster.h"

namespace quendrix {
namespace {

using Bytes = std::vector<uint8_t>;

struct Picture {
  ImageEntry entry;
  Bytes pixels;  // exactly entry.dataSize bytes, so that a sanitizer sees any stray read

  std::string Describe() const {
    std::ostringstream text;
    text << entry.bitCount << "-bit " << entry.width << " x " << entry.height
         << (entry.topDown ? " top-down" : " bottom-up") << ", " << entry.dataSize
         << " bytes of pixel data, colour 0 blue " << int{entry.color0Blue};
    return text.str();
  }
};

// A colour-table entry: white, nearly white (one channel 254) or any colour.
// The reserved byte is random throughout: it must not count.
std::array<uint8_t, 4> RandomColour(std::mt19937& rng) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::array<uint8_t, 4> colour = {255, 255, 255, static_cast<uint8_t>(byte(rng))};
  switch (byte(rng) % 4) {
    case 0:
      break;  // white
    case 1:
      colour[static_cast<size_t>(byte(rng) % 3)] = 254;
      break;
    default:
      for (size_t c = 0; c < 3; ++c) colour[c] = static_cast<uint8_t>(byte(rng));
      break;
  }
  return colour;
}

Picture RandomPicture(std::mt19937& rng, uint16_t bitCount, uint16_t width,
                      uint16_t height, bool topDown) {
  std::uniform_int_distribution<int> byte(0, 255);
  Picture picture;
  ImageEntry& entry = picture.entry;
  entry.bitCount = bitCount;
  entry.width = width;
  entry.height = height;
  entry.topDown = topDown;
  // Only the entries a file of this depth can hold; the rest stay (0, 0, 0, 0).
  // A 4-bit table is sometimes cut short, so that high nibbles index black.
  size_t colours = size_t{1} << bitCount;
  if (bitCount == 4 && byte(rng) % 2 == 0) colours = static_cast<size_t>(byte(rng) % 17);
  for (size_t i = 0; i < colours; ++i) entry.colorTable[i] = RandomColour(rng);
  // Colour 0's blue byte decides a 1-bit picture: 255 keeps, 0 inverts, any
  // other value leaves it to the white test of both entries.
  const uint8_t blues[] = {255, 0, entry.colorTable[0][0], static_cast<uint8_t>(byte(rng))};
  entry.color0Blue = blues[byte(rng) % 4];

  // A stride beyond the row's own length, and leading bytes that are never
  // read when the data is not a whole number of strides.
  const size_t rowBytes = (size_t{width} * bitCount + 7) / 8;
  const size_t stride = rowBytes + static_cast<size_t>(byte(rng) % 6);
  const size_t leading = static_cast<size_t>(byte(rng)) % height;
  entry.dataSize = static_cast<int32_t>(stride * height + leading);
  picture.pixels.resize(static_cast<size_t>(entry.dataSize));
  for (uint8_t& b : picture.pixels) b = static_cast<uint8_t>(byte(rng));
  return picture;
}

Bytes Reference(const Picture& picture) {
  Bytes block(BlockSize(picture.entry), 0xA5);
  ConvertPixelsPerBit(picture.entry, picture.pixels.data(), block.data());
  return block;
}

Bytes Fast(RasterPath path, const Picture& picture) {
  Bytes block(BlockSize(picture.entry), 0x5A);
  ConvertPixelsFast(path, picture.entry, picture.pixels.data(), block.data());
  return block;
}

class FastRasterTest : public ::testing::TestWithParam<RasterPath> {
 protected:
  void SetUp() override {
    if (!RasterPathAvailable(GetParam())) {
      GTEST_SKIP() << "this processor cannot take this path";
    }
  }

  // Converts the picture both ways; true when the bytes agree.
  bool Agrees(const Picture& picture) {
    Bytes expected = Reference(picture);
    Bytes actual = Fast(GetParam(), picture);
    if (actual == expected) return true;
    size_t at = 0;
    while (actual[at] == expected[at]) ++at;
    ADD_FAILURE() << picture.Describe() << ": byte " << at << " (band "
                  << at / picture.entry.height << ", row " << at % picture.entry.height
                  << ") is " << int{actual[at]} << ", the per-bit conversion gives "
                  << int{expected[at]};
    return false;
  }
};

TEST_P(FastRasterTest, SmallPicturesOfEveryWidthMatchThePerBitConversion) {
  // Every width up to 70 covers each partial band, the scalar tails after
  // the vector loops, and tiles of 16 rows with and without a short last one.
  std::mt19937 rng(20240611);
  for (uint16_t bitCount : {1, 4, 8}) {
    for (uint16_t width = 0; width <= 70; ++width) {
      for (uint16_t height : {1, 2, 7, 15, 16, 17, 33}) {
        for (bool topDown : {false, true}) {
          if (!Agrees(RandomPicture(rng, bitCount, width, height, topDown))) return;
        }
      }
    }
  }
}

TEST_P(FastRasterTest, WidePicturesMatchThePerBitConversion) {
  // Widths around whole 16-band blocks of the transposition and whole
  // vectors of each depth, and rows wider than one tile (1024 bands).
  std::mt19937 rng(977);
  for (uint16_t bitCount : {1, 4, 8}) {
    for (uint16_t width : {127, 128, 129, 255, 256, 257, 511, 1000, 2047, 8191, 8200}) {
      for (uint16_t height : {16, 19, 48, 64, 150}) {
        for (bool topDown : {false, true}) {
          if (!Agrees(RandomPicture(rng, bitCount, width, height, topDown))) return;
        }
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Paths, FastRasterTest,
                         ::testing::Values(RasterPath::kPortable, RasterPath::kAvx2,
                                           RasterPath::kAvx512),
                         [](const ::testing::TestParamInfo<RasterPath>& info) {
                           switch (info.param) {
                             case RasterPath::kAvx2:
                               return "Avx2";
                             case RasterPath::kAvx512:
                               return "Avx512";
                             default:
                               return "Portable";
                           }
                         });

// A bitmap file that hands out its bytes in small pieces, as a pipe or a
// network file may: at most `piece` bytes a read.
class TricklingFile : public InputFile {
 public:
  TricklingFile(Bytes bytes, size_t piece) : bytes_(std::move(bytes)), piece_(piece) {}
  bool Seek(int64_t offset) override {
    if (offset < 0) return false;
    position_ = static_cast<size_t>(offset);
    return true;
  }
  int64_t Read(void* buffer, size_t size) override {
    if (position_ >= bytes_.size()) return 0;
    const size_t count = std::min({size, piece_, bytes_.size() - position_});
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += count;
    return static_cast<int64_t>(count);
  }
  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

 private:
  Bytes bytes_;
  size_t piece_;
  size_t position_ = 0;
};

// The pixel data after `offset` bytes of headers, as in a bitmap file.
Bytes FileOf(const Picture& picture, size_t offset) {
  Bytes file(offset, 0x77);
  file.insert(file.end(), picture.pixels.begin(), picture.pixels.end());
  return file;
}

TEST(ReadAndConvertTest, PicturesReadThroughTheWindowMatchThePerBitConversion) {
  // Pixel data larger than the window, so that it is read and converted in
  // several pieces; 8200 pixels of 8 bits make a tile larger than the usual
  // window. Reads deliver odd pieces, cutting rows anywhere.
  std::mt19937 rng(31);
  struct Case {
    uint16_t bitCount, width, height;
  };
  for (const Case c : {Case{8, 2047, 700}, Case{4, 3001, 513}, Case{1, 8000, 900},
                       Case{8, 8200, 300}, Case{8, 5, 1}}) {
    for (bool topDown : {false, true}) {
      Picture picture = RandomPicture(rng, c.bitCount, c.width, c.height, topDown);
      picture.entry.dataOffset = 1078;
      TricklingFile file(FileOf(picture, 1078), 65537);
      Bytes window(ConversionWindowSize(picture.entry));
      Bytes block(BlockSize(picture.entry), 0x5A);
      ASSERT_TRUE(ReadAndConvert(file, picture.entry, window.data(), block.data()))
          << picture.Describe();
      EXPECT_EQ(block, Reference(picture)) << picture.Describe();
      EXPECT_LE(window.size(), static_cast<size_t>(picture.entry.dataSize));
    }
  }
}

TEST(ReadAndConvertTest, AFileShorterThanItsPixelDataCannotBeRead) {
  // Even where the missing byte is one no row takes: a trailing byte of a
  // top-down picture, or any byte of a picture without width.
  std::mt19937 rng(8);
  for (uint16_t width : {0, 40}) {
    for (bool topDown : {false, true}) {
      Picture picture = RandomPicture(rng, 8, width, 20, topDown);
      picture.entry.dataSize += 3;  // bytes beyond the last stride
      picture.pixels.resize(static_cast<size_t>(picture.entry.dataSize));
      picture.entry.dataOffset = 54;
      Bytes bytes = FileOf(picture, 54);
      bytes.pop_back();
      TricklingFile file(bytes, bytes.size());
      Bytes window(ConversionWindowSize(picture.entry));
      Bytes block(BlockSize(picture.entry));
      EXPECT_FALSE(ReadAndConvert(file, picture.entry, window.data(), block.data()))
          << picture.Describe();
    }
  }
}

}  // namespace
}  // namespace quendrix
