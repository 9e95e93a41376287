#include "view/view_command.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "testing/program_run.h"
#include "testing/view_test_files.h"
#include "view/contact_sheet.h"

namespace quendrix::view {
namespace {

using quendrix::testing::Bytes;
using quendrix::testing::Rgb;
using quendrix::testing::ScratchDirectory;

struct ViewRun {
  int status;
  std::string out;
  std::string err;
};

ViewRun View(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int status = RunViewer(args, out, err);
  return {status, out.str(), err.str()};
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

constexpr Rgb kWhite = {255, 255, 255};
constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kRed = {255, 0, 0};
constexpr Rgb kNearWhite = {255, 255, 254};

// One bitmap of a job: what the converter reads and what the sheet shows.
struct JobPicture {
  std::string name;
  bool lod2;
  int width;
  int height;
  int bitCount;
  std::vector<Rgb> palette;
  std::function<unsigned(int x, int y)> index;

  bool Black(int x, int y) const { return palette[index(x, y)] != kWhite; }
};

// Pictures of each depth, widths on and off a band's edge, a white rim that
// only the frame can show, a colour one step from white, and a LOD2 entry.
std::vector<JobPicture> KnownPictures() {
  return {
      {"ring.bmp", false, 20, 13, 1, {kWhite, kBlack},
       [](int x, int y) { return x == 1 || x == 18 || y == 1 || y == 11 ? 1u : 0u; }},
      {"inverse.bmp", false, 11, 6, 1, {kBlack, kWhite},
       [](int x, int y) { return (x + 2 * y) % 3 == 0 ? 1u : 0u; }},
      {"diagonal.bmp", true, 33, 17, 4, {kWhite, kBlack, kRed, kNearWhite},
       [](int x, int y) {
         return x == 2 * y ? 2u : (x + y) % 5 == 0 ? 1u : x == 32 ? 3u : 0u;
       }},
      {"check.bmp", false, 16, 16, 8, {kBlack, kWhite, kRed},
       [](int x, int y) { return (x / 4 + y / 4) % 2 == 1 ? 1u : (x == y ? 2u : 0u); }},
      {"dot.bmp", true, 1, 1, 8, {kWhite, kBlack}, [](int, int) { return 1u; }},
  };
}

// Writes the bitmaps, the definition file and Tavik.cmd into `dir` and runs
// the converter there. Returns the path of the Image.img it wrote.
std::string Convert(const ScratchDirectory& dir,
                    const std::vector<JobPicture>& pictures, bool headers) {
  std::string list = "# pictures for the preview tests\n";
  for (const JobPicture& p : pictures) {
    EXPECT_TRUE(quendrix::testing::WriteBytes(
        dir.File(p.name),
        quendrix::testing::MakeBitmap(p.width, p.height, p.bitCount, p.palette,
                                      p.index)));
    list += (p.lod2 ? "LOD2 " : "load ") + p.name + "\n";
  }
  EXPECT_TRUE(quendrix::testing::WriteText(dir.File("job.lst"), list));
  EXPECT_TRUE(quendrix::testing::WriteText(
      dir.File("Tavik.cmd"), std::string("[Convert]\nCtrlFile=job.lst\nNoHeader=") +
                                 (headers ? "0" : "1") + "\n"));
  const ProgramRun run = RunProgramIn(QUENDRIX_BINARY, dir.Path());
  EXPECT_EQ(run.exitCode, 0) << run.stderrText;
  return dir.File("Image.img");
}

uint64_t Block(const JobPicture& p) {
  return uint64_t(p.height) * ((p.width + 7) / 8);
}

// The table's picture lines, each split into its words.
std::vector<std::vector<std::string>> TableRows(const std::string& out) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::vector<std::string> row;
    for (std::string word; words >> word;) row.push_back(word);
    if (!row.empty() && std::isdigit(static_cast<unsigned char>(row[0][0]))) {
      rows.push_back(row);
    }
  }
  return rows;
}

// Decodes the sheet and checks every picture against its bitmap.
void ExpectSheetShowsJob(const std::string& sheetPath,
                         const std::vector<JobPicture>& pictures,
                         const ImageFileLayout& layout) {
  const quendrix::testing::DecodedPng png = quendrix::testing::ReadPng(sheetPath);
  ASSERT_TRUE(png.ok) << png.error;
  ASSERT_EQ(layout.pictures.size(), pictures.size());
  const SheetPlan plan = PlanSheet(layout.pictures, kEachPictureScale);
  const quendrix::testing::SheetColors colors = {
      kWhite, kBlack,
      {kSheetPalette[kSheetFrame][0], kSheetPalette[kSheetFrame][1],
       kSheetPalette[kSheetFrame][2]}};
  uint64_t blackPixels = 0;
  for (size_t i = 0; i < pictures.size(); ++i) {
    const JobPicture& p = pictures[i];
    const SheetPlacement& at = plan.placements[i];
    EXPECT_EQ(quendrix::testing::CheckDrawnPicture(
                  png, at.x, at.y, at.scale, p.width, p.height,
                  [&](int x, int y) { return p.Black(x, y); }, colors),
              "")
        << p.name;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        blackPixels += p.Black(x, y) ? at.scale * at.scale : 0;
      }
    }
  }
  EXPECT_EQ(quendrix::testing::CountPixels(png, kBlack), blackPixels);
}

