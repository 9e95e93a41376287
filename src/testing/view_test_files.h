#pragma once

// Files for the preview tool's tests: scratch directories, Windows bitmaps
// and column rasters drawn from a pixel function, and PNG files decoded
// back to RGB.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace quendrix::testing {

using Bytes = std::vector<uint8_t>;
using Rgb = std::array<uint8_t, 3>;

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

bool WriteBytes(const std::string& path, const Bytes& bytes);
bool WriteText(const std::string& path, const std::string& text);
Bytes ReadBytes(const std::string& path);

// A bottom-up, uncompressed Windows bitmap of 1, 4 or 8 bits per pixel with
// the given palette (red, green, blue) and the palette index of each pixel
// (x, y), y = 0 the top row.
Bytes MakeBitmap(int width, int height, int bitCount,
                 const std::vector<Rgb>& palette,
                 const std::function<unsigned(int x, int y)>& index);

// A data block in the column raster: bands of 8 columns, one byte a band and
// row, bit 7 the band's leftmost pixel, 1 for black.
Bytes ColumnRaster(int width, int height,
                   const std::function<bool(int x, int y)>& black);

struct DecodedPng {
  bool ok = false;
  std::string error;
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgb;  // 3 bytes a pixel, row by row

  Rgb At(uint64_t x, uint64_t y) const {
    const size_t at = (y * width + x) * 3;
    return {rgb[at], rgb[at + 1], rgb[at + 2]};
  }
};

DecodedPng ReadPng(const std::string& path);

// The colours a contact sheet is drawn in.
struct SheetColors {
  Rgb white;
  Rgb black;
  Rgb frame;
};

// Checks that `png` shows a picture of width x height pixels, each a square
// of `scale` pixels, with its top-left pixel at (left, top) and a frame one
// pixel wide around it. Returns an empty string, or where it differs.
std::string CheckDrawnPicture(const DecodedPng& png, uint64_t left,
                              uint64_t top, uint32_t scale, int width,
                              int height,
                              const std::function<bool(int x, int y)>& black,
                              const SheetColors& colors);

// How many pixels of `png` have the colour.
uint64_t CountPixels(const DecodedPng& png, Rgb color);

}  // namespace quendrix::testing
