// Runs the real program in scratch directories and checks what it leaves.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <vector>

#include "testing/bmp_builder.h"
#include "testing/program_run.h"

namespace quendrix {
namespace {

namespace fs = std::filesystem;

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("quendrix-e2e-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  void Write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }

  std::string Read(const std::string& name) {
    std::ifstream in(dir_ / name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  ProgramRun RunProgram() { return RunProgramIn(QUENDRIX_BINARY, dir_.string()); }

  fs::path dir_;
};

TEST_F(EndToEndTest, WithoutTavikCmdTheOldOutputIsRemoved) {
  Write("Image.img", "old");
  ProgramRun run = RunProgram();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stderrText,
            "Quendrix: error: 制御コマンドファイル(Tavik.cmd)がカレントに存在しません。\n");
  EXPECT_FALSE(fs::exists(dir_ / "Image.img"));
}

TEST_F(EndToEndTest, ControlFilesNamingNoDefinitionFile) {
  for (const char* control : {"", "[Convert]\nNoHeader=1\n", "[Convert]\nCtrlFile=none.txt\n"}) {
    Write("Tavik.cmd", control);
    ProgramRun run = RunProgram();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText,
              "Quendrix: error: 連結定義ファイルが定義されていないか、ディレクトリに存在しません。\n")
        << control;
    EXPECT_FALSE(fs::exists(dir_ / "Image.img"));
  }
}

// A picture described by where it is black, and the data block that follows
// from that description alone.
struct Picture {
  int width;
  int height;
  uint16_t bitCount;
  std::function<bool(int x, int y)> black;

  std::string Bitmap() const {
    BmpBuilder b;
    b.width = width;
    b.height = height;
    b.bitCount = bitCount;
    const unsigned last = (1u << bitCount) - 1;
    // Palette: entry 0 white, the last entry white too, everything else not;
    // the 1-bit table puts black first, so its stored bits are inverted.
    if (bitCount == 1) {
      b.colors = {kBlack, kWhite};
    } else {
      b.colors.assign(size_t{1} << bitCount, Color{255, 254, 255, 0});
      b.colors[0] = kWhite;
      b.colors[last] = {255, 255, 255, 77};
    }
    b.Paint([&](int x, int y) {
      if (bitCount == 1) return black(x, y) ? 0u : 1u;
      return black(x, y) ? 1u + unsigned(x + y) % (last - 1) : ((x + y) % 2 ? last : 0u);
    });
    return b.Build();
  }

  std::string Block() const {
    std::string block;
    for (int band = 0; band < (width + 7) / 8; ++band) {
      for (int y = 0; y < height; ++y) {
        unsigned byte = 0;
        for (int k = 0; k < 8; ++k) {
          int x = band * 8 + k;
          if (x < width && black(x, y)) byte |= 0x80u >> k;
        }
        block.push_back(static_cast<char>(byte));
      }
    }
    return block;
  }
};

std::string Bcd4(int value) {
  std::string s(2, '\0');
  s[0] = static_cast<char>((value / 1000 % 10) << 4 | (value / 100 % 10));
  s[1] = static_cast<char>((value / 10 % 10) << 4 | (value % 10));
  return s;
}

TEST_F(EndToEndTest, AJobOfAllDepthsAndWidthsIsWrittenByteForByte) {
  std::vector<Picture> pictures;
  std::string definition = "# every depth, odd and even widths\r\n";
  int n = 0;
  for (uint16_t depth : {1, 4, 8}) {
    for (int width : {1, 7, 8, 9, 13, 17}) {
      int height = 3 + n % 4;
      pictures.push_back({width, height, depth, [n](int x, int y) {
                            return (x * 3 + y * 5 + n) % 7 < 3;
                          }});
      std::string name = "p" + std::to_string(n) + ".bmp";
      Write(name, pictures.back().Bitmap());
      definition += (n % 3 == 0 ? "LOD2 " : "load ") + name + "\r\n";
      ++n;
    }
  }
  Write("link.txt", definition);

  for (const char* noHeader : {"0", "1", "65536"}) {
    Write("Tavik.cmd", std::string("[Convert]\r\nCtrlFile=link.txt\r\nNoHeader=") + noHeader +
                           "\r\n");
    const bool headers = std::string(noHeader) != "1";
    std::string expected;
    for (size_t i = 0; i < pictures.size(); ++i) {
      const Picture& p = pictures[i];
      if (headers) {
        expected += Bcd4(p.height) + Bcd4(p.width) + std::string("\x00\x01\x00", 3);
        expected.push_back(i % 3 == 0 ? 1 : 0);
        expected += std::string(8, '\0');
      }
      expected += p.Block();
    }
    expected += std::string(256 - expected.size() % 256, '\0');

    ProgramRun run = RunProgram();
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stderrText, "") << noHeader;
    EXPECT_TRUE(Read("Image.img") == expected) << "NoHeader=" << noHeader;
  }
}

TEST_F(EndToEndTest, BadBitmapsAreReportedAndLeftOut) {
  Picture good{5, 2, 4, [](int x, int) { return x == 2; }};
  Write("good.bmp", good.Bitmap());
  Write("text.bmp", "plain text, not a picture");
  Write("Tavik.cmd", "[Convert]\nCtrlFile=link.txt\n");
  Write("link.txt", "load text.bmp\nload missing.bmp\n\nload good.bmp\n");
  ProgramRun run = RunProgram();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stderrText,
            "Quendrix: warning: text.bmp ビットマップファイルではありません。\n"
            "Quendrix: warning: ビットマップファイル　missing.bmp がオープンできません。\n"
            "Quendrix: warning: ビットマップファイル　 がオープンできません。\n");
  std::string expected = Bcd4(2) + Bcd4(5) + std::string("\x00\x01\x00\x00", 4) +
                         std::string(8, '\0') + good.Block();
  expected += std::string(256 - expected.size(), '\0');
  EXPECT_TRUE(Read("Image.img") == expected);
}

TEST_F(EndToEndTest, AnOutputThatCannotBeWrittenLeavesNothingBehind) {
  Picture good{8, 1, 1, [](int, int) { return true; }};
  Write("good.bmp", good.Bitmap());
  Write("Tavik.cmd", "[Convert]\nCtrlFile=link.txt\n");
  Write("link.txt", "load good.bmp\n");
  fs::create_directory(dir_ / "Image.img.quendrix-tmp");  // the temporary name is taken
  ProgramRun run = RunProgram();
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.stderrText, "Quendrix: error: 出力ファイル　" + (dir_ / "Image.img").string() +
                                " が作成できません。\n");
  EXPECT_FALSE(fs::exists(dir_ / "Image.img"));
}

}  // namespace
}  // namespace quendrix
