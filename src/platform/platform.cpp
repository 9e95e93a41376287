#include "platform/platform.h"

#include <algorithm>
#include <new>

namespace quendrix {

int64_t InputFile::ReadPieces(int64_t offset, void* buffer, size_t size, size_t piece) {
  if (piece == 0) return -1;
  auto* bytes = static_cast<uint8_t*>(buffer);
  size_t done = 0;
  while (done < size) {
    const size_t ask = std::min(size - done, piece);
    const int64_t got = Seek(offset + static_cast<int64_t>(done)) ? Read(bytes + done, ask) : -1;
    if (got < 0) return done > 0 ? static_cast<int64_t>(done) : -1;
    done += static_cast<size_t>(got);
    if (static_cast<size_t>(got) < ask) break;  // the end of the file
  }
  return static_cast<int64_t>(done);
}

std::unique_ptr<uint8_t[]> Platform::Allocate(size_t size) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]);
}

}  // namespace quendrix
