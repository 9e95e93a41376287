#pragma once

#include "platform/platform.h"

namespace quendrix {

// The platform on POSIX systems: files through the C library's descriptors,
// profiles through the portable reader, messages as lines on standard error.
class PosixPlatform : public Platform {
 public:
  std::string CurrentDirectory() override;
  char PathSeparator() const override { return '/'; }
  bool PathExists(const std::string& path) override;
  bool RemoveFile(const std::string& path) override;
  bool RenameFile(const std::string& from, const std::string& to) override;
  std::string ReadProfileText(const std::string& path, std::string_view section,
                              std::string_view key,
                              std::string_view defaultValue,
                              size_t bufferSize) override;
  int32_t ReadProfileInt(const std::string& path, std::string_view section,
                         std::string_view key, int32_t defaultValue) override;
  void ShowMessage(MessageIcon icon, std::string_view text,
                   std::string_view name) override;
  std::unique_ptr<InputFile> OpenForReading(const std::string& path) override;
  std::unique_ptr<OutputFile> CreateForWriting(const std::string& path) override;
  // Large blocks are handed over with their pages already in place.
  std::unique_ptr<uint8_t[]> Allocate(size_t size) override;
};

}  // namespace quendrix
