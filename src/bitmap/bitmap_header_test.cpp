#include "bitmap/bitmap_header.h"

#include <gtest/gtest.h>

#include <functional>

#include "model/messages.h"
#include "testing/bmp_builder.h"
#include "testing/fake_platform.h"

namespace quendrix {
namespace {

std::span<const uint8_t> Bytes(const std::string& s) {
  return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

// An 8-bit bitmap of 4 x 2 pixels: rows of 4 bytes, 8 bytes of pixel data.
BmpBuilder Sound8Bit() {
  BmpBuilder b;
  b.width = 4;
  b.height = 2;
  b.bitCount = 8;
  b.colors.assign(256, kBlack);
  b.colors[0] = kWhite;
  b.pixels.assign(8, 0);
  return b;
}

struct HeaderCase {
  const char* why;
  std::function<std::string()> file;
  HeaderVerdict verdict;
};

std::string Patched(BmpBuilder builder, size_t at, uint32_t value) {
  std::string bytes = builder.Build();
  PutLe32(bytes, at, value);
  return bytes;
}

TEST(BitmapHeaderTest, EachBrokenFieldGivesItsMessage) {
  const HeaderCase cases[] = {
      {"a sound 8-bit bitmap", [] { return Sound8Bit().Build(); }, HeaderVerdict::kAccepted},
      {"no BM", [] { std::string s = Sound8Bit().Build(); s[0] = 'X'; return s; },
       HeaderVerdict::kNotABitmap},
      {"BA is not BM", [] { std::string s = Sound8Bit().Build(); s[1] = 'A'; return s; },
       HeaderVerdict::kNotABitmap},
      {"empty file", [] { return std::string(); }, HeaderVerdict::kNotABitmap},
      {"shorter than both headers", [] { return Sound8Bit().Build().substr(0, 53); },
       HeaderVerdict::kNotABitmap},
      {"info header of 12 bytes", [] { return Patched(Sound8Bit(), 14, 12); },
       HeaderVerdict::kNotABitmap},
      {"info header of 39 bytes", [] { return Patched(Sound8Bit(), 14, 39); },
       HeaderVerdict::kNotABitmap},
      {"info header of 125 bytes", [] { return Patched(Sound8Bit(), 14, 125); },
       HeaderVerdict::kNotABitmap},
      {"24 bits", [] { std::string s = Sound8Bit().Build(); PutLe16(s, 28, 24); return s; },
       HeaderVerdict::kBadColorDepth},
      {"16 bits", [] { std::string s = Sound8Bit().Build(); PutLe16(s, 28, 16); return s; },
       HeaderVerdict::kBadColorDepth},
      {"32 bits", [] { std::string s = Sound8Bit().Build(); PutLe16(s, 28, 32); return s; },
       HeaderVerdict::kBadColorDepth},
      {"0 bits", [] { std::string s = Sound8Bit().Build(); PutLe16(s, 28, 0); return s; },
       HeaderVerdict::kBadColorDepth},
      {"depth is judged before size",
       [] { BmpBuilder b = Sound8Bit(); b.bitCount = 24; b.pixels.resize(10); return b.Build(); },
       HeaderVerdict::kBadColorDepth},
      {"8-bit data size 10 is not a multiple of 4",
       [] { BmpBuilder b = Sound8Bit(); b.pixels.resize(10); return b.Build(); },
       HeaderVerdict::kBadSize},
      {"8-bit data size 12 (stride 6) is accepted",
       [] { BmpBuilder b = Sound8Bit(); b.pixels.resize(12); return b.Build(); },
       HeaderVerdict::kAccepted},
      {"1-bit data is not put to the multiple-of-4 test",
       [] { BmpBuilder b; b.height = 3; b.pixels.assign(3, 0); return b.Build(); },
       HeaderVerdict::kAccepted},
      {"file size equal to the data offset",
       [] { BmpBuilder b = Sound8Bit(); b.pixels.clear(); return b.Build(); },
       HeaderVerdict::kBadSize},
      {"file size below the data offset",
       [] { BmpBuilder b = Sound8Bit(); b.fileSizeField = 4; return b.Build(); },
       HeaderVerdict::kBadSize},
      {"height 0",
       [] { BmpBuilder b = Sound8Bit(); b.height = 0; return b.Build(); },
       HeaderVerdict::kBadSize},
      {"height 65536 keeps low bits 0",
       [] { BmpBuilder b = Sound8Bit(); b.height = 65536; return b.Build(); },
       HeaderVerdict::kBadSize},
      {"most negative height",
       [] { return Patched(Sound8Bit(), 22, 0x80000000u); },
       HeaderVerdict::kBadSize},
      {"rows shorter than the width needs",
       [] { BmpBuilder b = Sound8Bit(); b.width = 5; return b.Build(); },
       HeaderVerdict::kBadSize},
      {"1-bit rows shorter than the width needs",
       [] { BmpBuilder b; b.width = 9; b.height = 2; b.pixels.assign(2, 0); return b.Build(); },
       HeaderVerdict::kBadSize},
      {"pixel data beyond the end of the file",
       [] { BmpBuilder b = Sound8Bit(); b.fileSizeField = 14 + 40 + 1024 + 8 + 4; return b.Build(); },
       HeaderVerdict::kBadSize},
      {"a 2 GB picture claimed by a small file",
       [] { BmpBuilder b = Sound8Bit(); b.width = 46341; b.height = 46341;
            b.fileSizeField = 0x7FFFFFF0u; return b.Build(); },
       HeaderVerdict::kBadSize},
      {"negative data offset",
       [] { BmpBuilder b = Sound8Bit(); b.dataOffsetField = 0xFFFFFFF8u;
            b.fileSizeField = 0; return b.Build(); },
       HeaderVerdict::kBadSize},
      {"width 0 needs no pixel bytes",
       [] { BmpBuilder b = Sound8Bit(); b.width = 0; b.pixels.assign(4, 0); b.height = 1;
            return b.Build(); },
       HeaderVerdict::kAccepted},
  };
  for (const HeaderCase& c : cases) {
    std::string file = c.file();
    ImageEntry entry;
    EXPECT_EQ(ParseBitmapHeader(Bytes(file), static_cast<int64_t>(file.size()), entry), c.verdict)
        << c.why;
  }
}

TEST(BitmapHeaderTest, RecordsWhatTheConversionNeeds) {
  BmpBuilder b = Sound8Bit();
  b.height = -2;  // stored top row first
  b.colors[7] = {1, 2, 3, 4};
  std::string file = b.Build();
  ImageEntry entry;
  entry.path = "kept.bmp";
  entry.lod2 = 1;
  ASSERT_EQ(ParseBitmapHeader(Bytes(file), static_cast<int64_t>(file.size()), entry),
            HeaderVerdict::kAccepted);
  EXPECT_EQ(entry.dataSize, 8);
  EXPECT_EQ(entry.dataOffset, 14 + 40 + 1024);
  EXPECT_EQ(entry.width, 4);
  EXPECT_EQ(entry.height, 2);
  EXPECT_TRUE(entry.topDown);
  EXPECT_EQ(entry.bitCount, 8);
  EXPECT_EQ(entry.colorTable[0], kWhite);
  EXPECT_EQ(entry.colorTable[7], (Color{1, 2, 3, 4}));
  EXPECT_EQ(entry.path, "kept.bmp");
  EXPECT_EQ(entry.lod2, 1);
}

TEST(BitmapHeaderTest, SizesKeepTheirLow16Bits) {
  BmpBuilder b;
  b.width = 65536 + 8;
  b.height = 65536 + 3;
  b.pixels.assign(3 * 4, 0);
  std::string file = b.Build();
  ImageEntry entry;
  ASSERT_EQ(ParseBitmapHeader(Bytes(file), static_cast<int64_t>(file.size()), entry),
            HeaderVerdict::kAccepted);
  EXPECT_EQ(entry.width, 8);
  EXPECT_EQ(entry.height, 3);
}

TEST(BitmapHeaderTest, ColourTableFollowsTheInfoHeaderWhateverItsSize) {
  for (uint32_t infoSize : {40u, 64u, 108u, 124u}) {
    BmpBuilder b;
    b.infoSize = infoSize;
    b.colors = {kBlack, kWhite};
    b.pixels.assign(4, 0);
    std::string file = b.Build();
    ImageEntry entry;
    ASSERT_EQ(ParseBitmapHeader(Bytes(file), static_cast<int64_t>(file.size()), entry),
              HeaderVerdict::kAccepted) << infoSize;
    EXPECT_EQ(entry.color0Blue, 0) << infoSize;
    EXPECT_EQ(entry.colorTable[1], kWhite) << infoSize;
  }
}

TEST(BitmapHeaderTest, ColourTableCutShortByTheFileEndsInBlack) {
  // Two colours in the file where 16 would be: the rest read as (0, 0, 0, 0).
  BmpBuilder b;
  b.bitCount = 4;
  b.width = 1;
  b.height = 1;
  b.colors = {kWhite, kWhite};
  b.dataOffsetField = 14 + 40;  // pixels overlap the table; the file ends soon after
  std::string file = b.Build();
  PutLe32(file, 2, static_cast<uint32_t>(file.size()));
  ImageEntry entry;
  ASSERT_EQ(ParseBitmapHeader(Bytes(file), static_cast<int64_t>(file.size()), entry),
            HeaderVerdict::kAccepted);
  EXPECT_EQ(entry.colorTable[1], kWhite);
  EXPECT_EQ(entry.colorTable[2], kBlack);
  EXPECT_EQ(entry.colorTable[15], kBlack);
}

struct ReadCase {
  const char* why;
  const char* name;
  std::string_view message;
};

TEST(BitmapHeaderTest, ReadingShowsWhyABitmapIsLeftOut) {
  FakePlatform platform;
  platform.AddFile("good.bmp", Sound8Bit().Build());
  platform.AddFile("text.bmp", "hello, world");
  platform.AddFile("busy.bmp", Sound8Bit().Build());
  platform.unreadable.insert("/job/busy.bmp");
  platform.AddDirectory("folder.bmp");
  BmpBuilder deep = Sound8Bit();
  deep.bitCount = 24;
  platform.AddFile("deep.bmp", deep.Build());
  BmpBuilder odd = Sound8Bit();
  odd.pixels.resize(10);
  platform.AddFile("odd.bmp", odd.Build());
  const std::string longName(150, 'n');
  platform.AddFile(longName, Sound8Bit().Build());

  const ReadCase cases[] = {
      {"missing", "none.bmp", kBitmapOpen},
      {"empty name", "", kBitmapOpen},
      {"a directory", "folder.bmp", kBitmapOpen},
      {"in use", "busy.bmp", kBitmapOpen},
      {"not a bitmap", "text.bmp", kNotABitmap},
      {"24 bits", "deep.bmp", kBadColorDepth},
      {"odd size", "odd.bmp", kBadSize},
      {"a name over 149 bytes", longName.c_str(), kBitmapOpen},
  };
  for (const ReadCase& c : cases) {
    platform.messages.clear();
    ImageEntry entry;
    entry.dataSize = 123;  // left from an earlier attempt: must not survive
    EXPECT_EQ(ReadBitmapHeader(platform, c.name, entry), 0) << c.why;
    EXPECT_EQ(entry.dataSize, 0) << c.why;
    ASSERT_EQ(platform.messages.size(), 1u) << c.why;
    EXPECT_EQ(platform.messages[0],
              (RecordedMessage{MessageIcon::kQuestion, std::string(c.message), c.name}))
        << c.why;
  }
  const std::string longestName(149, 'n');
  platform.AddFile(longestName, Sound8Bit().Build());
  ImageEntry entry;
  EXPECT_EQ(ReadBitmapHeader(platform, longestName, entry), 1);
  EXPECT_EQ(entry.path, longestName);
}

}  // namespace
}  // namespace quendrix
