#include "app/link_definition.h"

#include "bitmap/bitmap_header.h"
#include "model/messages.h"

namespace quendrix {
namespace {

constexpr int kEnd = -1;
constexpr int kCtrlZ = 0x1A;

}  // namespace

int TextModeReader::NextRaw() {
  if (pending_ >= 0) {
    int byte = pending_;
    pending_ = -1;
    return byte;
  }
  if (position_ == filled_) {
    int64_t got = file_.Read(buffer_, sizeof buffer_);
    if (got <= 0) return kEnd;
    position_ = 0;
    filled_ = static_cast<size_t>(got);
  }
  return buffer_[position_++];
}

int TextModeReader::Next() {
  if (ended_) return kEnd;
  int byte = NextRaw();
  if (byte == '\r') {
    int after = NextRaw();
    if (after == '\n') return '\n';
    pending_ = after;  // a lone carriage return stays
  }
  if (byte == kCtrlZ || byte == kEnd) {
    ended_ = true;
    return kEnd;
  }
  return byte;
}

std::optional<std::string> TextModeReader::ReadLine(size_t limit) {
  std::string line;
  while (line.size() < limit) {
    int byte = Next();
    if (byte == kEnd) break;
    line.push_back(static_cast<char>(byte));
    if (byte == '\n') break;
  }
  if (line.empty()) return std::nullopt;
  return line;
}

DefinitionLine ParseDefinitionLine(std::string_view line) {
  // The line is a C string: a zero byte ends it.
  line = line.substr(0, line.find('\0'));
  DefinitionLine result;
  if (!line.empty() && line.front() == '#') {
    result.comment = true;
    return result;
  }
  size_t k = std::string_view::npos;
  for (std::string_view keyword : {"LOD2", "lod2", "LOAD", "load"}) {
    k = line.find(keyword);
    if (k != std::string_view::npos) {
      result.keyword = true;
      result.lod2 = keyword == "LOD2" || keyword == "lod2";
      break;
    }
  }
  const size_t len = line.size();
  if (result.keyword && len >= 6 && k + 5 < len) {
    // len - 6 characters from k + 5: the keyword and one separator skipped,
    // the line's last character (its line feed) left off when the keyword
    // starts the line.
    result.name = std::string(line.substr(k + 5, len - 6));
  }
  return result;
}

int ReadLinkDefinition(Platform& platform, const std::string& name,
                       ImageTable& table) {
  std::unique_ptr<InputFile> file = platform.OpenForReading(name);
  if (!file) {
    platform.ShowMessage(MessageIcon::kError, kDefinitionOpen, name);
    return -1;
  }
  TextModeReader reader(*file);
  int slot = 0;
  while (std::optional<std::string> line = reader.ReadLine(kMaxLinePiece)) {
    DefinitionLine parsed = ParseDefinitionLine(*line);
    if (parsed.comment) continue;
    ImageEntry& entry = table.slots[slot];
    if (parsed.keyword) entry.lod2 = parsed.lod2;
    if (ReadBitmapHeader(platform, parsed.name, entry) == 1 &&
        ++slot == kMaxImages) {
      break;
    }
  }
  return 0;
}

}  // namespace quendrix
