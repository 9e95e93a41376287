#pragma once

// Image.img: for each picture in table order an optional 16-byte header and
// the picture's data block (the column raster), then zero bytes up to the next
// multiple of 256 (1 to 256 of them: never none).
//
// The header:
//   bytes 0-1   height, four-digit packed BCD (48 gives 00 48)
//   bytes 2-3   width, four-digit packed BCD
//   bytes 4-5   00 01
//   byte  6     0
//   byte  7     1 for a picture from a LOD2 line, 0 for a LOAD line
//   bytes 8-15  0

#include <array>
#include <cstdint>
#include <string>

#include "model/image_table.h"
#include "platform/platform.h"

namespace quendrix {

inline constexpr size_t kEntryHeaderSize = 16;
inline constexpr size_t kFillUnit = 256;

std::array<uint8_t, kEntryHeaderSize> EntryHeader(const ImageEntry& entry);

// Appends an entry's header to `file`; false when the write failed.
bool WriteEntryHeader(OutputFile& file, const ImageEntry& entry);

// Headers are written when the low 16 bits of `noHeader` are all zero.
bool HeadersWanted(int32_t noHeader);

// Writes Image.img at `outputPath` from the filled slots of `table`. The file
// is written under a temporary name beside it and renamed when complete, so a
// failed run leaves no partial Image.img. A picture that cannot be converted
// is reported and left out whole. Returns false when the job had to end
// (the output could not be created or written), after saying so.
bool WriteImageFile(Platform& platform, const ImageTable& table,
                    const std::string& outputPath, int32_t noHeader);

// The temporary name the output is written under.
std::string TemporaryOutputPath(const std::string& outputPath);

}  // namespace quendrix
