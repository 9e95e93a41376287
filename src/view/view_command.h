#pragma once

// quendrix-view: prints a table of the pictures of an Image.img, says where
// the file stops parsing, and draws a PNG contact sheet of the pictures.
//
// Exit status: 0 when the file parses and every output was written, 1 when
// it does not parse or a file cannot be read or written, 2 for a command line
// that cannot be followed.

#include <cstdint>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "view/contact_sheet.h"
#include "view/image_file_reader.h"

namespace quendrix::view {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// The largest width or height the converter writes.
inline constexpr uint32_t kMaxPictureSide = 65535;

struct ViewOptions {
  bool help = false;
  std::string imagePath;
  std::string sheetPath;           // empty: no contact sheet
  uint32_t scale = kEachPictureScale;
  std::vector<PictureSize> sizes;  // given: the file has no headers
};

// Reads the arguments that follow the program name. Returns an empty string,
// or what is wrong with them.
std::string ParseViewArguments(std::span<const std::string> args,
                               ViewOptions& options);

// A size written as WxH, e.g. 48x32; each side 0 to kMaxPictureSide.
bool ParsePictureSize(const std::string& text, PictureSize& size);

// The table of pictures and the fill, one line a picture.
std::string FormatTable(const std::string& name, const ImageFileLayout& layout);

std::string UsageText();

// Runs the whole tool on the arguments that follow the program name; returns
// the exit status.
int RunViewer(std::span<const std::string> args, std::ostream& out,
              std::ostream& err);

}  // namespace quendrix::view
