#pragma once

// The contact sheet: every picture of an Image.img drawn side by side in file
// order, black for a 1 bit and white for a 0 bit, each pixel as a square of
// sheet pixels so that small pictures are enlarged, inside a one-pixel frame
// of its own colour so that white edges show against the grey between the
// pictures. Rows of pictures wrap at a sheet width of about 1024 pixels
// (wider when one picture is).

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "view/image_file_reader.h"

namespace quendrix::view {

// Palette indices of the sheet's pixels.
enum SheetColor : uint8_t {
  kSheetWhite = 0,
  kSheetBlack = 1,
  kSheetFrame = 2,
  kSheetBackground = 3,
};
inline constexpr int kSheetColorCount = 4;
// Red, green, blue of each palette index.
inline constexpr uint8_t kSheetPalette[kSheetColorCount][3] = {
    {255, 255, 255}, {0, 0, 0}, {32, 112, 208}, {208, 208, 208}};

inline constexpr uint32_t kMaxScale = 64;
inline constexpr uint32_t kSheetGap = 8;          // grey around each framed picture
inline constexpr uint64_t kSheetRowWidth = 1024;  // where rows wrap
// The largest sheet drawn, in pixels (one byte each while it is drawn).
inline constexpr uint64_t kMaxSheetPixels = uint64_t{1} << 27;

// PlanSheet's scale for "each picture its own DefaultScale".
inline constexpr uint32_t kEachPictureScale = 0;

// The factor for a small picture: the largest up to 8 that keeps it within
// 256 sheet pixels both ways; 1 for a larger picture.
uint32_t DefaultScale(const PictureRecord& picture);

// The top-left sheet pixel of a picture, inside its frame, and the factor it
// is drawn at.
struct SheetPlacement {
  uint64_t x = 0;
  uint64_t y = 0;
  uint32_t scale = 1;
};

struct SheetPlan {
  uint64_t width = 0;
  uint64_t height = 0;
  std::vector<SheetPlacement> placements;  // one per picture, in file order

  bool Fits() const { return width * height <= kMaxSheetPixels; }
};

// Where each picture goes at `scale` (1 to kMaxScale, or kEachPictureScale),
// and the sheet's size.
SheetPlan PlanSheet(std::span<const PictureRecord> pictures, uint32_t scale);

struct Sheet {
  uint32_t width = 0;
  uint32_t height = 0;
  std::unique_ptr<uint8_t[]> pixels;  // SheetColor values, row by row
};

// Draws the pictures of `file` by `plan`. Returns an empty string, or why
// the sheet could not be drawn (too large, out of memory).
std::string DrawSheet(std::span<const uint8_t> file,
                      std::span<const PictureRecord> pictures,
                      const SheetPlan& plan, Sheet& sheet);

// Writes the sheet as a PNG file with a four-colour palette. Returns an empty
// string, or why the file could not be written.
std::string WritePng(const Sheet& sheet, const std::string& path);

}  // namespace quendrix::view
