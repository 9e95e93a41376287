#include "view/contact_sheet.h"

#include <png.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace quendrix::view {
namespace {

constexpr uint32_t kLargestDefaultScale = 8;
constexpr uint64_t kSmallPicture = 256;

// A framed picture's width or height on the sheet.
uint64_t Framed(uint32_t pixels, uint32_t scale) {
  return uint64_t{pixels} * scale + 2;
}

void FillRect(Sheet& sheet, uint64_t x, uint64_t y, uint64_t width,
              uint64_t height, uint8_t color) {
  for (uint64_t row = y; row < y + height; ++row) {
    std::memset(&sheet.pixels[row * sheet.width + x], color, width);
  }
}

void DrawPicture(std::span<const uint8_t> file, const PictureRecord& picture,
                 SheetPlacement at, Sheet& sheet) {
  const uint32_t scale = at.scale;
  FillRect(sheet, at.x - 1, at.y - 1, Framed(picture.width, scale),
           Framed(picture.height, scale), kSheetFrame);
  std::span<const uint8_t> block =
      file.subspan(picture.blockOffset, picture.blockLength);
  const uint64_t drawnWidth = uint64_t{picture.width} * scale;
  for (uint32_t y = 0; y < picture.height; ++y) {
    uint8_t* row = &sheet.pixels[(at.y + uint64_t{y} * scale) * sheet.width + at.x];
    for (uint32_t x = 0; x < picture.width; ++x) {
      const uint8_t color =
          PixelIsBlack(block, picture.height, x, y) ? kSheetBlack : kSheetWhite;
      std::memset(row + uint64_t{x} * scale, color, scale);
    }
    for (uint32_t copy = 1; copy < scale; ++copy) {
      std::memcpy(row + uint64_t{copy} * sheet.width, row, drawnWidth);
    }
  }
}

}  // namespace

uint32_t DefaultScale(const PictureRecord& picture) {
  const uint64_t largest = std::max({uint32_t{1}, picture.width, picture.height});
  return static_cast<uint32_t>(
      std::clamp<uint64_t>(kSmallPicture / largest, 1, kLargestDefaultScale));
}

SheetPlan PlanSheet(std::span<const PictureRecord> pictures, uint32_t scale) {
  auto scaleOf = [scale](const PictureRecord& picture) {
    return scale == kEachPictureScale ? DefaultScale(picture) : scale;
  };
  SheetPlan plan;
  uint64_t rowLimit = kSheetRowWidth;
  for (const PictureRecord& picture : pictures) {
    rowLimit = std::max(rowLimit,
                        Framed(picture.width, scaleOf(picture)) + 2 * kSheetGap);
  }
  uint64_t x = kSheetGap;
  uint64_t y = kSheetGap;
  uint64_t rowHeight = 0;
  plan.width = 2 * kSheetGap;
  for (const PictureRecord& picture : pictures) {
    const uint32_t factor = scaleOf(picture);
    const uint64_t width = Framed(picture.width, factor);
    if (x > kSheetGap && x + width + kSheetGap > rowLimit) {
      y += rowHeight + kSheetGap;
      x = kSheetGap;
      rowHeight = 0;
    }
    plan.placements.push_back({x + 1, y + 1, factor});
    x += width + kSheetGap;
    rowHeight = std::max(rowHeight, Framed(picture.height, factor));
    plan.width = std::max(plan.width, x);
  }
  plan.height = y + rowHeight + kSheetGap;
  return plan;
}

std::string DrawSheet(std::span<const uint8_t> file,
                      std::span<const PictureRecord> pictures,
                      const SheetPlan& plan, Sheet& sheet) {
  if (!plan.Fits()) {
    return "the contact sheet would be " + std::to_string(plan.width) + " x " +
           std::to_string(plan.height) + " pixels, more than " +
           std::to_string(kMaxSheetPixels);
  }
  const uint64_t size = plan.width * plan.height;
  sheet.pixels.reset(new (std::nothrow) uint8_t[size]);
  if (!sheet.pixels) {
    return "not enough memory for a contact sheet of " +
           std::to_string(plan.width) + " x " + std::to_string(plan.height) +
           " pixels";
  }
  sheet.width = static_cast<uint32_t>(plan.width);
  sheet.height = static_cast<uint32_t>(plan.height);
  std::memset(sheet.pixels.get(), kSheetBackground, size);
  for (size_t i = 0; i < pictures.size(); ++i) {
    DrawPicture(file, pictures[i], plan.placements[i], sheet);
  }
  return {};
}

std::string WritePng(const Sheet& sheet, const std::string& path) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  if (!out) return path + ": " + std::strerror(errno);
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = sheet.width;
  image.height = sheet.height;
  image.format = PNG_FORMAT_RGB_COLORMAP;
  image.colormap_entries = kSheetColorCount;
  const int encoded = png_image_write_to_stdio(
      &image, out, 0, sheet.pixels.get(), 0, kSheetPalette);
  std::string error;
  if (!encoded) {
    error = path + ": " +
            (image.message[0] != '\0' ? image.message : "the PNG encoder failed");
  }
  png_image_free(&image);
  const bool flushed = std::fflush(out) == 0 && !std::ferror(out);
  const int writeError = errno;
  const bool closed = std::fclose(out) == 0;
  if (error.empty() && !(flushed && closed)) {
    error = path + ": " + std::strerror(flushed ? errno : writeError);
  }
  if (!error.empty()) std::remove(path.c_str());
  return error;
}

}  // namespace quendrix::view
