#include "testing/view_test_files.h"

#include "testing/bmp_builder.h"

#include <png.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace quendrix::testing {

ScratchDirectory::ScratchDirectory() {
  std::string pattern =
      (std::filesystem::temp_directory_path() / "quendrix-view-test.XXXXXX")
          .string();
  if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

bool WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

bool WriteText(const std::string& path, const std::string& text) {
  return WriteBytes(path, Bytes(text.begin(), text.end()));
}

Bytes ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

Bytes MakeBitmap(int width, int height, int bitCount,
                 const std::vector<Rgb>& palette,
                 const std::function<unsigned(int x, int y)>& index) {
  BmpBuilder builder;
  builder.width = width;
  builder.height = height;
  builder.bitCount = static_cast<uint16_t>(bitCount);
  builder.colors.assign(size_t{1} << bitCount, kBlack);
  for (size_t c = 0; c < palette.size() && c < builder.colors.size(); ++c) {
    builder.colors[c] = {palette[c][2], palette[c][1], palette[c][0], 0};
  }
  builder.Paint(index);
  std::string file = builder.Build();
  return Bytes(file.begin(), file.end());
}

Bytes ColumnRaster(int width, int height,
                   const std::function<bool(int x, int y)>& black) {
  const int bands = (width + 7) / 8;
  Bytes block(static_cast<size_t>(bands) * height, 0);
  for (int x = 0; x < width; ++x) {
    for (int y = 0; y < height; ++y) {
      if (black(x, y)) {
        block[static_cast<size_t>(x / 8) * height + y] |=
            static_cast<uint8_t>(0x80 >> (x % 8));
      }
    }
  }
  return block;
}

DecodedPng ReadPng(const std::string& path) {
  DecodedPng decoded;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_file(&image, path.c_str())) {
    image.format = PNG_FORMAT_RGB;
    decoded.rgb.resize(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, decoded.rgb.data(), 0, nullptr)) {
      decoded.ok = true;
      decoded.width = image.width;
      decoded.height = image.height;
    }
  }
  if (!decoded.ok) decoded.error = image.message;
  png_image_free(&image);
  return decoded;
}

std::string CheckDrawnPicture(const DecodedPng& png, uint64_t left,
                              uint64_t top, uint32_t scale, int width,
                              int height,
                              const std::function<bool(int x, int y)>& black,
                              const SheetColors& colors) {
  const uint64_t w = uint64_t{static_cast<uint32_t>(width)} * scale;
  const uint64_t h = uint64_t{static_cast<uint32_t>(height)} * scale;
  if (left < 1 || top < 1 || left + w + 1 > png.width || top + h + 1 > png.height) {
    return "the framed picture does not lie inside the sheet";
  }
  auto where = [](uint64_t x, uint64_t y) {
    return " at sheet pixel " + std::to_string(x) + "," + std::to_string(y);
  };
  for (uint64_t y = 0; y < h; ++y) {
    for (uint64_t x = 0; x < w; ++x) {
      const int sx = static_cast<int>(x / scale);
      const int sy = static_cast<int>(y / scale);
      const Rgb expected = black(sx, sy) ? colors.black : colors.white;
      if (png.At(left + x, top + y) != expected) {
        return "picture pixel " + std::to_string(sx) + "," +
               std::to_string(sy) + " is not " +
               (black(sx, sy) ? "black" : "white") + where(left + x, top + y);
      }
    }
  }
  for (uint64_t x = left - 1; x <= left + w; ++x) {
    for (uint64_t y : {top - 1, top + h}) {
      if (png.At(x, y) != colors.frame) return "no frame" + where(x, y);
    }
  }
  for (uint64_t y = top - 1; y <= top + h; ++y) {
    for (uint64_t x : {left - 1, left + w}) {
      if (png.At(x, y) != colors.frame) return "no frame" + where(x, y);
    }
  }
  return {};
}

uint64_t CountPixels(const DecodedPng& png, Rgb color) {
  uint64_t count = 0;
  for (uint64_t y = 0; y < png.height; ++y) {
    for (uint64_t x = 0; x < png.width; ++x) count += png.At(x, y) == color;
  }
  return count;
}

}  // namespace quendrix::testing
