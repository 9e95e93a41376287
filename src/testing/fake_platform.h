#pragma once

// An in-memory platform for tests: files are byte strings in a map, messages
// are recorded in the order shown, and failures can be arranged (a full disk,
// a file that cannot be opened a second time, memory that cannot be had).

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace quendrix {

struct RecordedMessage {
  MessageIcon icon;
  std::string text;  // code page 932, with "%s" still in it
  std::string name;

  // The text with the name filled in, as the user reads it (in code page 932).
  std::string Filled() const;
  bool operator==(const RecordedMessage&) const = default;
};

// Shows a recorded message in test failures as the user would read it.
void PrintTo(const RecordedMessage& message, std::ostream* out);

class FakePlatform : public Platform {
 public:
  FakePlatform();

  // Files and directories; relative paths are taken against the current
  // directory, "/job" unless changed.
  void AddFile(const std::string& path, std::string bytes);
  void AddDirectory(const std::string& path);
  bool HasFile(const std::string& path) const;
  const std::string& FileBytes(const std::string& path) const;
  std::string Absolute(const std::string& path) const;

  std::string currentDirectory = "/job";
  std::vector<RecordedMessage> messages;
  std::vector<std::string> removed;  // paths passed to RemoveFile, in order
  std::map<std::string, int> opensForReading;
  // Every seek and read on files opened for reading: "seek 54", "read 100".
  std::vector<std::string> readLog;

  // Arranged failures.
  std::set<std::string> unreadable;        // opening for reading fails
  std::map<std::string, int> opensAllowed;  // opens that succeed, then fail
  std::set<std::string> uncreatable;       // creating fails
  std::optional<size_t> diskSpace;         // total bytes all writes may add
  std::optional<size_t> allocationLimit;   // largest block Allocate gives

  // Platform
  std::string CurrentDirectory() override { return currentDirectory; }
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
  std::unique_ptr<uint8_t[]> Allocate(size_t size) override;

 private:
  friend class FakeOutputFile;
  // A file's bytes; empty when there is no such file.
  std::string_view TextOf(const std::string& path) const;
  std::map<std::string, std::string> files_;
  std::set<std::string> directories_;
};

}  // namespace quendrix