TEST(ViewerOnAConvertedJob, TableAndSheetShowTheBitmaps) {
  ScratchDirectory dir;
  const std::vector<JobPicture> pictures = KnownPictures();
  const std::string image = Convert(dir, pictures, true);
  const std::string sheet = dir.File("sheet.png");

  const ViewRun run = View({image, "-o", sheet});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.err, "");

  // One row per picture: number, offset, width, height, LOD2, block length.
  const auto rows = TableRows(run.out);
  ASSERT_EQ(rows.size(), pictures.size()) << run.out;
  uint64_t offset = 0;
  for (size_t i = 0; i < pictures.size(); ++i) {
    const JobPicture& p = pictures[i];
    const std::vector<std::string> expected = {
        std::to_string(i + 1), std::to_string(offset), std::to_string(p.width),
        std::to_string(p.height), p.lod2 ? "1" : "0", std::to_string(Block(p))};
    EXPECT_EQ(rows[i], expected) << p.name;
    offset += 16 + Block(p);
  }
  const uint64_t length = (offset / 256 + 1) * 256;
  EXPECT_TRUE(Contains(run.out, "Fill: " + std::to_string(length - offset) +
                                    " zero bytes at offset " +
                                    std::to_string(offset)))
      << run.out;
  EXPECT_TRUE(Contains(run.out, "Contact sheet: " + sheet)) << run.out;

  const Bytes bytes = quendrix::testing::ReadBytes(image);
  ExpectSheetShowsJob(sheet, pictures, ReadWithHeaders(bytes));
}

TEST(ViewerOnAConvertedJob, WithoutHeadersNeedsTheSizes) {
  ScratchDirectory dir;
  const std::vector<JobPicture> pictures = KnownPictures();
  const std::string image = Convert(dir, pictures, false);
  const std::string sheet = dir.File("sheet.png");

  const ViewRun bare = View({image});
  EXPECT_EQ(bare.status, kExitFailure);
  EXPECT_TRUE(Contains(bare.err, "--size WxH")) << bare.err;

  std::vector<std::string> args = {image, "--output=" + sheet};
  std::vector<PictureSize> sizes;
  for (const JobPicture& p : pictures) {
    args.push_back("--size");
    args.push_back(std::to_string(p.width) + "x" + std::to_string(p.height));
    sizes.push_back({uint32_t(p.width), uint32_t(p.height)});
  }
  const ViewRun sized = View(args);
  ASSERT_EQ(sized.status, kExitSuccess) << sized.err;
  const auto rows = TableRows(sized.out);
  ASSERT_EQ(rows.size(), pictures.size());
  uint64_t offset = 0;
  for (size_t i = 0; i < pictures.size(); ++i) {
    EXPECT_EQ(rows[i][1], std::to_string(offset));
    EXPECT_EQ(rows[i][4], "-");  // no flag without a header
    offset += Block(pictures[i]);
  }
  const Bytes bytes = quendrix::testing::ReadBytes(image);
  ExpectSheetShowsJob(sheet, pictures, ReadWithoutHeaders(bytes, sizes));

  // A size short: what follows the pictures named is not the fill.
  args.resize(args.size() - 2);
  const ViewRun fewer = View(args);
  EXPECT_EQ(fewer.status, kExitFailure);
  EXPECT_TRUE(Contains(fewer.err, "more pictures than the 4 sizes")) << fewer.err;
}

TEST(Viewer, ReportsWhereTheFileStopsParsing) {
  ScratchDirectory dir;
  const std::string image = Convert(dir, KnownPictures(), true);
  Bytes bytes = quendrix::testing::ReadBytes(image);
  const std::string sheet = dir.File("sheet.png");

  // Cut inside the third picture's data block: the two before it are shown.
  const std::string cut = dir.File("cut.img");
  bytes.resize(100);
  ASSERT_TRUE(quendrix::testing::WriteBytes(cut, bytes));
  const ViewRun run = View({cut, "-o", sheet});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Contains(run.err, cut + ": at offset 99: the file ends inside picture 3"))
      << run.err;
  EXPECT_EQ(TableRows(run.out).size(), 2u) << run.out;
  EXPECT_TRUE(Contains(run.out, "2 pictures)")) << run.out;
  EXPECT_TRUE(quendrix::testing::ReadPng(sheet).ok);

  // Not a picture file at all.
  const std::string text = dir.File("notes.txt");
  ASSERT_TRUE(quendrix::testing::WriteText(text, "load ring.bmp\nload check.bmp\n"));
  const ViewRun other = View({text});
  EXPECT_EQ(other.status, kExitFailure);
  EXPECT_TRUE(Contains(other.err, "at offset 0: neither a picture header")) << other.err;
  EXPECT_TRUE(Contains(other.err, "--size WxH")) << other.err;
}

