#include "platform/platform.h"

#include <new>

namespace quendrix {

std::unique_ptr<uint8_t[]> Platform::Allocate(size_t size) {
  return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[size]);
}

}  // namespace quendrix
