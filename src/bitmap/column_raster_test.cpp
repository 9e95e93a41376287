#include "bitmap/column_raster.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "bitmap/fast_raster.h"
#include "testing/bmp_builder.h"
#include "testing/fake_platform.h"

namespace quendrix {
namespace {

using Bytes = std::vector<uint8_t>;

ImageEntry Entry(uint16_t bitCount, uint16_t width, uint16_t height, size_t dataSize) {
  ImageEntry entry;
  entry.bitCount = bitCount;
  entry.width = width;
  entry.height = height;
  entry.dataSize = static_cast<int32_t>(dataSize);
  entry.colorTable.fill(kBlack);
  entry.colorTable[0] = kWhite;
  return entry;
}

Bytes Convert(const ImageEntry& entry, const Bytes& pixels) {
  Bytes block(BlockSize(entry), 0xEE);
  ConvertPixels(entry, pixels.data(), block.data());
  Bytes reference(BlockSize(entry), 0xDD);
  ConvertPixelsPerBit(entry, pixels.data(), reference.data());
  EXPECT_EQ(block, reference);
  return block;
}

TEST(ColumnRasterTest, OneBitKeepsOrInvertsTheStoredBitsAndMasksTheEdge) {
  // 13 x 2: bottom row AB CD 00 00, then the top row 12 FF 00 00.
  const Bytes pixels = {0xAB, 0xCD, 0x00, 0x00, 0x12, 0xFF, 0x00, 0x00};
  ImageEntry entry = Entry(1, 13, 2, pixels.size());
  entry.color0Blue = 255;
  EXPECT_EQ(Convert(entry, pixels), (Bytes{0x12, 0xAB, 0xF8, 0xC8}));
  entry.color0Blue = 0;
  EXPECT_EQ(Convert(entry, pixels), (Bytes{0xED, 0x54, 0x00, 0x30}));
}

TEST(ColumnRasterTest, OneBitWithAnyOtherBlueJudgesEachPixelsColour) {
  // Entry 0 is a pale blue (blue 200), entry 1 white: stored 0 bits are
  // black, stored 1 bits white. Bits beyond the width stay 0.
  const Bytes pixels = {0xF0, 0x00, 0x00, 0x00};
  ImageEntry entry = Entry(1, 6, 1, pixels.size());
  entry.colorTable[0] = {200, 255, 255, 0};
  entry.colorTable[1] = kWhite;
  entry.color0Blue = 200;
  EXPECT_EQ(Convert(entry, pixels), (Bytes{0x0C}));
  entry.colorTable[1] = {0, 0, 0, 0};
  EXPECT_EQ(Convert(entry, pixels), (Bytes{0xFC})) << "both entries not white";
}

TEST(ColumnRasterTest, FourBitNibblesUpToTheRightEdge) {
  ImageEntry entry = Entry(4, 5, 1, 4);
  EXPECT_EQ(Convert(entry, {0x01, 0x23, 0x4F, 0x00}), (Bytes{0x78}));
  entry.width = 6;
  EXPECT_EQ(Convert(entry, {0x01, 0x23, 0x45, 0x00}), (Bytes{0x7C}));
  entry.width = 9;
  entry.dataSize = 8;
  EXPECT_EQ(Convert(entry, {0x10, 0x01, 0x00, 0x11, 0x10, 0, 0, 0}), (Bytes{0x93, 0x80}));
}

TEST(ColumnRasterTest, EightBitWhiteTestIgnoresTheReservedByte) {
  ImageEntry entry = Entry(8, 10, 1, 12);
  EXPECT_EQ(Convert(entry, {0, 5, 0, 5, 0, 5, 0, 5, 0, 5, 9, 9}), (Bytes{0x55, 0x40}));

  entry = Entry(8, 8, 1, 8);
  entry.colorTable[0] = {255, 255, 255, 0};
  entry.colorTable[1] = {255, 255, 255, 200};
  entry.colorTable[2] = {254, 255, 255, 0};
  entry.colorTable[3] = {255, 255, 254, 0};
  EXPECT_EQ(Convert(entry, {0, 1, 2, 3, 0, 1, 2, 3}), (Bytes{0x33}));
}

TEST(ColumnRasterTest, RowStrideComesFromTheDataSize) {
  // 4 x 2 with 12 bytes: stride 6, row 0 at bytes 6-9, row 1 at bytes 0-3.
  ImageEntry entry = Entry(8, 4, 2, 12);
  const Bytes pixels = {0, 0, 0, 0, 5, 5, 0, 5, 0, 5, 5, 5};
  EXPECT_EQ(Convert(entry, pixels), (Bytes{0x50, 0x00}));
  entry.topDown = true;  // row 0 at bytes 0-3, row 1 at bytes 6-9
  EXPECT_EQ(Convert(entry, pixels), (Bytes{0x00, 0x50}));
}

TEST(ColumnRasterTest, BandsFollowOneAnotherRowByRow) {
  // 16 x 2 at 8 bits: band 0 holds rows 0 and 1, then band 1.
  ImageEntry entry = Entry(8, 16, 2, 32);
  Bytes pixels(32, 0);
  pixels[16 + 0] = 1;   // top row (stored last), column 0
  pixels[0 + 15] = 1;   // bottom row, column 15
  EXPECT_EQ(Convert(entry, pixels), (Bytes{0x80, 0x00, 0x00, 0x01}));
}

TEST(ColumnRasterTest, BlockLengths) {
  EXPECT_EQ(BlockSize(Entry(1, 0, 5, 4)), 0u);
  EXPECT_EQ(BlockSize(Entry(8, 7, 3, 24)), 3u);
  EXPECT_EQ(BlockSize(Entry(8, 8, 3, 24)), 3u);
  EXPECT_EQ(BlockSize(Entry(8, 9, 3, 48)), 6u);
  EXPECT_EQ(BlockSize(Entry(1, 65535, 65535, 4)), 8192u * 65535u);
}

TEST(ColumnRasterTest, SetBit) {
  uint8_t byte = 0x0F;
  SetBit(byte, 7, 1);
  EXPECT_EQ(byte, 0x8F);
  SetBit(byte, 0, 0);
  EXPECT_EQ(byte, 0x8E);
  SetBit(byte, 0, 0);
  EXPECT_EQ(byte, 0x8E);
}

// Conversion through the platform: pieces, seeks and failures.
class ConvertEntryTest : public ::testing::Test {
 protected:
  ConvertResult Run(const ImageEntry& entry, Bytes* block) {
    const uint8_t* out = nullptr;
    ConvertResult result = ConvertEntry(platform_, entry, buffers_, &out);
    if (out != nullptr) block->assign(out, out + BlockSize(entry));
    return result;
  }
  FakePlatform platform_;
  ConversionBuffers buffers_;
};

TEST_F(ConvertEntryTest, ReadsLargePixelDataInPiecesWithTheSameResult) {
  // 8-bit, rows of 7 bytes and 3 bytes more, more pixel data than the
  // conversion window holds: all of it is read, in pieces of at most 32767
  // bytes, each after a seek to its own offset.
  const uint16_t width = 7;
  const uint16_t height = 60000;
  const size_t dataSize = size_t{width} * height + 3;
  ImageEntry entry = Entry(8, width, height, dataSize);
  entry.path = "big.bmp";
  entry.dataOffset = 100;
  std::string file(100, 'h');
  Bytes pixels(dataSize);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = (i * 7919) % 3 == 0 ? 0 : 1;
  file.append(pixels.begin(), pixels.end());
  platform_.AddFile("big.bmp", file);
  Bytes block;
  ASSERT_EQ(Run(entry, &block), ConvertResult::kConverted);
  EXPECT_EQ(block, Convert(entry, pixels));
  ASSERT_EQ(platform_.readLog.size() % 2, 0u);
  size_t read = 0;
  for (size_t i = 0; i < platform_.readLog.size(); i += 2) {
    EXPECT_EQ(platform_.readLog[i], "seek " + std::to_string(100 + read));
    size_t piece = 0;
    ASSERT_EQ(std::sscanf(platform_.readLog[i + 1].c_str(), "read %zu", &piece), 1)
        << platform_.readLog[i + 1];
    EXPECT_LE(piece, 32767u);
    read += piece;
  }
  EXPECT_EQ(read, dataSize);
}

TEST_F(ConvertEntryTest, AFileThatShrankOrVanishedCannotBeRead) {
  ImageEntry entry = Entry(8, 4, 1, 4);
  entry.path = "short.bmp";
  entry.dataOffset = 10;
  platform_.AddFile("short.bmp", std::string(12, '\0'));
  Bytes block;
  EXPECT_EQ(Run(entry, &block), ConvertResult::kCannotRead);
  entry.path = "gone.bmp";
  EXPECT_EQ(Run(entry, &block), ConvertResult::kCannotRead);
}

TEST_F(ConvertEntryTest, MemoryThatCannotBeHad) {
  ImageEntry entry = Entry(8, 4, 1, 4);
  entry.path = "a.bmp";
  platform_.AddFile("a.bmp", std::string(4, '\0'));
  platform_.allocationLimit = 3;
  Bytes block;
  EXPECT_EQ(Run(entry, &block), ConvertResult::kNoMemory);
  EXPECT_EQ(platform_.opensForReading.count("/job/a.bmp"), 0u) << "nothing opened";
}

TEST_F(ConvertEntryTest, EntriesThatDoNotFitTheirPixelsAreNeverConverted) {
  ImageEntry entry = Entry(8, 8, 0, 8);  // height 0 would divide by zero
  Bytes block;
  EXPECT_EQ(Run(entry, &block), ConvertResult::kCannotRead);
  entry = Entry(8, 9, 1, 8);  // a row needs 9 bytes
  EXPECT_EQ(Run(entry, &block), ConvertResult::kCannotRead);
}

}  // namespace
}  // namespace quendrix
