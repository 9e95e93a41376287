#include "view/image_file_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace quendrix::view {
namespace {

using Bytes = std::vector<uint8_t>;

// A header as the converter writes it, sizes of at most four digits.
Bytes Header(unsigned height, unsigned width, uint8_t lod2 = 0) {
  auto bcd = [](unsigned v, unsigned div) {
    return static_cast<uint8_t>((v / div / 10 % 10) << 4 | (v / div % 10));
  };
  Bytes header(kHeaderSize, 0);
  header[0] = bcd(height, 100);
  header[1] = bcd(height, 1);
  header[2] = bcd(width, 100);
  header[3] = bcd(width, 1);
  header[5] = 0x01;
  header[7] = lod2;
  return header;
}

void Append(Bytes& to, const Bytes& more) {
  to.insert(to.end(), more.begin(), more.end());
}

// Pads with zero bytes to the next multiple of 256, 1 to 256 of them.
void AppendFill(Bytes& to) { to.resize((to.size() / 256 + 1) * 256, 0); }

// Data blocks of the given length, each byte non-zero so that none can
// pass for the fill.
Bytes Block(size_t length, uint8_t value = 0xA5) {
  return Bytes(length, value);
}

TEST(PackedBcdDecoding, DigitsAndNonDigits) {
  EXPECT_EQ(DecodePackedBcd(0x00, 0x48), 48);
  EXPECT_EQ(DecodePackedBcd(0x99, 0x99), 9999);
  EXPECT_EQ(DecodePackedBcd(0x12, 0x30), 1230);
  EXPECT_EQ(DecodePackedBcd(0x00, 0x00), 0);
  EXPECT_EQ(DecodePackedBcd(0x0A, 0x00), std::nullopt);
  EXPECT_EQ(DecodePackedBcd(0x00, 0xD5), std::nullopt);  // a minus sign's nibble
  EXPECT_EQ(DecodePackedBcd(0xF0, 0x00), std::nullopt);
}

TEST(ReadWithHeaders, FindsEachPictureAndTheFill) {
  Bytes file;
  Append(file, Header(3, 20, 1));   // 3 bands of 3 rows: 9 bytes
  Append(file, Block(9));
  Append(file, Header(7, 0));       // width 0: no data at all
  Append(file, Header(2, 1234));    // 155 bands: 310 bytes
  Append(file, Block(310, 0x01));
  Append(file, Header(16, 8));      // a block that is all white ...
  Append(file, Block(16, 0x00));    // ... and so all zero bytes
  AppendFill(file);

  ImageFileLayout layout = ReadWithHeaders(file);
  ASSERT_FALSE(layout.problem) << layout.problem->text;
  ASSERT_EQ(layout.pictures.size(), 4u);
  struct Expected {
    uint64_t offset, width, height, lod2, blockLength;
  };
  const Expected expected[] = {
      {0, 20, 3, 1, 9}, {25, 0, 7, 0, 0}, {41, 1234, 2, 0, 310},
      {367, 8, 16, 0, 16}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const PictureRecord& p = layout.pictures[i];
    EXPECT_EQ(p.number, static_cast<int>(i) + 1);
    EXPECT_TRUE(p.hasHeader);
    EXPECT_EQ(p.offset, expected[i].offset);
    EXPECT_EQ(p.blockOffset, expected[i].offset + 16);
    EXPECT_EQ(p.width, expected[i].width);
    EXPECT_EQ(p.height, expected[i].height);
    EXPECT_EQ(p.lod2, expected[i].lod2);
    EXPECT_EQ(p.blockLength, expected[i].blockLength);
  }
  EXPECT_EQ(layout.fillOffset, 399u);
  EXPECT_EQ(layout.fillLength, 512u - 399u);
  EXPECT_EQ(layout.fileLength, 512u);
}

TEST(ReadWithHeaders, FillLengthsAtTheEdges) {
  // No pictures: 256 zero bytes.
  ImageFileLayout empty = ReadWithHeaders(Bytes(256, 0));
  EXPECT_FALSE(empty.problem);
  EXPECT_TRUE(empty.pictures.empty());
  EXPECT_EQ(empty.fillOffset, 0u);
  EXPECT_EQ(empty.fillLength, 256u);

  // Pictures that end on a multiple of 256 take a whole 256 bytes of fill.
  Bytes full = Header(30, 64);
  Append(full, Block(240));
  AppendFill(full);
  ASSERT_EQ(full.size(), 512u);
  ImageFileLayout whole = ReadWithHeaders(full);
  EXPECT_FALSE(whole.problem);
  EXPECT_EQ(whole.fillLength, 256u);

  // A single zero byte of fill, shorter than a header.
  Bytes tight = Header(239, 8);
  Append(tight, Block(239));
  AppendFill(tight);
  ASSERT_EQ(tight.size(), 256u);
  ImageFileLayout one = ReadWithHeaders(tight);
  EXPECT_FALSE(one.problem);
  ASSERT_EQ(one.pictures.size(), 1u);
  EXPECT_EQ(one.fillLength, 1u);
}

// One picture of 4 x 8 (4 bytes), then the fill: 20 bytes, 236 zero bytes.
Bytes OnePicture() {
  Bytes file = Header(4, 8);
  Append(file, Block(4));
  AppendFill(file);
  return file;
}

TEST(ReadWithHeaders, SaysWhereTheFileStopsParsing) {
  struct Case {
    const char* name;
    Bytes file;
    uint64_t offset;
    const char* words;
    size_t picturesBefore;
  };
  auto with = [](Bytes file, size_t at, uint8_t value) {
    file[at] = value;
    return file;
  };
  auto cut = [](Bytes file, size_t length) {
    file.resize(length);
    return file;
  };
  Bytes two = OnePicture();
  two.resize(20);
  Append(two, Header(2, 16));
  Append(two, Block(4));
  AppendFill(two);

  const Case cases[] = {
      {"empty file", {}, 0, "empty", 0},
      {"block cut short", cut(OnePicture(), 18), 16,
       "ends inside picture 1 (8 x 4): its data block needs 4 bytes, the file holds only 2 more", 0},
      {"second block cut short", cut(two, 38), 36, "ends inside picture 2", 1},
      {"header cut short", cut(two, 30), 20, "only 10 of its 16 bytes", 1},
      {"no fill", cut(OnePicture(), 20), 20, "without its zero fill", 1},
      {"height not BCD", with(OnePicture(), 1, 0x0B), 1, "height 00 0B", 0},
      {"width not BCD", with(OnePicture(), 2, 0xA0), 2, "width A0 08", 0},
      {"second header not BCD", with(two, 22, 0x0C), 22,
       "the header at offset 20", 1},
      {"bytes 4-5 not 00 01", with(OnePicture(), 5, 0x02), 0, "bytes 4-5 are 00 02", 0},
      {"byte 6 set", with(OnePicture(), 6, 0x01), 6, "byte 6", 0},
      {"LOD2 flag 2", with(OnePicture(), 7, 0x02), 7, "LOD2 flag", 0},
      {"byte 12 set", with(OnePicture(), 12, 0x40), 12, "byte 12", 0},
      {"fill not zero", with(OnePicture(), 200, 0x10), 200,
       "fill that begins at offset 20 holds the byte 10", 1},
      {"fill ends not zero", with(OnePicture(), 255, 0xFF), 255, "holds the byte FF", 1},
      {"fill too long", [] { Bytes f = OnePicture(); f.resize(512); return f; }(),
       20, "492 bytes long", 1},
      {"length not a multiple of 256", cut(OnePicture(), 100), 20,
       "not a multiple of 256", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ImageFileLayout layout = ReadWithHeaders(c.file);
    ASSERT_TRUE(layout.problem);
    EXPECT_EQ(layout.problem->offset, c.offset);
    EXPECT_NE(layout.problem->text.find(c.words), std::string::npos)
        << layout.problem->text;
    EXPECT_EQ(layout.pictures.size(), c.picturesBefore);
  }
}

TEST(ReadWithoutHeaders, TakesTheGivenSizes) {
  Bytes file = Block(2 * 2);           // 9 x 2: two bands
  Append(file, Block(0));              // 0 x 5
  Append(file, Bytes(16 * 2, 0x00));   // 16 x 16, all white
  AppendFill(file);
  const PictureSize sizes[] = {{9, 2}, {0, 5}, {16, 16}};

  ImageFileLayout layout = ReadWithoutHeaders(file, sizes);
  ASSERT_FALSE(layout.problem) << layout.problem->text;
  EXPECT_FALSE(layout.headers);
  ASSERT_EQ(layout.pictures.size(), 3u);
  EXPECT_EQ(layout.pictures[0].blockOffset, 0u);
  EXPECT_EQ(layout.pictures[0].blockLength, 4u);
  EXPECT_EQ(layout.pictures[1].blockOffset, 4u);
  EXPECT_EQ(layout.pictures[2].blockOffset, 4u);
  EXPECT_EQ(layout.pictures[2].offset, 4u);
  EXPECT_FALSE(layout.pictures[2].hasHeader);
  EXPECT_EQ(layout.fillOffset, 36u);
  EXPECT_EQ(layout.fillLength, 220u);
}

TEST(ReadWithoutHeaders, TooFewOrTooLargeSizes) {
  Bytes file = Block(8);
  Append(file, Block(8));
  AppendFill(file);

  const PictureSize oneOfTwo[] = {{8, 8}};
  ImageFileLayout fewer = ReadWithoutHeaders(file, oneOfTwo);
  ASSERT_TRUE(fewer.problem);
  EXPECT_EQ(fewer.problem->offset, 8u);
  EXPECT_NE(fewer.problem->text.find("more pictures than the 1 sizes"),
            std::string::npos);

  const PictureSize tooLarge[] = {{8, 8}, {640, 480}};
  ImageFileLayout larger = ReadWithoutHeaders(file, tooLarge);
  ASSERT_TRUE(larger.problem);
  EXPECT_EQ(larger.problem->offset, 8u);
  EXPECT_NE(larger.problem->text.find("ends inside picture 2"), std::string::npos);
  EXPECT_EQ(larger.pictures.size(), 1u);
}

TEST(PixelIsBlack, ReadsTheColumnRaster) {
  // 10 x 2: band 0 rows 0 and 1, then band 1 rows 0 and 1.
  const Bytes block = {0x80, 0x01, 0x40, 0x00};
  EXPECT_TRUE(PixelIsBlack(block, 2, 0, 0));
  EXPECT_FALSE(PixelIsBlack(block, 2, 1, 0));
  EXPECT_TRUE(PixelIsBlack(block, 2, 7, 1));
  EXPECT_FALSE(PixelIsBlack(block, 2, 8, 0));
  EXPECT_TRUE(PixelIsBlack(block, 2, 9, 0));
  EXPECT_FALSE(PixelIsBlack(block, 2, 9, 1));
}

}  // namespace
}  // namespace quendrix::view
