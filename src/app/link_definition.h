#pragma once

// The link definition file: the list of bitmaps that make up one Image.img.
//
//   # a comment (first character '#')
//   load logo.bmp        a picture, flag 0 in its header
//   LOD2 C:\art\big.bmp  a picture, flag 1 in its header
//
// Keywords are the exact byte strings LOD2, lod2, LOAD and load, found
// anywhere in a line; the name is taken by position, from the fifth character
// after the keyword to one character before the line's end (where a line
// feed normally stands). A line without a keyword names no file, and so gives
// the bitmap open message. The file is read as the Windows C run-time reads a
// text file, in lines of at most 249 characters.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/image_table.h"
#include "platform/platform.h"

namespace quendrix {

// Reads a file as the Windows C run-time does in text mode: a carriage return
// directly before a line feed is dropped, and a Ctrl-Z byte ends the file.
// Lines come back as fgets gives them: at most `limit` characters, ending
// after the line feed when one came within the limit.
class TextModeReader {
 public:
  explicit TextModeReader(InputFile& file) : file_(file) {}
  // The next line, or nothing at the end of the file.
  std::optional<std::string> ReadLine(size_t limit);

 private:
  int NextRaw();
  int Next();
  InputFile& file_;
  unsigned char buffer_[4096];
  size_t position_ = 0;
  size_t filled_ = 0;
  int pending_ = -1;  // a raw byte read ahead after a carriage return
  bool ended_ = false;
};

// The longest line piece read at once, line feed included.
inline constexpr size_t kMaxLinePiece = 249;

struct DefinitionLine {
  bool comment = false;
  uint8_t lod2 = 0;
  bool keyword = false;
  std::string name;
};

// What one line piece says. Pure: no I/O.
DefinitionLine ParseDefinitionLine(std::string_view line);

// Reads the definition file `name` and fills `table` through the bitmap
// header reader, one slot per accepted bitmap, at most 99. Returns 0, or -1
// when the file cannot be opened (after showing why).
int ReadLinkDefinition(Platform& platform, const std::string& name,
                       ImageTable& table);

}  // namespace quendrix
