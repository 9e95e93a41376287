#include "bitmap/bitmap_header.h"

#include <algorithm>
#include <cstring>

#include "bitmap/column_raster.h"
#include "bitmap/rle_decoder.h"
#include "model/messages.h"

namespace quendrix {
namespace {

uint32_t Le32(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint32_t>(bytes[at]) |
         static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 |
         static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t Le16(std::span<const uint8_t> bytes, size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

// Whether the pixel data lies within the file and can hold the picture the
// header describes, so that the conversion never reads outside it.
bool PixelDataFits(const ImageEntry& entry, int64_t fileSize) {
  return entry.dataOffset >= 0 &&
         static_cast<int64_t>(entry.dataOffset) + entry.dataSize <= fileSize &&
         EntryFitsPixels(entry);
}

}  // namespace

HeaderVerdict ParseBitmapHeader(std::span<const uint8_t> head, int64_t fileSize,
                                ImageEntry& entry) {
  if (head.size() < 2 || head[0] != 'B' || head[1] != 'M') {
    return HeaderVerdict::kNotABitmap;
  }
  if (head.size() < kFileHeaderSize + kMinInfoHeaderSize) {
    return HeaderVerdict::kNotABitmap;
  }
  uint32_t infoSize = Le32(head, 14);
  if (infoSize < kMinInfoHeaderSize || infoSize > kMaxInfoHeaderSize) {
    return HeaderVerdict::kNotABitmap;
  }
  uint16_t bitCount = Le16(head, 28);
  if (bitCount != 1 && bitCount != 4 && bitCount != 8) {
    return HeaderVerdict::kBadColorDepth;
  }
  // Pixel bytes: the file size minus the data offset, wrapping as 32-bit
  // arithmetic does.
  auto dataSize = static_cast<int32_t>(Le32(head, 2) - Le32(head, 10));

  ImageEntry parsed;
  parsed.bitCount = bitCount;
  parsed.compression = Le32(head, 30);
  // Rows of 4 and 8 bits fill whole 4-byte words; encoded data is a stream.
  if (bitCount != 1 && dataSize % 4 != 0 && !IsRunLengthEncoded(parsed)) {
    return HeaderVerdict::kBadSize;
  }
  parsed.dataSize = dataSize;
  parsed.dataOffset = static_cast<int32_t>(Le32(head, 10));
  parsed.width = static_cast<uint16_t>(Le32(head, 18));
  auto heightField = static_cast<int32_t>(Le32(head, 22));
  parsed.topDown = heightField < 0;
  // The magnitude, computed unsigned so that the most negative value is safe.
  uint32_t magnitude = parsed.topDown ? 0u - static_cast<uint32_t>(heightField)
                                      : static_cast<uint32_t>(heightField);
  parsed.height = static_cast<uint16_t>(magnitude);
  if (!PixelDataFits(parsed, fileSize)) return HeaderVerdict::kBadSize;

  // The colour table follows the info header; entries cut off by the end of
  // the file stay (0, 0, 0, 0).
  size_t tableStart = kFileHeaderSize + infoSize;
  size_t entries = size_t{1} << bitCount;
  size_t available = head.size() > tableStart ? head.size() - tableStart : 0;
  size_t tableBytes = std::min(entries * 4, available);
  for (size_t i = 0; i < tableBytes; ++i) {
    parsed.colorTable[i / 4][i % 4] = head[tableStart + i];
  }
  parsed.color0Blue = parsed.colorTable[0][0];

  parsed.path = std::move(entry.path);
  parsed.lod2 = entry.lod2;
  entry = std::move(parsed);
  return HeaderVerdict::kAccepted;
}

std::string_view VerdictMessage(HeaderVerdict verdict) {
  switch (verdict) {
    case HeaderVerdict::kNotABitmap:
      return kNotABitmap;
    case HeaderVerdict::kBadColorDepth:
      return kBadColorDepth;
    case HeaderVerdict::kBadSize:
      return kBadSize;
    case HeaderVerdict::kAccepted:
      break;
  }
  return {};
}

int ReadBitmapHeader(Platform& platform, std::string_view name,
                     ImageEntry& entry) {
  uint8_t lod2 = entry.lod2;
  auto reject = [&](std::string_view message) {
    platform.ShowMessage(MessageIcon::kQuestion, message, name);
    entry = ImageEntry{};
    entry.lod2 = lod2;
    return 0;
  };

  if (name.size() > kMaxPathLength) return reject(kBitmapOpen);
  entry.path.assign(name);
  std::unique_ptr<InputFile> file = platform.OpenForReading(entry.path);
  if (!file) return reject(kBitmapOpen);

  uint8_t head[kMaxHeaderBytes];
  size_t got = 0;
  while (got < sizeof head) {
    int64_t read = file->Read(head + got, sizeof head - got);
    if (read <= 0) break;
    got += static_cast<size_t>(read);
  }
  HeaderVerdict verdict =
      ParseBitmapHeader(std::span<const uint8_t>(head, got), file->Size(), entry);
  if (verdict != HeaderVerdict::kAccepted) return reject(VerdictMessage(verdict));
  return 1;
}

}  // namespace quendrix
