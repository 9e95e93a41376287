// One bitmap file's bytes through the header reader and, when it accepts
// them, through the conversion, all in memory.
//
// Beyond what the sanitizers catch, a finding is
//   - an accepted bitmap that the conversion cannot read or find memory for
//     (the header reader let through sizes the conversion cannot use), or
//   - an uncompressed bitmap whose data block differs from the one-pixel-at-
//     a-time reference conversion of the same rows.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bitmap/bitmap_header.h"
#include "bitmap/column_raster.h"
#include "bitmap/rle_decoder.h"
#include "testing/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quendrix;
  FakePlatform platform;
  platform.AddFile("in.bmp", std::string(reinterpret_cast<const char*>(data), size));
  ImageEntry entry;
  if (ReadBitmapHeader(platform, "in.bmp", entry) != 1) return 0;

  ConversionBuffers buffers;
  const uint8_t* block = nullptr;
  if (ConvertEntry(platform, entry, buffers, &block) != ConvertResult::kConverted) {
    std::abort();
  }
  const size_t blockSize = BlockSize(entry);
  if (IsRunLengthEncoded(entry)) return 0;

  std::vector<uint8_t> reference(blockSize);
  ConvertPixelsPerBit(entry, data + entry.dataOffset, reference.data());
  if (blockSize > 0 && std::memcmp(block, reference.data(), blockSize) != 0) {
    std::abort();
  }
  return 0;
}
