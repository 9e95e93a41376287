#pragma once

// Everything the converter asks of the operating system goes through the
// small interfaces below, so that the job's logic runs unchanged on Windows,
// on POSIX systems and against the in-memory fake the tests use.
//
// Names avoid those that <windows.h> turns into macros (CreateFile,
// DeleteFile, GetProfileString, MessageBox, ...).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quendrix {

// The two icons of the converter's message box.
enum class MessageIcon {
  kError,     // a problem that ends the job
  kQuestion,  // a bitmap that is left out; the job goes on
};

// A file opened for reading in binary mode, without sharing.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // Moves to an absolute offset from the start of the file.
  virtual bool Seek(int64_t offset) = 0;
  // Reads up to `size` bytes; returns how many arrived (0 at the end of the
  // file), or -1 when the read failed.
  virtual int64_t Read(void* buffer, size_t size) = 0;
  // Reads `size` bytes from `offset` on into `buffer` in pieces of at most
  // `piece` bytes, each after a seek to its own offset, and stops after the
  // first piece that brings fewer bytes than it asked for. Returns how many
  // bytes arrived, or -1 when the first seek or read failed or `piece` is 0.
  // This one seeks and reads piece by piece; a platform whose system takes
  // several positioned reads in one call may hand it consecutive pieces
  // together, as long as the bytes that arrive are the same.
  virtual int64_t ReadPieces(int64_t offset, void* buffer, size_t size, size_t piece);
  // The file's length in bytes, or -1 when it cannot be told.
  virtual int64_t Size() = 0;
};

// A file created (or truncated) for writing in binary mode, without sharing.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Appends `size` bytes; false when not all of them could be written.
  virtual bool Write(const void* data, size_t size) = 0;
  // Flushes and closes; false when that failed. Called at most once.
  virtual bool Close() = 0;
};

class Platform {
 public:
  virtual ~Platform() = default;

  // The current directory, without a trailing separator (unless it is a root).
  virtual std::string CurrentDirectory() = 0;
  // The separator placed between a directory and a file name.
  virtual char PathSeparator() const = 0;
  // True when the path's attributes can be read: a file or a directory.
  virtual bool PathExists(const std::string& path) = 0;
  virtual bool RemoveFile(const std::string& path) = 0;
  // Replaces `to` by `from`.
  virtual bool RenameFile(const std::string& from, const std::string& to) = 0;

  // Profile (INI file) reading. `bufferSize` counts the terminating zero of
  // the Windows call: the value is cut to bufferSize - 1 characters.
  virtual std::string ReadProfileText(const std::string& path,
                                      std::string_view section,
                                      std::string_view key,
                                      std::string_view defaultValue,
                                      size_t bufferSize) = 0;
  virtual int32_t ReadProfileInt(const std::string& path,
                                 std::string_view section, std::string_view key,
                                 int32_t defaultValue) = 0;

  // Shows a message and returns when the user has seen it. `text` is in code
  // page 932 and may hold one "%s", which stands for `name`.
  virtual void ShowMessage(MessageIcon icon, std::string_view text,
                           std::string_view name) = 0;

  // Opens a regular file for reading; null when it cannot be opened (missing,
  // a directory, no access, in use).
  virtual std::unique_ptr<InputFile> OpenForReading(const std::string& path) = 0;
  // Creates a file for writing, replacing one of that name; null on failure.
  virtual std::unique_ptr<OutputFile> CreateForWriting(
      const std::string& path) = 0;

  // Obtains `size` bytes of memory, or null when they cannot be had.
  virtual std::unique_ptr<uint8_t[]> Allocate(size_t size);
};

// The platform the program runs on; defined once for each platform.
Platform& SystemPlatform();

}  // namespace quendrix
