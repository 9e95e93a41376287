#include "app/quendrix_app.h"

#include <gtest/gtest.h>

#include "model/messages.h"
#include "output/image_file.h"
#include "testing/bmp_builder.h"
#include "testing/fake_platform.h"

namespace quendrix {
namespace {

const RecordedMessage kNoControl = {MessageIcon::kError, std::string(kNoControlFile), ""};
const RecordedMessage kNoLink = {MessageIcon::kError, std::string(kNoLinkDefinition), ""};

class QuendrixAppTest : public ::testing::Test {
 protected:
  void Run() {
    CQuendrixApp app(platform_);
    EXPECT_TRUE(app.RunConversion());
    EXPECT_EQ(app.Run(), 0);
  }
  FakePlatform platform_;
};

TEST_F(QuendrixAppTest, WithoutTavikCmdTheOldOutputIsGoneAndTheJobEnds) {
  platform_.AddFile("Image.img", "old");
  Run();
  EXPECT_FALSE(platform_.HasFile("Image.img"));
  EXPECT_EQ(platform_.messages, std::vector<RecordedMessage>{kNoControl});
}

TEST_F(QuendrixAppTest, ControlFilesThatNameNoDefinitionFile) {
  const char* controls[] = {
      "",                                   // no Convert section
      "[Other]\nCtrlFile=link.txt\n",       // the key elsewhere
      "[Convert]\nNoHeader=1\n",            // no CtrlFile
      "[Convert]\nCtrlFile=\n",             // empty
      "[Convert]\nCtrlFile=missing.txt\n",  // names nothing
  };
  platform_.AddFile("link.txt", "");
  for (const char* control : controls) {
    platform_.messages.clear();
    platform_.AddFile("Tavik.cmd", control);
    platform_.AddFile("Image.img", "old");
    Run();
    EXPECT_EQ(platform_.messages, std::vector<RecordedMessage>{kNoLink}) << control;
    EXPECT_FALSE(platform_.HasFile("Image.img")) << control;
  }
}

TEST_F(QuendrixAppTest, ADefinitionFileThatIsADirectoryEndsTheJob) {
  platform_.AddFile("Tavik.cmd", "[Convert]\nCtrlFile=jobs\n");
  platform_.AddDirectory("jobs");
  Run();
  EXPECT_EQ(platform_.messages,
            (std::vector<RecordedMessage>{{MessageIcon::kError, std::string(kDefinitionOpen), "jobs"}}));
  EXPECT_FALSE(platform_.HasFile("Image.img"));
}

TEST_F(QuendrixAppTest, TheSeparatorIsAppendedEvenAtTheRoot) {
  platform_.currentDirectory = "/";
  Run();
  EXPECT_EQ(platform_.messages, std::vector<RecordedMessage>{kNoControl});
  platform_.AddFile("//Tavik.cmd", "[Convert]\nCtrlFile=/link.txt\n");
  platform_.AddFile("/link.txt", "");
  platform_.messages.clear();
  Run();
  EXPECT_EQ(platform_.messages, std::vector<RecordedMessage>{});
  EXPECT_TRUE(platform_.HasFile("//Image.img"));
}

TEST_F(QuendrixAppTest, AWholeJobGivesTheExactBytes) {
  // A 1-bit picture 9 x 2 (LOD2), then an 8-bit one 3 x 1 on a relative path
  // in a subdirectory; the definition file has a comment and CR LF lines.
  BmpBuilder one;
  one.width = 9;
  one.height = 2;
  one.Paint([](int x, int y) { return (x + y) % 2 == 0 ? 1u : 0u; });  // 1 = black
  BmpBuilder eight;
  eight.width = 3;
  eight.bitCount = 8;
  eight.colors.assign(256, kWhite);
  eight.colors[7] = {255, 255, 254, 0};
  eight.Paint([](int x, int) { return x == 1 ? 7u : 0u; });
  platform_.AddFile("Tavik.cmd", "[Convert]\r\nCtrlFile = \"link.txt\"\r\nNoHeader=0x10000\r\n");
  platform_.AddFile("link.txt", "# demo\r\nLOD2 one.bmp\r\nload pics/eight.bmp\r\n");
  platform_.AddFile("one.bmp", one.Build());
  platform_.AddFile("pics/eight.bmp", eight.Build());
  Run();
  EXPECT_EQ(platform_.messages, std::vector<RecordedMessage>{});
  std::vector<uint8_t> expected = {
      0x00, 0x02, 0x00, 0x09, 0x00, 0x01, 0x00, 0x01, 0, 0, 0, 0, 0, 0, 0, 0,
      0xAA, 0x55, 0x80, 0x00,  // band 0 rows 0-1, band 1 rows 0-1
      0x00, 0x01, 0x00, 0x03, 0x00, 0x01, 0x00, 0x00, 0, 0, 0, 0, 0, 0, 0, 0,
      0x40,
  };
  expected.resize(256, 0);
  const std::string& bytes = platform_.FileBytes("Image.img");
  EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
  EXPECT_FALSE(platform_.HasFile(TemporaryOutputPath("/job/Image.img")));
}

}  // namespace
}  // namespace quendrix
