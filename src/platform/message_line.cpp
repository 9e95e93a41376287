#include "platform/message_line.h"

#include <cstdint>

namespace quendrix {

bool IsValidUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    auto byte = static_cast<uint8_t>(text[i]);
    size_t length;
    uint32_t code;
    if (byte < 0x80) {
      ++i;
      continue;
    } else if ((byte & 0xE0) == 0xC0) {
      length = 2;
      code = byte & 0x1Fu;
    } else if ((byte & 0xF0) == 0xE0) {
      length = 3;
      code = byte & 0x0Fu;
    } else if ((byte & 0xF8) == 0xF0) {
      length = 4;
      code = byte & 0x07u;
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (size_t k = 1; k < length; ++k) {
      auto next = static_cast<uint8_t>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3Fu);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF ||
        (code >= 0xD800 && code <= 0xDFFF)) {
      return false;
    }
    i += length;
  }
  return true;
}

std::string FillName(std::string_view text, std::string_view name) {
  size_t at = text.find("%s");
  if (at == std::string_view::npos) return std::string(text);
  std::string result(text.substr(0, at));
  result += name;
  result += text.substr(at + 2);
  return result;
}

std::string MessageLine(MessageIcon icon, std::string_view text,
                        std::string_view name) {
  std::string shownName =
      IsValidUtf8(name) ? std::string(name) : Cp932ToUtf8(name);
  std::string line = icon == MessageIcon::kError ? "Quendrix: error: "
                                                 : "Quendrix: warning: ";
  line += FillName(Cp932ToUtf8(text), shownName);
  return line;
}

}  // namespace quendrix
