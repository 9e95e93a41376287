#include "view/contact_sheet.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/view_test_files.h"

namespace quendrix::view {
namespace {

using quendrix::testing::Bytes;
using quendrix::testing::Rgb;

Rgb Palette(SheetColor color) {
  return {kSheetPalette[color][0], kSheetPalette[color][1],
          kSheetPalette[color][2]};
}

struct Source {
  int width;
  int height;
  std::function<bool(int x, int y)> black;
};

// A file of the pictures without headers, each block where the records say.
struct Drawn {
  Bytes file;
  std::vector<PictureRecord> pictures;
};

Drawn Lay(const std::vector<Source>& sources) {
  Drawn drawn;
  drawn.file.push_back(0xEE);  // the blocks need not start the file
  for (const Source& source : sources) {
    Bytes block = quendrix::testing::ColumnRaster(source.width, source.height,
                                                  source.black);
    PictureRecord record;
    record.number = static_cast<int>(drawn.pictures.size()) + 1;
    record.width = static_cast<uint32_t>(source.width);
    record.height = static_cast<uint32_t>(source.height);
    record.blockOffset = drawn.file.size();
    record.blockLength = block.size();
    drawn.pictures.push_back(record);
    drawn.file.insert(drawn.file.end(), block.begin(), block.end());
  }
  return drawn;
}

const quendrix::testing::SheetColors kColors = {
    Palette(kSheetWhite), Palette(kSheetBlack), Palette(kSheetFrame)};

// Checks the decoded sheet against the sources: each picture where the plan
// puts it, in its frame, and no black anywhere else.
void ExpectSheetShows(const quendrix::testing::DecodedPng& png,
                      const std::vector<Source>& sources, const SheetPlan& plan) {
  ASSERT_TRUE(png.ok) << png.error;
  ASSERT_EQ(png.width, plan.width);
  ASSERT_EQ(png.height, plan.height);
  uint64_t blackPixels = 0;
  for (size_t i = 0; i < sources.size(); ++i) {
    const Source& source = sources[i];
    const SheetPlacement& at = plan.placements[i];
    EXPECT_EQ(quendrix::testing::CheckDrawnPicture(png, at.x, at.y, at.scale,
                                                   source.width, source.height,
                                                   source.black, kColors),
              "")
        << "picture " << i + 1;
    for (int y = 0; y < source.height; ++y) {
      for (int x = 0; x < source.width; ++x) {
        blackPixels += source.black(x, y) ? at.scale * at.scale : 0;
      }
    }
  }
  EXPECT_EQ(quendrix::testing::CountPixels(png, kColors.black), blackPixels);
}

TEST(ContactSheet, DrawsEveryPictureFramedAndScaled) {
  const std::vector<Source> sources = {
      // A white border on black, so the edges must come from the frame.
      {13, 9, [](int x, int y) { return x > 0 && x < 12 && y > 0 && y < 8; }},
      {1, 1, [](int, int) { return true; }},
      {0, 4, [](int, int) { return true; }},  // nothing to draw but the frame
      {17, 3, [](int x, int y) { return (x * 3 + y) % 4 == 0 || x == 16; }},
      {8, 8, [](int, int) { return false; }},
  };
  const Drawn drawn = Lay(sources);
  for (uint32_t scale : {1u, 3u, kEachPictureScale}) {
    SCOPED_TRACE("scale " + std::to_string(scale));
    const SheetPlan plan = PlanSheet(drawn.pictures, scale);
    for (const SheetPlacement& at : plan.placements) {
      EXPECT_EQ(at.scale, scale == kEachPictureScale ? 8u : scale);
    }
    Sheet sheet;
    ASSERT_EQ(DrawSheet(drawn.file, drawn.pictures, plan, sheet), "");
    quendrix::testing::ScratchDirectory dir;
    const std::string path = dir.File("sheet.png");
    ASSERT_EQ(WritePng(sheet, path), "");
    ExpectSheetShows(quendrix::testing::ReadPng(path), sources, plan);
  }
}

TEST(ContactSheet, PlanKeepsFileOrderAndWraps) {
  struct Case {
    const char* name;
    std::vector<std::pair<uint32_t, uint32_t>> sizes;
    uint32_t scale;
    size_t rows;
  };
  const Case cases[] = {
      {"no pictures", {}, 1, 0},
      {"one row", {{10, 10}, {20, 5}, {0, 3}}, 4, 1},
      {"wraps at the row width", std::vector<std::pair<uint32_t, uint32_t>>(30, {100, 20}), 1, 4},
      {"a picture wider than a row", {{5, 5}, {3000, 2}, {5, 5}}, 1, 3},
      {"scaled past the row width", {{200, 10}, {200, 10}}, 4, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<PictureRecord> pictures;
    for (auto [w, h] : c.sizes) pictures.push_back({.width = w, .height = h});
    const SheetPlan plan = PlanSheet(pictures, c.scale);
    ASSERT_EQ(plan.placements.size(), pictures.size());
    EXPECT_GE(plan.width, 2 * kSheetGap);
    EXPECT_GE(plan.height, 2 * kSheetGap);
    size_t rows = 0;
    for (size_t i = 0; i < pictures.size(); ++i) {
      const SheetPlacement& p = plan.placements[i];
      EXPECT_EQ(p.scale, c.scale);
      const uint64_t right = p.x + pictures[i].width * c.scale + 1;
      const uint64_t bottom = p.y + pictures[i].height * c.scale + 1;
      EXPECT_GE(p.x, kSheetGap + 1);
      EXPECT_GE(p.y, kSheetGap + 1);
      EXPECT_LE(right + kSheetGap, plan.width);
      EXPECT_LE(bottom + kSheetGap, plan.height);
      if (i == 0 || p.y != plan.placements[i - 1].y) {
        ++rows;
        if (i > 0) {
          EXPECT_GT(p.y, plan.placements[i - 1].y);
        }
      } else {
        // Right of the one before, frames and a gap apart.
        const uint64_t before = plan.placements[i - 1].x +
                                pictures[i - 1].width * c.scale + 1;
        EXPECT_GE(p.x, before + kSheetGap + 1);
      }
    }
    EXPECT_EQ(rows, c.rows);
  }
}

TEST(ContactSheet, DefaultScaleEnlargesOnlySmallPictures) {
  struct Case {
    uint32_t width, height, scale;
  };
  const Case cases[] = {
      {16, 16, 8}, {0, 0, 8}, {48, 10, 5}, {10, 64, 4}, {255, 1, 1},
      {256, 1, 1}, {640, 480, 1}, {65535, 1, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DefaultScale({.width = c.width, .height = c.height}), c.scale)
        << c.width << " x " << c.height;
  }

  // Each picture by its own size: a large one does not shrink the others.
  const std::vector<PictureRecord> mixed = {{.width = 300, .height = 200},
                                            {.width = 9, .height = 5},
                                            {.width = 100, .height = 20}};
  const SheetPlan plan = PlanSheet(mixed, kEachPictureScale);
  EXPECT_EQ(plan.placements[0].scale, 1u);
  EXPECT_EQ(plan.placements[1].scale, 8u);
  EXPECT_EQ(plan.placements[2].scale, 2u);
}

TEST(ContactSheet, RefusesASheetTooLargeToDraw) {
  std::vector<PictureRecord> pictures = {{.width = 65535, .height = 65535}};
  const SheetPlan plan = PlanSheet(pictures, 1);
  EXPECT_FALSE(plan.Fits());
  Sheet sheet;
  const std::string error = DrawSheet({}, pictures, plan, sheet);
  EXPECT_NE(error.find("65553 x 65553"), std::string::npos) << error;
  EXPECT_FALSE(sheet.pixels);
}

TEST(ContactSheet, WriteFailureNamesTheFileAndLeavesNone) {
  const Drawn drawn = Lay({{8, 8, [](int x, int) { return x % 2 == 0; }}});
  Sheet sheet;
  ASSERT_EQ(DrawSheet(drawn.file, drawn.pictures, PlanSheet(drawn.pictures, 1),
                      sheet), "");
  quendrix::testing::ScratchDirectory dir;
  const std::string path = dir.File("missing/sheet.png");
  const std::string error = WritePng(sheet, path);
  EXPECT_NE(error.find(path), std::string::npos) << error;
  EXPECT_NE(error.find("No such file"), std::string::npos) << error;
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace quendrix::view