TEST(Viewer, CommandLineErrors) {
  ScratchDirectory dir;
  const std::string image = dir.File("Image.img");
  ASSERT_TRUE(quendrix::testing::WriteBytes(image, Bytes(256, 0)));
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string words;
  };
  const Case cases[] = {
      {{}, kExitUsage, "no image file given"},
      {{image, image}, kExitUsage, "more than one image file"},
      {{image, "--colour"}, kExitUsage, "unknown option '--colour'"},
      {{image, "-x"}, kExitUsage, "unknown option '-x'"},
      {{image, "-o"}, kExitUsage, "'-o' needs a value"},
      {{image, "--output="}, kExitUsage, "'--output' needs a value"},
      {{image, "--scale", "0"}, kExitUsage, "--scale needs a whole number from 1 to 64, not '0'"},
      {{image, "--scale=65"}, kExitUsage, "not '65'"},
      {{image, "--scale=2x"}, kExitUsage, "not '2x'"},
      {{image, "--scale", "-3"}, kExitUsage, "not '-3'"},
      {{image, "--size", "48"}, kExitUsage, "--size needs WIDTHxHEIGHT"},
      {{image, "--size=48x"}, kExitUsage, "not '48x'"},
      {{image, "--size=x8"}, kExitUsage, "not 'x8'"},
      {{image, "--size=65536x1"}, kExitUsage, "not '65536x1'"},
      {{image, "--size=+4x4"}, kExitUsage, "not '+4x4'"},
      {{image, "--size=4x4x4"}, kExitUsage, "not '4x4x4'"},
      {{dir.File("absent.img")}, kExitFailure, "absent.img: No such file or directory"},
      {{dir.Path()}, kExitFailure, ": Is a directory"},
      {{image, "-o", dir.File("no/sheet.png")}, kExitFailure, "no/sheet.png: No such file"},
  };
  for (const Case& c : cases) {
    std::string joined;
    for (const std::string& a : c.args) joined += " " + a;
    SCOPED_TRACE(joined);
    const ViewRun run = View(c.args);
    EXPECT_EQ(run.status, c.status);
    EXPECT_TRUE(Contains(run.err, "quendrix-view: " ) && Contains(run.err, c.words))
        << run.err;
    if (c.status == kExitUsage) {
      EXPECT_TRUE(Contains(run.err, "--help")) << run.err;
    }
  }
}

TEST(Viewer, AcceptedSpellings) {
  ScratchDirectory dir;
  const std::string image = dir.File("-odd name.img");
  Bytes bytes(2, 0xFF);  // two 8 x 1 pictures, all black
  bytes.resize(256, 0);
  ASSERT_TRUE(quendrix::testing::WriteBytes(image, bytes));
  const std::string sheet = dir.File("s.png");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--size", "8x1", "--size=8X1", "--scale=3",
                                 "-o" + sheet, "--", image},
        std::vector<std::string>{image, "--output", sheet, "--size", "8x1",
                                 "--size", "8x1", "--scale", "3"}}) {
    std::filesystem::remove(sheet);
    const ViewRun run = View(args);
    EXPECT_EQ(run.status, kExitSuccess) << run.err;
    EXPECT_EQ(TableRows(run.out).size(), 2u) << run.out;
    const quendrix::testing::DecodedPng png = quendrix::testing::ReadPng(sheet);
    ASSERT_TRUE(png.ok) << png.error;
    EXPECT_EQ(quendrix::testing::CountPixels(png, kBlack), 2u * 8 * 9);
  }

  const ViewRun help = View({"--help", "--no-such-option"});
  EXPECT_EQ(help.status, kExitSuccess);
  EXPECT_TRUE(Contains(help.out, "Usage: quendrix-view")) << help.out;
  EXPECT_TRUE(Contains(help.out, "--size=WxH"));
}

TEST(Viewer, ProgramExitStatus) {
  ScratchDirectory dir;
  const std::string image = dir.File("Image.img");
  ASSERT_TRUE(quendrix::testing::WriteBytes(image, Bytes(256, 0)));
  const std::string bad = dir.File("bad.img");
  ASSERT_TRUE(quendrix::testing::WriteBytes(bad, Bytes(100, 0)));
  auto status = [](const std::string& args) {
    const std::string command = "'" QUENDRIX_VIEW_BINARY "' " + args + " >/dev/null 2>&1";
    const int raw = std::system(command.c_str());
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  };
  EXPECT_EQ(status("--help"), 0);
  EXPECT_EQ(status("'" + image + "' -o '" + dir.File("s.png") + "'"), 0);
  EXPECT_TRUE(std::filesystem::exists(dir.File("s.png")));
  EXPECT_EQ(status("'" + bad + "'"), 1);
  EXPECT_EQ(status("--scale=0 '" + image + "'"), 2);
}

}  // namespace
}  // namespace quendrix::view
