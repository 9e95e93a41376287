#include "platform/win32/win32_platform.h"

#include <algorithm>
#include <vector>

#include "platform/message_line.h"

namespace quendrix {
namespace {

constexpr UINT kCodePage932 = 932;
constexpr wchar_t kReplacement = 0xFFFD;

// ReadFile and WriteFile move at most a DWORD at once; pieces stay well below.
constexpr size_t kMaxPiece = 1u << 30;

class Win32InputFile : public InputFile {
 public:
  explicit Win32InputFile(HANDLE handle) : handle_(handle) {}
  ~Win32InputFile() override { ::CloseHandle(handle_); }

  bool Seek(int64_t offset) override {
    if (offset < 0) return false;
    LONG high = static_cast<LONG>(offset >> 32);
    ::SetLastError(NO_ERROR);
    DWORD low = ::SetFilePointer(handle_, static_cast<LONG>(offset & 0xFFFFFFFF),
                                 &high, FILE_BEGIN);
    // INVALID_SET_FILE_POINTER is also a valid low half: the error code tells.
    return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
  }

  int64_t Read(void* buffer, size_t size) override {
    auto bytes = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
      DWORD got = 0;
      DWORD want = static_cast<DWORD>(std::min(size - done, kMaxPiece));
      if (!::ReadFile(handle_, bytes + done, want, &got, nullptr)) {
        return done > 0 ? static_cast<int64_t>(done) : -1;
      }
      if (got == 0) break;  // the end of the file
      done += got;
    }
    return static_cast<int64_t>(done);
  }

  int64_t Size() override {
    LARGE_INTEGER size;
    return ::GetFileSizeEx(handle_, &size) ? size.QuadPart : -1;
  }

 private:
  HANDLE handle_;
};

class Win32OutputFile : public OutputFile {
 public:
  explicit Win32OutputFile(HANDLE handle) : handle_(handle) {}
  ~Win32OutputFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }

  bool Write(const void* data, size_t size) override {
    auto bytes = static_cast<const char*>(data);
    while (size > 0) {
      DWORD put = 0;
      DWORD want = static_cast<DWORD>(std::min(size, kMaxPiece));
      if (!::WriteFile(handle_, bytes, want, &put, nullptr) || put == 0) {
        return false;
      }
      bytes += put;
      size -= put;
    }
    return true;
  }

  bool Close() override {
    HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return ::CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

bool IsLeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Decodes the two-byte character at `bytes`; false when it is no valid one.
bool DecodePair(const char* bytes, std::wstring& out) {
  wchar_t decoded[2];
  int count = ::MultiByteToWideChar(kCodePage932, MB_ERR_INVALID_CHARS, bytes,
                                    2, decoded, 2);
  if (count <= 0) return false;
  out.append(decoded, static_cast<size_t>(count));
  return true;
}

// Writes the whole of `text` to standard error, if the process has one.
void WriteToStandardError(const std::string& text) {
  HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  const char* bytes = text.data();
  size_t left = text.size();
  while (left > 0) {
    DWORD put = 0;
    if (!::WriteFile(handle, bytes, static_cast<DWORD>(std::min(left, kMaxPiece)),
                     &put, nullptr) ||
        put == 0) {
      return;
    }
    bytes += put;
    left -= put;
  }
}

std::string Utf16ToUtf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(),
                                     static_cast<int>(text.size()), nullptr, 0,
                                     nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string result(static_cast<size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        result.data(), length, nullptr, nullptr);
  return result;
}

}  // namespace

std::wstring Cp932ToUtf16(std::string_view text) {
  std::wstring result;
  result.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      result.push_back(static_cast<wchar_t>(byte));
      ++i;
    } else if (IsLeadByte(byte) && i + 1 < text.size() &&
               DecodePair(text.data() + i, result)) {
      i += 2;
    } else if (byte >= 0xA1 && byte <= 0xDF) {
      result.push_back(static_cast<wchar_t>(0xFF61 + (byte - 0xA1)));
      ++i;  // half-width katakana, the only single bytes above 0x7F
    } else {
      // No character begins here: 0x80, 0xA0, 0xFD to 0xFF, or a lead byte
      // without a valid trail byte. (Windows itself would pass 0x80 through
      // as the control U+0080; like the POSIX build, it shows U+FFFD.)
      result.push_back(kReplacement);
      ++i;
    }
  }
  return result;
}

