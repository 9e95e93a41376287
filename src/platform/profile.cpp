#include "platform/profile.h"

#include <algorithm>

namespace quendrix {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return Lower(x) == Lower(y); });
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = Lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::optional<std::string> FindProfileValue(std::string_view text,
                                            std::string_view section,
                                            std::string_view key) {
  enum class Where { kBefore, kInside, kAfter } where = Where::kBefore;
  while (!text.empty() && where != Where::kAfter) {
    size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == ';') continue;
    if (line.front() == '[') {
      size_t close = line.find(']');
      std::string_view name = line.substr(1, close == std::string_view::npos
                                                 ? std::string_view::npos
                                                 : close - 1);
      if (where == Where::kInside) {
        where = Where::kAfter;  // only the first section of the name counts
      } else if (SameName(name, section)) {
        where = Where::kInside;
      }
      continue;
    }
    if (where != Where::kInside) continue;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    if (!SameName(line.substr(0, equals), key)) continue;
    std::string_view value = Trim(line.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
}

std::string ProfileText(std::string_view text, std::string_view section,
                        std::string_view key, std::string_view defaultValue,
                        size_t bufferSize) {
  std::string value =
      FindProfileValue(text, section, key).value_or(std::string(defaultValue));
  size_t limit = bufferSize == 0 ? 0 : bufferSize - 1;
  if (value.size() > limit) value.resize(limit);
  return value;
}

int32_t ParseProfileInt(std::string_view value) {
  size_t i = 0;
  while (i < value.size() && IsBlank(value[i])) ++i;
  bool negative = false;
  if (i < value.size() && (value[i] == '+' || value[i] == '-')) {
    negative = value[i] == '-';
    ++i;
  }
  uint32_t result = 0;  // unsigned, so that overflow wraps without harm
  if (i + 1 < value.size() && value[i] == '0' && Lower(value[i + 1]) == 'x') {
    for (i += 2; i < value.size() && HexDigit(value[i]) >= 0; ++i) {
      result = result * 16u + static_cast<uint32_t>(HexDigit(value[i]));
    }
  } else {
    for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
      result = result * 10u + static_cast<uint32_t>(value[i] - '0');
    }
  }
  if (negative) result = 0u - result;
  return static_cast<int32_t>(result);
}

int32_t ProfileInt(std::string_view text, std::string_view section,
                   std::string_view key, int32_t defaultValue) {
  std::optional<std::string> value = FindProfileValue(text, section, key);
  return value ? ParseProfileInt(*value) : defaultValue;
}

}  // namespace quendrix
