#pragma once

// The platform on Windows: the ANSI file and profile functions of the Win32
// API, and the message box.
//
// Paths, profile values and messages are byte strings in the ANSI code page,
// as the program's job directories are made on a Japanese Windows. The message
// texts are stored in code page 932 and are shown through MessageBoxW after
// conversion to UTF-16, so that they read correctly on a Windows of any
// language. Where no message box can be shown (no interactive desktop: a
// service, a test run under Wine without a display), the message goes to
// standard error as the one line of platform/message_line.h, so that it is
// never lost.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace quendrix {

// Decodes code page 932 to UTF-16, one character at a time: a byte that does
// not begin a valid character becomes U+FFFD and decoding goes on after it.
std::wstring Cp932ToUtf16(std::string_view text);

// The text a message box shows: `text` with `name` in place of its "%s", both
// taken as code page 932.
std::wstring MessageBoxText(std::string_view text, std::string_view name);

// The MessageBoxW flags for an icon: OK button, error or question icon,
// modal to the application.
UINT MessageBoxFlags(MessageIcon icon);

// True unless the process runs in a window station that no user sees (that of
// a service), where a message box would wait for an OK that nobody can give.
bool HasInteractiveDesktop();

// MessageBoxW where a user can see the box; elsewhere 0, as MessageBoxW
// answers when it cannot show one.
int WINAPI ShowMessageBoxIfInteractive(HWND owner, LPCWSTR text,
                                       LPCWSTR caption, UINT flags);

class Win32Platform : public Platform {
 public:
  // The function that shows a message box; ShowMessageBoxIfInteractive unless
  // a test puts another in its place. A result of 0 or less means nothing was
  // shown.
  using MessageBoxFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);

  Win32Platform() = default;
  explicit Win32Platform(MessageBoxFunction messageBox)
      : messageBox_(messageBox) {}

  std::string CurrentDirectory() override;
  char PathSeparator() const override { return '\\'; }
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

 private:
  MessageBoxFunction messageBox_ = &ShowMessageBoxIfInteractive;
};

}  // namespace quendrix