std::string Cp932ToUtf8(std::string_view text) {
  return Utf16ToUtf8(Cp932ToUtf16(text));
}

std::wstring MessageBoxText(std::string_view text, std::string_view name) {
  return Cp932ToUtf16(FillName(text, name));
}

UINT MessageBoxFlags(MessageIcon icon) {
  return MB_OK | MB_APPLMODAL |
         (icon == MessageIcon::kError ? MB_ICONERROR : MB_ICONQUESTION);
}

bool HasInteractiveDesktop() {
  HWINSTA station = ::GetProcessWindowStation();
  if (station == nullptr) return false;
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  if (!::GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags,
                                   &needed)) {
    return true;  // cannot tell: let MessageBoxW decide
  }
  return (flags.dwFlags & WSF_VISIBLE) != 0;
}

int WINAPI ShowMessageBoxIfInteractive(HWND owner, LPCWSTR text,
                                       LPCWSTR caption, UINT flags) {
  if (!HasInteractiveDesktop()) return 0;
  return ::MessageBoxW(owner, text, caption, flags);
}

std::string Win32Platform::CurrentDirectory() {
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    DWORD length = ::GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()),
                                          buffer.data());
    if (length == 0) return std::string();
    if (length < buffer.size()) return std::string(buffer.data(), length);
    buffer.resize(length + 1);  // the size it needs, terminating zero included
  }
}

bool Win32Platform::PathExists(const std::string& path) {
  return !path.empty() &&
         ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Win32Platform::RemoveFile(const std::string& path) {
  return ::DeleteFileA(path.c_str()) != 0;
}

bool Win32Platform::RenameFile(const std::string& from, const std::string& to) {
  return ::MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

std::string Win32Platform::ReadProfileText(const std::string& path,
                                           std::string_view section,
                                           std::string_view key,
                                           std::string_view defaultValue,
                                           size_t bufferSize) {
  if (bufferSize == 0) return std::string();
  const DWORD size = static_cast<DWORD>(std::min<size_t>(bufferSize, 0x7FFFFFFF));
  std::vector<char> buffer(size, '\0');
  DWORD length = ::GetPrivateProfileStringA(
      std::string(section).c_str(), std::string(key).c_str(),
      std::string(defaultValue).c_str(), buffer.data(), size, path.c_str());
  return std::string(buffer.data(), std::min<DWORD>(length, size - 1));
}

int32_t Win32Platform::ReadProfileInt(const std::string& path,
                                      std::string_view section,
                                      std::string_view key,
                                      int32_t defaultValue) {
  UINT value = ::GetPrivateProfileIntA(std::string(section).c_str(),
                                       std::string(key).c_str(), defaultValue,
                                       path.c_str());
  return static_cast<int32_t>(value);
}

void Win32Platform::ShowMessage(MessageIcon icon, std::string_view text,
                                std::string_view name) {
  const std::wstring shown = MessageBoxText(text, name);
  if (messageBox_(nullptr, shown.c_str(), L"Quendrix", MessageBoxFlags(icon)) > 0) {
    return;
  }
  // No box could be shown (MessageBoxW answers 0 on Windows, -1 under Wine).
  WriteToStandardError(MessageLine(icon, text, name) + '\n');
}

std::unique_ptr<InputFile> Win32Platform::OpenForReading(const std::string& path) {
  if (path.empty()) return nullptr;
  HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);  // a device (NUL, CON, COM1) or a pipe is no file
    return nullptr;
  }
  return std::make_unique<Win32InputFile>(handle);
}

std::unique_ptr<OutputFile> Win32Platform::CreateForWriting(
    const std::string& path) {
  if (path.empty()) return nullptr;
  HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<Win32OutputFile>(handle);
}

Platform& SystemPlatform() {
  static Win32Platform platform;
  return platform;
}

}  // namespace quendrix
