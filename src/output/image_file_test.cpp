#include "output/image_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "bitmap/bitmap_header.h"
#include "model/messages.h"
#include "testing/bmp_builder.h"
#include "testing/fake_platform.h"

namespace quendrix {
namespace {

using Bytes = std::vector<uint8_t>;

const std::string kOutput = "/job/Image.img";

Bytes FileBytes(const FakePlatform& platform, const std::string& path) {
  const std::string& s = platform.FileBytes(path);
  return Bytes(s.begin(), s.end());
}

// An 8 x 8 1-bit picture whose rows are 01 02 04 ... 80, top row first.
std::string Diagonal() {
  BmpBuilder b;
  b.height = 8;
  b.colors = {kBlack, kWhite};
  b.Paint([](int x, int y) { return x == y ? 0u : 1u; });
  return b.Build();
}

class ImageFileTest : public ::testing::Test {
 protected:
  // Adds a bitmap to the next slot as the header reader would.
  void Add(const std::string& name, const std::string& bytes, uint8_t lod2 = 0) {
    platform_.AddFile(name, bytes);
    ImageEntry& entry = table_.slots[used_++];
    entry.path = name;
    entry.lod2 = lod2;
    ASSERT_EQ(ParseBitmapHeader({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()},
                                static_cast<int64_t>(bytes.size()), entry),
              HeaderVerdict::kAccepted);
  }
  FakePlatform platform_;
  ImageTable table_;
  int used_ = 0;
};

TEST_F(ImageFileTest, AnEmptyTableGivesOnlyTheFill) {
  ASSERT_TRUE(WriteImageFile(platform_, table_, kOutput, 0));
  EXPECT_EQ(FileBytes(platform_, kOutput), Bytes(256, 0));
}

TEST_F(ImageFileTest, HeaderDataBlockAndFill) {
  Add("d.bmp", Diagonal(), 1);
  ASSERT_TRUE(WriteImageFile(platform_, table_, kOutput, 0));
  Bytes expected = {0x00, 0x08, 0x00, 0x08, 0x00, 0x01, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0,
                    0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01};
  expected.resize(256, 0);
  EXPECT_EQ(FileBytes(platform_, kOutput), expected);
  EXPECT_FALSE(platform_.HasFile(TemporaryOutputPath(kOutput)));
}

TEST_F(ImageFileTest, NoHeaderIsJudgedByItsLow16Bits) {
  Add("d.bmp", Diagonal());
  const struct {
    int32_t noHeader;
    bool headers;
  } cases[] = {{0, true}, {1, false}, {65536, true}, {65537, false}, {-1, false},
               {-65536, true}};
  for (const auto& c : cases) {
    ASSERT_TRUE(WriteImageFile(platform_, table_, kOutput, c.noHeader));
    Bytes bytes = FileBytes(platform_, kOutput);
    ASSERT_EQ(bytes.size(), 256u);
    EXPECT_EQ(bytes[c.headers ? 16 : 0], 0x80) << c.noHeader;
  }
}

TEST_F(ImageFileTest, PicturesEndingOnAMultipleOf256GetAWholeFillUnit) {
  // 2 pictures of 16 header bytes + 240 data bytes (width 8, height 240).
  BmpBuilder b;
  b.height = 240;
  b.Paint([](int, int) { return 0u; });
  Add("a.bmp", b.Build());
  Add("b.bmp", b.Build());
  ASSERT_TRUE(WriteImageFile(platform_, table_, kOutput, 0));
  Bytes bytes = FileBytes(platform_, kOutput);
  ASSERT_EQ(bytes.size(), 768u);
  EXPECT_EQ(Bytes(bytes.begin() + 512, bytes.end()), Bytes(256, 0));
}

TEST_F(ImageFileTest, FiveDigitSizesKeepTheirLastFourDigits) {
  ImageEntry entry;
  entry.height = 12345;
  entry.width = 65535;
  std::array<uint8_t, 16> header = EntryHeader(entry);
  EXPECT_EQ(Bytes(header.begin(), header.begin() + 8),
            (Bytes{0x23, 0x45, 0x55, 0x35, 0x00, 0x01, 0x00, 0x00}));
}

TEST_F(ImageFileTest, APictureThatCannotBeReadIsLeftOutWhole) {
  Add("a.bmp", Diagonal());
  Add("gone.bmp", Diagonal());
  Add("c.bmp", Diagonal(), 1);
  platform_.RemoveFile("gone.bmp");
  ASSERT_TRUE(WriteImageFile(platform_, table_, kOutput, 0));
  Bytes bytes = FileBytes(platform_, kOutput);
  ASSERT_EQ(bytes.size(), 256u);
  EXPECT_EQ(bytes[24 + 7], 1) << "the third picture follows the first directly";
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0],
            (RecordedMessage{MessageIcon::kQuestion, std::string(kBitmapRead), "gone.bmp"}));
}

TEST_F(ImageFileTest, APictureWithoutMemoryIsLeftOutWhole) {
  BmpBuilder big;
  big.width = 64;
  big.height = 64;
  big.Paint([](int, int) { return 0u; });
  Add("a.bmp", Diagonal());
  Add("big.bmp", big.Build());
  platform_.allocationLimit = 100;
  ASSERT_TRUE(WriteImageFile(platform_, table_, kOutput, 1));
  Bytes bytes = FileBytes(platform_, kOutput);
  EXPECT_EQ(bytes.size(), 256u);
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0].text, kBitmapMemory);
  EXPECT_EQ(platform_.messages[0].name, "big.bmp");
}

TEST_F(ImageFileTest, TheTableEndsAtTheFirstEmptySlot) {
  Add("a.bmp", Diagonal());
  table_.slots[2] = table_.slots[0];  // beyond the empty slot 1: never reached
  ASSERT_TRUE(WriteImageFile(platform_, table_, kOutput, 1));
  EXPECT_EQ(FileBytes(platform_, kOutput).size(), 256u);
  EXPECT_EQ(platform_.opensForReading["/job/a.bmp"], 1);
}

TEST_F(ImageFileTest, AFullDiskEndsTheJobAndLeavesNoFile) {
  Add("a.bmp", Diagonal());
  for (size_t space : {0u, 10u, 20u, 255u}) {
    platform_.diskSpace = space;
    platform_.messages.clear();
    EXPECT_FALSE(WriteImageFile(platform_, table_, kOutput, 0)) << space;
    EXPECT_FALSE(platform_.HasFile(kOutput)) << space;
    EXPECT_FALSE(platform_.HasFile(TemporaryOutputPath(kOutput))) << space;
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0],
              (RecordedMessage{MessageIcon::kError, std::string(kOutputWrite), kOutput}));
  }
}

TEST_F(ImageFileTest, AnOutputThatCannotBeCreated) {
  platform_.uncreatable.insert(TemporaryOutputPath(kOutput));
  EXPECT_FALSE(WriteImageFile(platform_, table_, kOutput, 0));
  EXPECT_FALSE(platform_.HasFile(kOutput));
  ASSERT_EQ(platform_.messages.size(), 1u);
  EXPECT_EQ(platform_.messages[0],
            (RecordedMessage{MessageIcon::kError, std::string(kOutputCreate), kOutput}));
}

}  // namespace
}  // namespace quendrix
