#include "app/link_definition.h"

#include <gtest/gtest.h>

#include <vector>

#include "model/messages.h"
#include "testing/bmp_builder.h"
#include "testing/fake_platform.h"

namespace quendrix {
namespace {

TEST(LinkDefinitionTest, LinesToNames) {
  const struct {
    const char* why;
    std::string line;
    bool comment;
    bool keyword;
    uint8_t lod2;
    std::string name;
  } cases[] = {
      {"load line", "load logo.bmp\n", false, true, 0, "logo.bmp"},
      {"LOAD line", "LOAD logo.bmp\n", false, true, 0, "logo.bmp"},
      {"LOD2 line", "LOD2 C:\\art\\a.bmp\n", false, true, 1, "C:\\art\\a.bmp"},
      {"lod2 line", "lod2 a.bmp\n", false, true, 1, "a.bmp"},
      {"any separator", "load\ta.bmp\n", false, true, 0, "a.bmp"},
      {"comment", "# load a.bmp\n", true, false, 0, ""},
      {"comment needs # first", " # load a.bmp\n", false, true, 0, "a.bmp\n"},
      {"mixed case is no keyword", "Load a.bmp\n", false, false, 0, ""},
      {"blank line", "\n", false, false, 0, ""},
      {"keyword later keeps the line feed", "  load a.bmp\n", false, true, 0, "a.bmp\n"},
      {"last line without a line feed loses a character", "load logo.bmp", false, true, 0,
       "logo.bm"},
      {"lod2 inside a LOAD line decides", "load lod2.bmp\n", false, true, 1, "bmp\n"},
      {"LOD2 is searched before lod2", "lod2 LOD2.bmp\n", false, true, 1, "bmp\n"},
      {"LOAD is searched before load", "load LOAD.bmp\n", false, true, 0, "bmp\n"},
      {"too short for a name", "load\n", false, true, 0, ""},
      {"exactly six characters", "load x\n", false, true, 0, "x"},
      {"name starts at the line's end", "xload\n", false, true, 0, ""},
      {"a zero byte ends the line", std::string("load a.bmp\0zz\n", 14), false, true, 0, "a.bm"},
  };
  for (const auto& c : cases) {
    DefinitionLine parsed = ParseDefinitionLine(c.line);
    EXPECT_EQ(parsed.comment, c.comment) << c.why;
    EXPECT_EQ(parsed.keyword, c.keyword) << c.why;
    EXPECT_EQ(parsed.lod2, c.lod2) << c.why;
    EXPECT_EQ(parsed.name, c.name) << c.why;
  }
}

std::vector<std::string> Lines(const std::string& bytes, size_t limit = kMaxLinePiece) {
  FakePlatform platform;
  platform.AddFile("f", bytes);
  std::unique_ptr<InputFile> file = platform.OpenForReading("f");
  TextModeReader reader(*file);
  std::vector<std::string> lines;
  while (std::optional<std::string> line = reader.ReadLine(limit)) lines.push_back(*line);
  return lines;
}

TEST(LinkDefinitionTest, TextModeReading) {
  using V = std::vector<std::string>;
  EXPECT_EQ(Lines("a\r\nb\r\n"), (V{"a\n", "b\n"})) << "CR LF becomes LF";
  EXPECT_EQ(Lines("a\rb\r\r\n"), (V{"a\rb\r\n"})) << "a lone CR stays";
  EXPECT_EQ(Lines("a\r"), (V{"a\r"}));
  EXPECT_EQ(Lines("a\nb\x1A" "c\nd\n"), (V{"a\n", "b"})) << "Ctrl-Z ends the file";
  EXPECT_EQ(Lines(""), V{});
  EXPECT_EQ(Lines("\n\n"), (V{"\n", "\n"}));
  EXPECT_EQ(Lines(std::string(250, 'x') + "\n"),
            (V{std::string(249, 'x'), "x\n"})) << "pieces of at most 249 characters";
  EXPECT_EQ(Lines(std::string(248, 'x') + "\r\n"), (V{std::string(248, 'x') + "\n"}));
  // A CR LF pair split across the reader's 4096-byte buffer.
  std::string longFile(4095, '#');
  longFile += "\r\nload a\r\n";
  V lines = Lines(longFile, 10000);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "load a\n");
}

class ReadLinkDefinitionTest : public ::testing::Test {
 protected:
  static std::string Bitmap() {
    BmpBuilder b;
    b.Paint([](int, int) { return 0u; });
    return b.Build();
  }
  FakePlatform platform_;
  ImageTable table_;
};

TEST_F(ReadLinkDefinitionTest, FillsSlotsOnlyWithAcceptedBitmaps) {
  platform_.AddFile("a.bmp", Bitmap());
  platform_.AddFile("c.bmp", Bitmap());
  platform_.AddFile("lod2.bmp", Bitmap());
  platform_.AddFile("bad.bmp", "not a bitmap");
  platform_.AddFile("link.txt",
                    "# the pictures\r\n"
                    "load a.bmp\r\n"
                    "\r\n"
                    "load bad.bmp\r\n"
                    "Load c.bmp\r\n"
                    "LOD2 c.bmp\r\n"
                    "load lod2.bmp\r\n"
                    "load missing.bmp\r\n"
                    "load a.bmp");  // no line feed: names a.bm
  ASSERT_EQ(ReadLinkDefinition(platform_, "link.txt", table_), 0);

  EXPECT_EQ(table_.slots[0].path, "a.bmp");
  EXPECT_EQ(table_.slots[0].lod2, 0);
  EXPECT_EQ(table_.slots[1].path, "c.bmp");
  EXPECT_EQ(table_.slots[1].lod2, 1);
  EXPECT_EQ(table_.slots[2].dataSize, 0);

  const std::vector<RecordedMessage> expected = {
      {MessageIcon::kQuestion, std::string(kBitmapOpen), ""},
      {MessageIcon::kQuestion, std::string(kNotABitmap), "bad.bmp"},
      {MessageIcon::kQuestion, std::string(kBitmapOpen), ""},
      {MessageIcon::kQuestion, std::string(kBitmapOpen), "bmp\n"},
      {MessageIcon::kQuestion, std::string(kBitmapOpen), "missing.bmp"},
      {MessageIcon::kQuestion, std::string(kBitmapOpen), "a.bm"},
  };
  EXPECT_EQ(platform_.messages, expected);
}

TEST_F(ReadLinkDefinitionTest, StopsAfter99AcceptedBitmaps) {
  platform_.AddFile("a.bmp", Bitmap());
  std::string lines;
  for (int i = 0; i < 120; ++i) lines += "load a.bmp\n";
  lines += "load missing.bmp\n";
  platform_.AddFile("link.txt", lines);
  ASSERT_EQ(ReadLinkDefinition(platform_, "link.txt", table_), 0);
  EXPECT_EQ(table_.slots[98].path, "a.bmp");
  EXPECT_EQ(table_.slots[99].dataSize, 0);
  EXPECT_TRUE(platform_.messages.empty()) << "the rest of the file is not read";
  EXPECT_EQ(platform_.opensForReading["/job/a.bmp"], 99);
}

TEST_F(ReadLinkDefinitionTest, EmptyAndCommentOnlyFilesLeaveTheTableEmpty) {
  for (const char* text : {"", "# one\n#two\n"}) {
    platform_.AddFile("link.txt", text);
    ASSERT_EQ(ReadLinkDefinition(platform_, "link.txt", table_), 0);
    EXPECT_EQ(table_.slots[0].dataSize, 0);
    EXPECT_TRUE(platform_.messages.empty());
  }
}

TEST_F(ReadLinkDefinitionTest, AFileThatCannotBeOpenedEndsTheJob) {
  platform_.AddDirectory("folder");
  platform_.AddFile("locked.txt", "load a.bmp\n");
  platform_.unreadable.insert("/job/locked.txt");
  for (const char* name : {"folder", "locked.txt", "none.txt"}) {
    platform_.messages.clear();
    EXPECT_EQ(ReadLinkDefinition(platform_, name, table_), -1) << name;
    ASSERT_EQ(platform_.messages.size(), 1u);
    EXPECT_EQ(platform_.messages[0],
              (RecordedMessage{MessageIcon::kError, std::string(kDefinitionOpen), name}));
  }
}

}  // namespace
}  // namespace quendrix
