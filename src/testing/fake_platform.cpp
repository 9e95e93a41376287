#include "testing/fake_platform.h"

#include <algorithm>
#include <cstring>

#include "platform/message_line.h"
#include "platform/profile.h"

namespace quendrix {

std::string RecordedMessage::Filled() const { return FillName(text, name); }

void PrintTo(const RecordedMessage& message, std::ostream* out) {
  *out << MessageLine(message.icon, message.text, message.name);
}

namespace {

class FakeInputFile : public InputFile {
 public:
  FakeInputFile(std::string bytes, std::vector<std::string>& log)
      : bytes_(std::move(bytes)), log_(log) {}

  bool Seek(int64_t offset) override {
    log_.push_back("seek " + std::to_string(offset));
    if (offset < 0) return false;
    position_ = offset;
    return true;
  }

  int64_t Read(void* buffer, size_t size) override {
    log_.push_back("read " + std::to_string(size));
    if (position_ >= static_cast<int64_t>(bytes_.size())) return 0;
    size_t count = std::min(size, bytes_.size() - static_cast<size_t>(position_));
    std::memcpy(buffer, bytes_.data() + position_, count);
    position_ += static_cast<int64_t>(count);
    return static_cast<int64_t>(count);
  }

  int64_t Size() override { return static_cast<int64_t>(bytes_.size()); }

 private:
  std::string bytes_;  // a snapshot: later changes to the file are not seen
  std::vector<std::string>& log_;
  int64_t position_ = 0;
};

}  // namespace

class FakeOutputFile : public OutputFile {
 public:
  FakeOutputFile(FakePlatform& platform, std::string path)
      : platform_(platform), path_(std::move(path)) {}

  bool Write(const void* data, size_t size) override {
    std::string& file = platform_.files_[path_];
    if (platform_.diskSpace) {
      size_t room = std::min(*platform_.diskSpace, size);
      file.append(static_cast<const char*>(data), room);
      *platform_.diskSpace -= room;
      return room == size;
    }
    file.append(static_cast<const char*>(data), size);
    return true;
  }

  bool Close() override { return true; }

 private:
  FakePlatform& platform_;
  std::string path_;
};

FakePlatform::FakePlatform() { directories_.insert("/"); }

std::string FakePlatform::Absolute(const std::string& path) const {
  if (path.empty() || path.front() == '/') return path;
  return currentDirectory + "/" + path;
}

void FakePlatform::AddFile(const std::string& path, std::string bytes) {
  files_[Absolute(path)] = std::move(bytes);
}

void FakePlatform::AddDirectory(const std::string& path) {
  directories_.insert(Absolute(path));
}

bool FakePlatform::HasFile(const std::string& path) const {
  return files_.count(Absolute(path)) != 0;
}

const std::string& FakePlatform::FileBytes(const std::string& path) const {
  return files_.at(Absolute(path));
}

bool FakePlatform::PathExists(const std::string& path) {
  if (path.empty()) return false;
  std::string full = Absolute(path);
  return files_.count(full) != 0 || directories_.count(full) != 0 ||
         full == currentDirectory;
}

bool FakePlatform::RemoveFile(const std::string& path) {
  removed.push_back(path);
  return files_.erase(Absolute(path)) != 0;
}

bool FakePlatform::RenameFile(const std::string& from, const std::string& to) {
  auto found = files_.find(Absolute(from));
  if (found == files_.end()) return false;
  std::string bytes = std::move(found->second);
  files_.erase(found);
  files_[Absolute(to)] = std::move(bytes);
  return true;
}

std::string_view FakePlatform::TextOf(const std::string& path) const {
  auto found = files_.find(Absolute(path));
  return found == files_.end() ? std::string_view() : std::string_view(found->second);
}

std::string FakePlatform::ReadProfileText(const std::string& path,
                                          std::string_view section,
                                          std::string_view key,
                                          std::string_view defaultValue,
                                          size_t bufferSize) {
  return ProfileText(TextOf(path), section, key, defaultValue, bufferSize);
}

int32_t FakePlatform::ReadProfileInt(const std::string& path,
                                     std::string_view section,
                                     std::string_view key,
                                     int32_t defaultValue) {
  return ProfileInt(TextOf(path), section, key, defaultValue);
}

void FakePlatform::ShowMessage(MessageIcon icon, std::string_view text,
                               std::string_view name) {
  messages.push_back({icon, std::string(text), std::string(name)});
}

std::unique_ptr<InputFile> FakePlatform::OpenForReading(const std::string& path) {
  std::string full = Absolute(path);
  auto found = files_.find(full);
  if (path.empty() || found == files_.end() || unreadable.count(full) != 0) {
    return nullptr;
  }
  auto allowed = opensAllowed.find(full);
  if (allowed != opensAllowed.end()) {
    if (allowed->second <= 0) return nullptr;
    --allowed->second;
  }
  ++opensForReading[full];
  return std::make_unique<FakeInputFile>(found->second, readLog);
}

std::unique_ptr<OutputFile> FakePlatform::CreateForWriting(
    const std::string& path) {
  std::string full = Absolute(path);
  if (uncreatable.count(full) != 0 || directories_.count(full) != 0) {
    return nullptr;
  }
  files_[full].clear();
  return std::make_unique<FakeOutputFile>(*this, full);
}

std::unique_ptr<uint8_t[]> FakePlatform::Allocate(size_t size) {
  if (allocationLimit && size > *allocationLimit) return nullptr;
  return Platform::Allocate(size);
}

}  // namespace quendrix
