#include "bitmap/rle_decoder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bitmap/bitmap_header.h"
#include "bitmap/column_raster.h"
#include "testing/bmp_builder.h"
#include "testing/fake_platform.h"

namespace quendrix {
namespace {

using Bytes = std::vector<uint8_t>;

struct DecodeCase {
  const char* why;
  uint16_t width;
  uint16_t height;
  uint16_t bitCount;
  Bytes data;
  std::vector<Bytes> rows;  // the decoded rows, bottom row (the first stored) first
};

TEST(RleDecoderTest, DecodesEachCodeAsTheFormatDefines) {
  const DecodeCase cases[] = {
      {"8-bit run", 6, 1, 8, {3, 7, 0, 1}, {{7, 7, 7, 0, 0, 0, 0, 0}}},
      {"4-bit run alternates the nibbles, high first", 5, 1, 4, {5, 0x9A, 0, 1},
       {{0x9A, 0x9A, 0x90, 0}}},
      {"end of row goes to the start of the row above", 2, 2, 8, {1, 5, 0, 0, 2, 6, 0, 1},
       {{5, 0, 0, 0}, {6, 6, 0, 0}}},
      {"8-bit literal of odd length is padded to an even byte count", 5, 1, 8,
       {0, 3, 1, 2, 3, 0xEE, 2, 9, 0, 1}, {{1, 2, 3, 9, 9, 0, 0, 0}}},
      {"4-bit literal of 5 nibbles takes 3 bytes and one pad byte", 7, 1, 4,
       {0, 5, 0x12, 0x34, 0x5F, 0xEE, 2, 0x77, 0, 1}, {{0x12, 0x34, 0x57, 0x70}}},
      {"4-bit literal of 3 nibbles takes 2 bytes and no padding", 5, 1, 4,
       {0, 3, 0x12, 0x3F, 2, 0x88, 0, 1}, {{0x12, 0x38, 0x80, 0}}},
      {"a move goes right and up; skipped pixels keep index 0", 4, 3, 8,
       {1, 1, 0, 2, 2, 1, 1, 2, 0, 0, 0, 2, 3, 0, 1, 3},
       {{1, 0, 0, 0}, {0, 0, 0, 2}, {0, 0, 0, 3}}},
      {"a run is cut at the right edge and does not wrap", 3, 2, 8, {5, 4, 0, 0, 1, 8},
       {{4, 4, 4, 0}, {8, 0, 0, 0}}},
      {"a literal is cut at the right edge", 2, 1, 8, {0, 4, 1, 2, 3, 4, 1, 9},
       {{1, 2, 0, 0}}},
      {"after a move past the edge nothing is painted until the row ends", 3, 2, 8,
       {0, 2, 200, 0, 2, 5, 0, 0, 1, 6}, {{0, 0, 0, 0}, {6, 0, 0, 0}}},
      {"end of picture ends decoding", 2, 2, 8, {1, 3, 0, 1, 0, 0, 2, 4},
       {{3, 0, 0, 0}, {0, 0, 0, 0}}},
      {"an end of row past the top row ends decoding", 2, 1, 8, {1, 3, 0, 0, 2, 4},
       {{3, 0, 0, 0}}},
      {"a move past the top row ends decoding", 2, 2, 8, {0, 2, 0, 2, 1, 4},
       {{0, 0, 0, 0}, {0, 0, 0, 0}}},
      {"data that ends inside a code paints nothing more", 3, 1, 8, {1, 3, 2},
       {{3, 0, 0, 0}}},
      {"a move cut short ends decoding", 3, 1, 8, {1, 3, 0, 2, 1}, {{3, 0, 0, 0}}},
      {"an 8-bit literal cut short paints what it has", 6, 1, 8, {0, 6, 1, 2, 3},
       {{1, 2, 3, 0, 0, 0, 0, 0}}},
      {"a 4-bit literal cut short paints both nibbles of its last byte", 6, 1, 4,
       {0, 6, 0x12, 0x34}, {{0x12, 0x34, 0, 0}}},
      {"no data leaves the picture at index 0", 4, 1, 4, {}, {{0, 0, 0, 0}}},
      {"a picture without columns takes no pixel", 0, 2, 8, {3, 1, 0, 3, 1, 2, 3, 0},
       {{0, 0, 0, 0}, {0, 0, 0, 0}}},
  };
  for (const DecodeCase& c : cases) {
    Bytes expected;
    for (const Bytes& row : c.rows) expected.insert(expected.end(), row.begin(), row.end());
    // The buffer starts dirty: the decoder must clear what it does not paint,
    // and leave alone the guard bytes after the picture.
    Bytes rows(expected.size() + 8, 0xCD);
    DecodeRunLength(c.data, c.width, c.height, c.bitCount, rows.data());
    expected.resize(rows.size(), 0xCD);
    EXPECT_EQ(rows, expected) << c.why;
  }
}

std::string ReadTestPicture(const std::string& name) {
  std::ifstream in(std::string(QUENDRIX_SOURCE_DIR) + "/tests/data/" + name,
                   std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

ImageEntry AcceptedEntry(FakePlatform& platform, const std::string& name) {
  ImageEntry entry;
  EXPECT_EQ(ReadBitmapHeader(platform, name, entry), 1) << name;
  return entry;
}

// The encoded test pictures hold exactly the pixel rows of their uncompressed
// twins, and so convert to the same data block.
TEST(RleDecoderTest, EncodedPicturesMatchTheirUncompressedTwins) {
  for (const char* depth : {"pal4", "pal8"}) {
    const std::string plain = ReadTestPicture(std::string(depth) + ".bmp");
    const std::string encoded = ReadTestPicture(std::string(depth) + "rle.bmp");
    ASSERT_FALSE(plain.empty() || encoded.empty()) << "tests/data is missing " << depth;
    FakePlatform platform;
    platform.AddFile("plain.bmp", plain);
    platform.AddFile("encoded.bmp", encoded);
    const ImageEntry plainEntry = AcceptedEntry(platform, "plain.bmp");
    const ImageEntry encodedEntry = AcceptedEntry(platform, "encoded.bmp");
    ASSERT_TRUE(IsRunLengthEncoded(encodedEntry));

    const ImageEntry rowsEntry = DecodedEntry(encodedEntry);
    ASSERT_EQ(rowsEntry.dataSize, plainEntry.dataSize) << depth;
    Bytes rows(static_cast<size_t>(rowsEntry.dataSize));
    auto data = reinterpret_cast<const uint8_t*>(encoded.data());
    DecodeRunLength({data + encodedEntry.dataOffset, static_cast<size_t>(encodedEntry.dataSize)},
                    encodedEntry.width, encodedEntry.height, encodedEntry.bitCount, rows.data());
    EXPECT_EQ(std::string(rows.begin(), rows.end()), plain.substr(plainEntry.dataOffset)) << depth;

    ConversionBuffers plainBuffers;
    ConversionBuffers encodedBuffers;
    const uint8_t* plainBlock = nullptr;
    const uint8_t* encodedBlock = nullptr;
    ASSERT_EQ(ConvertEntry(platform, plainEntry, plainBuffers, &plainBlock),
              ConvertResult::kConverted);
    ASSERT_EQ(ConvertEntry(platform, encodedEntry, encodedBuffers, &encodedBlock),
              ConvertResult::kConverted);
    EXPECT_EQ(Bytes(encodedBlock, encodedBlock + BlockSize(encodedEntry)),
              Bytes(plainBlock, plainBlock + BlockSize(plainEntry)))
        << depth;
  }
}

// An 8-bit encoded bitmap of the given picture size with `data` as pixels.
BmpBuilder Encoded8(int32_t width, int32_t height, Bytes data) {
  BmpBuilder b;
  b.width = width;
  b.height = height;
  b.bitCount = 8;
  b.compression = kCompressionRle8;
  b.colors.assign(256, kBlack);
  b.colors[0] = kWhite;
  b.pixels = std::move(data);
  return b;
}

struct FitCase {
  const char* why;
  BmpBuilder bitmap;
  HeaderVerdict verdict;
};

TEST(RleDecoderTest, HeaderReaderBoundsTheDecodedPicture) {
  // 1024-byte rows: the free size holds 4096 rows of them.
  const int32_t freeRows = static_cast<int32_t>(kRunLengthFreeSize / 1024);
  BmpBuilder rle4 = Encoded8(4, 1, {4, 0x11, 0, 1, 0, 0, 0});
  rle4.bitCount = 4;
  rle4.compression = kCompressionRle4;
  rle4.colors.resize(16);
  BmpBuilder rle1With4Bits = rle4;
  rle1With4Bits.compression = kCompressionRle8;
  BmpBuilder cut = Encoded8(4, 1, {4, 1, 0, 1});
  cut.fileSizeField = static_cast<uint32_t>(cut.Build().size() + 1);
  const FitCase cases[] = {
      {"an odd data size and rows that the data cannot hold",
       Encoded8(100, 10, {100, 1, 0, 1, 0}), HeaderVerdict::kAccepted},
      {"4 bits with compression 2", rle4, HeaderVerdict::kAccepted},
      {"4 bits with compression 1 is read as uncompressed rows", rle1With4Bits,
       HeaderVerdict::kBadSize},
      {"top-down", Encoded8(4, -2, {0, 1, 0, 0}), HeaderVerdict::kBadSize},
      {"no rows", Encoded8(4, 0, {0, 1, 0, 0}), HeaderVerdict::kBadSize},
      {"no data", Encoded8(4, 1, {}), HeaderVerdict::kBadSize},
      {"data beyond the end of the file", cut, HeaderVerdict::kBadSize},
      {"the free size from 4 bytes of data", Encoded8(1024, freeRows, {0, 1, 0, 0}),
       HeaderVerdict::kAccepted},
      {"one row more than the free size from 4 bytes",
       Encoded8(1024, freeRows + 1, {0, 1, 0, 0}), HeaderVerdict::kBadSize},
      {"beyond the free size within the ratio",
       Encoded8(1024, freeRows + 1, Bytes(kRunLengthFreeSize / kRunLengthRatio + 4, 0)),
       HeaderVerdict::kAccepted},
      {"2 GB of rows from 40 bytes", Encoded8(32768, 65535, Bytes(40, 0)),
       HeaderVerdict::kBadSize},
  };
  for (const FitCase& c : cases) {
    const std::string file = c.bitmap.Build();
    ImageEntry entry;
    EXPECT_EQ(ParseBitmapHeader({reinterpret_cast<const uint8_t*>(file.data()), file.size()},
                                static_cast<int64_t>(file.size()), entry),
              c.verdict)
        << c.why;
  }
}

TEST(RleDecoderTest, DecodedRowsThatCannotBeHadGiveTheMemoryResult) {
  FakePlatform platform;
  // 200 x 100 pixels from 4 bytes: 20000 bytes of rows, a block of 2500.
  platform.AddFile("a.bmp", Encoded8(200, 100, {0, 1, 0, 0}).Build());
  const ImageEntry entry = AcceptedEntry(platform, "a.bmp");
  ConversionBuffers buffers;
  const uint8_t* block = nullptr;
  platform.allocationLimit = 10000;
  EXPECT_EQ(ConvertEntry(platform, entry, buffers, &block), ConvertResult::kNoMemory);
  platform.allocationLimit = 20000;
  ASSERT_EQ(ConvertEntry(platform, entry, buffers, &block), ConvertResult::kConverted);
  // Index 0 is white: the picture ended at once and is white throughout.
  EXPECT_EQ(Bytes(block, block + BlockSize(entry)), Bytes(2500, 0));
}

}  // namespace
}  // namespace quendrix
