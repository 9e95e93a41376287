#include "output/image_file.h"

#include "bitmap/column_raster.h"
#include "model/messages.h"
#include "output/packed_bcd.h"

namespace quendrix {

std::array<uint8_t, kEntryHeaderSize> EntryHeader(const ImageEntry& entry) {
  std::array<uint8_t, kEntryHeaderSize> header{};
  NumberToPackedBcd(entry.height, &header[0], 4);
  NumberToPackedBcd(entry.width, &header[2], 4);
  NumberToPackedBcd(1, &header[4], 4);
  header[6] = 0;
  header[7] = entry.lod2;
  return header;
}

bool WriteEntryHeader(OutputFile& file, const ImageEntry& entry) {
  std::array<uint8_t, kEntryHeaderSize> header = EntryHeader(entry);
  return file.Write(header.data(), header.size());
}

bool HeadersWanted(int32_t noHeader) {
  return (static_cast<uint32_t>(noHeader) & 0xFFFFu) == 0;
}

std::string TemporaryOutputPath(const std::string& outputPath) {
  return outputPath + ".quendrix-tmp";
}

namespace {

// Converts each filled slot and appends it; false on a failed write.
bool WritePictures(Platform& platform, const ImageTable& table,
                   OutputFile& file, bool headers, uint64_t& length) {
  ConversionBuffers buffers;
  for (int slot = 0; slot < kMaxImages; ++slot) {
    const ImageEntry& entry = table.slots[slot];
    if (entry.dataSize == 0) break;
    // The block is built before the header is written, so that a picture
    // that cannot be converted leaves nothing of itself in the file.
    const uint8_t* block = nullptr;
    switch (ConvertEntry(platform, entry, buffers, &block)) {
      case ConvertResult::kConverted:
        break;
      case ConvertResult::kCannotRead:
        platform.ShowMessage(MessageIcon::kQuestion, kBitmapRead, entry.path);
        continue;
      case ConvertResult::kNoMemory:
        platform.ShowMessage(MessageIcon::kQuestion, kBitmapMemory, entry.path);
        continue;
    }
    if (headers) {
      if (!WriteEntryHeader(file, entry)) return false;
      length += kEntryHeaderSize;
    }
    size_t size = BlockSize(entry);
    if (size > 0 && !file.Write(block, size)) return false;
    length += size;
  }
  static constexpr uint8_t kZeros[kFillUnit] = {};
  return file.Write(kZeros, kFillUnit - length % kFillUnit);
}

}  // namespace

bool WriteImageFile(Platform& platform, const ImageTable& table,
                    const std::string& outputPath, int32_t noHeader) {
  const std::string temporary = TemporaryOutputPath(outputPath);
  std::unique_ptr<OutputFile> file = platform.CreateForWriting(temporary);
  if (!file) {
    platform.ShowMessage(MessageIcon::kError, kOutputCreate, outputPath);
    return false;
  }
  uint64_t length = 0;
  bool written = WritePictures(platform, table, *file, HeadersWanted(noHeader), length);
  written = file->Close() && written;
  file.reset();
  if (!written) {
    platform.RemoveFile(temporary);
    platform.ShowMessage(MessageIcon::kError, kOutputWrite, outputPath);
    return false;
  }
  if (!platform.RenameFile(temporary, outputPath)) {
    platform.RemoveFile(temporary);
    platform.ShowMessage(MessageIcon::kError, kOutputCreate, outputPath);
    return false;
  }
  return true;
}

}  // namespace quendrix
