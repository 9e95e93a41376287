#include "view/image_file_reader.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace quendrix::view {
namespace {

std::string Hex(uint8_t byte) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", byte);
  return text;
}

std::string Number(uint64_t value) { return std::to_string(value); }

ParseProblem Problem(uint64_t offset, std::string text) {
  return ParseProblem{offset, std::move(text)};
}

bool AllZero(std::span<const uint8_t> bytes) {
  return std::all_of(bytes.begin(), bytes.end(),
                     [](uint8_t b) { return b == 0; });
}

// Checks the 16 bytes of the header at `offset` and records its picture.
std::optional<ParseProblem> ReadHeader(std::span<const uint8_t> header,
                                       uint64_t offset, PictureRecord& record) {
  const std::string where = "the header at offset " + Number(offset);
  if (header[4] != 0x00 || header[5] != 0x01) {
    return Problem(offset, "neither a picture header nor the zero fill: bytes "
                           "4-5 are " + Hex(header[4]) + " " + Hex(header[5]) +
                           " where a header has 00 01");
  }
  // Height in bytes 0-1, width in bytes 2-3.
  uint16_t values[2] = {};
  const char* names[2] = {"height", "width"};
  for (size_t field = 0; field < 2; ++field) {
    const size_t at = 2 * field;
    std::optional<uint16_t> value = DecodePackedBcd(header[at], header[at + 1]);
    if (!value) {
      const bool firstBad = !DecodePackedBcd(header[at], 0x00);
      return Problem(offset + at + (firstBad ? 0 : 1),
                     std::string("the ") + names[field] + " " +
                         Hex(header[at]) + " " + Hex(header[at + 1]) + " in " +
                         where + " is not packed BCD: a nibble is not a "
                                 "decimal digit");
    }
    values[field] = *value;
  }
  if (header[6] != 0) {
    return Problem(offset + 6, "byte 6 of " + where + " is " + Hex(header[6]) +
                                   " where a header has 00");
  }
  if (header[7] > 1) {
    return Problem(offset + 7, "the LOD2 flag (byte 7) of " + where + " is " +
                                   Hex(header[7]) + ", not 00 or 01");
  }
  for (size_t i = 8; i < kHeaderSize; ++i) {
    if (header[i] != 0) {
      return Problem(offset + i, "byte " + Number(i) + " of " + where + " is " +
                                     Hex(header[i]) + " where a header has 00");
    }
  }
  record.height = values[0];
  record.width = values[1];
  record.lod2 = header[7];
  return std::nullopt;
}

// Records the data block that starts at `offset`, when the file holds it.
std::optional<ParseProblem> TakeBlock(std::span<const uint8_t> bytes,
                                      uint64_t offset, PictureRecord& record) {
  record.blockOffset = offset;
  record.blockLength = BlockLength(record.width, record.height);
  const uint64_t remaining = bytes.size() - offset;
  if (record.blockLength > remaining) {
    return Problem(offset, "the file ends inside picture " +
                               Number(record.number) + " (" +
                               Number(record.width) + " x " +
                               Number(record.height) + "): its data block needs " +
                               Number(record.blockLength) +
                               " bytes, the file holds only " +
                               Number(remaining) + " more");
  }
  return std::nullopt;
}

// Checks that the file ends at `offset` with its fill and records it.
void ReadFill(std::span<const uint8_t> bytes, uint64_t offset,
              const std::string& hint, ImageFileLayout& layout) {
  const uint64_t length = bytes.size() - offset;
  if (length == 0) {
    layout.problem = Problem(offset, bytes.empty()
        ? "the file is empty: even a file without pictures holds 256 zero bytes"
        : "the file ends without its zero fill");
    return;
  }
  std::span<const uint8_t> fill = bytes.subspan(offset);
  auto nonZero = std::find_if(fill.begin(), fill.end(),
                              [](uint8_t b) { return b != 0; });
  if (nonZero != fill.end()) {
    const uint64_t at = offset + static_cast<uint64_t>(nonZero - fill.begin());
    layout.problem = Problem(at, "the zero fill that begins at offset " +
                                     Number(offset) + " holds the byte " +
                                     Hex(*nonZero) + hint);
    return;
  }
  layout.fillOffset = offset;
  layout.fillLength = length;
  if (length > kFillUnit) {
    layout.problem = Problem(offset, "the zero fill is " + Number(length) +
                                         " bytes long; it is never longer "
                                         "than 256" + hint);
  } else if (bytes.size() % kFillUnit != 0) {
    layout.problem = Problem(offset, "the file is " + Number(bytes.size()) +
                                         " bytes long, not a multiple of 256");
  }
}

}  // namespace

uint64_t BlockLength(uint32_t width, uint32_t height) {
  return uint64_t{height} * ((uint64_t{width} + 7) / 8);
}

std::optional<uint16_t> DecodePackedBcd(uint8_t high, uint8_t low) {
  const uint8_t nibbles[4] = {
      static_cast<uint8_t>(high >> 4), static_cast<uint8_t>(high & 0x0F),
      static_cast<uint8_t>(low >> 4), static_cast<uint8_t>(low & 0x0F)};
  uint16_t value = 0;
  for (uint8_t digit : nibbles) {
    if (digit > 9) return std::nullopt;
    value = static_cast<uint16_t>(value * 10 + digit);
  }
  return value;
}

ImageFileLayout ReadWithHeaders(std::span<const uint8_t> bytes) {
  ImageFileLayout layout;
  layout.fileLength = bytes.size();
  layout.headers = true;
  uint64_t offset = 0;
  for (;;) {
    const uint64_t remaining = bytes.size() - offset;
    std::span<const uint8_t> head =
        bytes.subspan(offset, std::min<uint64_t>(remaining, kHeaderSize));
    // Nothing left, or zero bytes where a header would begin: the fill.
    if (AllZero(head)) break;
    if (head.size() < kHeaderSize) {
      layout.problem = Problem(offset, "the file ends inside a header: only " +
                                           Number(head.size()) +
                                           " of its 16 bytes are there");
      return layout;
    }
    PictureRecord record;
    record.number = static_cast<int>(layout.pictures.size()) + 1;
    record.offset = offset;
    record.hasHeader = true;
    std::optional<ParseProblem> problem = ReadHeader(head, offset, record);
    if (!problem) problem = TakeBlock(bytes, offset + kHeaderSize, record);
    if (problem) {
      layout.problem = std::move(problem);
      return layout;
    }
    layout.pictures.push_back(record);
    offset = record.blockOffset + record.blockLength;
  }
  ReadFill(bytes, offset, "", layout);
  return layout;
}

ImageFileLayout ReadWithoutHeaders(std::span<const uint8_t> bytes,
                                   std::span<const PictureSize> sizes) {
  ImageFileLayout layout;
  layout.fileLength = bytes.size();
  layout.headers = false;
  uint64_t offset = 0;
  for (const PictureSize& size : sizes) {
    PictureRecord record;
    record.number = static_cast<int>(layout.pictures.size()) + 1;
    record.offset = offset;
    record.width = size.width;
    record.height = size.height;
    if (std::optional<ParseProblem> problem = TakeBlock(bytes, offset, record)) {
      layout.problem = std::move(problem);
      return layout;
    }
    layout.pictures.push_back(record);
    offset += record.blockLength;
  }
  ReadFill(bytes, offset,
           " (does the file hold more pictures than the " +
               Number(sizes.size()) + " sizes given?)",
           layout);
  return layout;
}

}  // namespace quendrix::view
