#include "platform/win32/win32_platform.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "model/messages.h"
#include "platform/message_line.h"
#include "platform/profile.h"

namespace quendrix {
namespace {

namespace fs = std::filesystem;

// A fresh directory under the temporary directory, removed afterwards; the
// tests work in it through ANSI paths.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    char base[MAX_PATH + 1];
    DWORD length = ::GetTempPathA(sizeof base, base);
    EXPECT_GT(length, 0u);
    for (int attempt = 0; attempt < 1000; ++attempt) {
      path_ = std::string(base, length) + "quendrix-test-" +
              std::to_string(::GetCurrentProcessId()) + "-" +
              std::to_string(attempt);
      if (::CreateDirectoryA(path_.c_str(), nullptr)) return;
    }
    ADD_FAILURE() << "no temporary directory could be made";
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string operator/(const std::string& name) const {
    return path_ + "\\" + name;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// --- Code page 932 ---------------------------------------------------------

TEST(Win32Cp932Test, DecodesAsThePosixBuildDoes) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string utf8;
  };
  const std::string kR = "\xEF\xBF\xBD";  // U+FFFD
  const std::vector<Case> cases = {
      {"ASCII", "Tavik.cmd a\\b", "Tavik.cmd a\\b"},
      {"two-byte kanji", "\x89\xE6\x91\x9C.bmp", "画像.bmp"},
      {"ideographic space", "\x81\x40", "\xE3\x80\x80"},
      {"full-width digits and dot", "\x82P\x82U\x90" "F\x81" "E", "１６色・"},
      {"half-width katakana", "\xB1\xDD", "ｱﾝ"},
      {"bytes that begin no character", "\x80\xA0\xFD\xFF", kR + kR + kR + kR},
      {"lead byte at the end", "a\x83", "a" + kR},
      {"lead byte before a control character", "\x83\x0A" "b", kR + "\nb"},
      {"lead byte before a byte that is no trail byte", "\x89\x20x", kR + " x"},
      {"unassigned pair", "\x85\x40", kR + "@"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Cp932ToUtf8(c.bytes), c.utf8) << c.what;
  }
}

TEST(Win32Cp932Test, EveryStoredMessageReadsAsJapanese) {
  EXPECT_EQ(Cp932ToUtf8(kNoControlFile),
            "制御コマンドファイル(Tavik.cmd)がカレントに存在しません。");
  EXPECT_EQ(Cp932ToUtf8(kNoLinkDefinition),
            "連結定義ファイルが定義されていないか、ディレクトリに存在しません。");
  EXPECT_EQ(Cp932ToUtf8(kBadColorDepth),
            "%s ビットマップファイルがモノクロ・１６色・２５６色のどれかの設定になっていません。");
  EXPECT_EQ(Cp932ToUtf8(kBitmapMemory),
            "ビットマップファイル　%s の変換に必要なメモリが確保できません。");
  for (std::string_view text :
       {kNoControlFile, kNoLinkDefinition, kDefinitionOpen, kBitmapOpen,
        kNotABitmap, kBadColorDepth, kBadSize, kOutputCreate, kOutputWrite,
        kBitmapRead, kBitmapMemory}) {
    EXPECT_EQ(Cp932ToUtf16(text).find(L'\xFFFD'), std::wstring::npos)
        << Cp932ToUtf8(text);
  }
}

// --- Message box -----------------------------------------------------------

struct BoxCall {
  HWND owner;
  std::wstring text;
  std::wstring caption;
  UINT flags;
};
std::vector<BoxCall> boxCalls;
int boxAnswer = IDOK;

int WINAPI FakeMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT flags) {
  boxCalls.push_back({owner, text, caption, flags});
  return boxAnswer;
}

// Runs `show` with standard error sent to a file; returns what was written.
template <typename Show>
std::string CaptureStandardError(Show show) {
  TemporaryDirectory dir;
  const std::string path = dir / "stderr.txt";
  HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
  EXPECT_NE(file, INVALID_HANDLE_VALUE);
  HANDLE saved = ::GetStdHandle(STD_ERROR_HANDLE);
  ::SetStdHandle(STD_ERROR_HANDLE, file);
  show();
  ::SetStdHandle(STD_ERROR_HANDLE, saved);
  ::CloseHandle(file);
  return ReadBytes(path);
}

class Win32MessageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    boxCalls.clear();
    boxAnswer = IDOK;
  }
  Win32Platform platform{&FakeMessageBox};
};

TEST_F(Win32MessageTest, ShowsAModalBoxWithoutOwnerInUtf16) {
  std::string written = CaptureStandardError([&] {
    platform.ShowMessage(MessageIcon::kQuestion, kBitmapOpen,
                         "\x89\xE6\x91\x9C.bmp");
    platform.ShowMessage(MessageIcon::kError, kNoControlFile, "");
  });
  EXPECT_EQ(written, "");  // shown, so nothing on standard error
  ASSERT_EQ(boxCalls.size(), 2u);
  EXPECT_EQ(boxCalls[0].owner, nullptr);
  EXPECT_EQ(boxCalls[0].caption, L"Quendrix");
  EXPECT_EQ(boxCalls[0].text,
            L"\x30D3\x30C3\x30C8\x30DE\x30C3\x30D7\x30D5\x30A1\x30A4\x30EB"
            L"\x3000\x753B\x50CF.bmp \x304C\x30AA\x30FC\x30D7\x30F3\x3067"
            L"\x304D\x307E\x305B\x3093\x3002");  // ビットマップファイル　画像.bmp がオープンできません。
  EXPECT_EQ(boxCalls[0].flags, UINT{MB_OK | MB_APPLMODAL | MB_ICONQUESTION});
  EXPECT_EQ(boxCalls[1].flags, UINT{MB_OK | MB_APPLMODAL | MB_ICONERROR});
  EXPECT_EQ(boxCalls[1].text, Cp932ToUtf16(kNoControlFile));
}

TEST_F(Win32MessageTest, FallsBackToStandardErrorWhenNoBoxCanBeShown) {
  // 0 is the failure of MessageBoxW on Windows; Wine without a display
  // answers -1.
  for (int answer : {0, -1}) {
    boxAnswer = answer;
    std::string written = CaptureStandardError([&] {
      platform.ShowMessage(MessageIcon::kQuestion, kNotABitmap, "x.bmp");
      platform.ShowMessage(MessageIcon::kError, kNoControlFile, "");
    });
    EXPECT_EQ(written,
              MessageLine(MessageIcon::kQuestion, kNotABitmap, "x.bmp") + "\n" +
                  MessageLine(MessageIcon::kError, kNoControlFile, "") + "\n")
        << "answer " << answer;
    EXPECT_EQ(written.substr(0, 34), "Quendrix: warning: x.bmp \xE3\x83\x93\xE3\x83\x83\xE3\x83\x88");
  }
}

// A service's window station is not visible: no box is tried there, since
// it would wait for an OK that nobody can give, and the message goes to
// standard error.
TEST(Win32InteractiveTest, NoBoxInAWindowStationNobodySees) {
  HWINSTA saved = ::GetProcessWindowStation();
  HWINSTA hidden =
      ::CreateWindowStationW(L"QuendrixTest", 0, WINSTA_ALL_ACCESS, nullptr);
  ASSERT_NE(hidden, nullptr);
  ASSERT_TRUE(::SetProcessWindowStation(hidden));
  const bool interactive = HasInteractiveDesktop();
  const int answer = ShowMessageBoxIfInteractive(nullptr, L"t", L"Quendrix", MB_OK);
  std::string written = CaptureStandardError([] {
    Win32Platform platform;
    platform.ShowMessage(MessageIcon::kError, kNoControlFile, "");
  });
  ::SetProcessWindowStation(saved);
  ::CloseWindowStation(hidden);

  EXPECT_FALSE(interactive);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(written, MessageLine(MessageIcon::kError, kNoControlFile, "") + "\n");
}

// --- Profiles --------------------------------------------------------------

// The portable reader must read Tavik.cmd as the Windows profile functions
// do: both are asked the same questions about the same files.
TEST(Win32ProfileTest, WindowsAndThePortableReaderAgree) {
  const std::vector<std::string> files = {
      "[Convert]\nCtrlFile=link.txt\nNoHeader=1\n",
      "[Convert]\r\nCtrlFile=link.txt\r\nNoHeader=1\r\n",
      "[convert]\nctrlfile = link.txt \nnoheader = 0x10\n",
      "  [ Convert ]  \n  CtrlFile  =  two words.txt  \n",
      "[Convert]\nCtrlFile=\"quoted.txt\"\nNoHeader='7'\n",
      "[Convert]\n;CtrlFile=commented.txt\nCtrlFile=real.txt\n",
      "[Other]\nCtrlFile=other.txt\n[Convert]\nNoHeader=12abc\n",
      "[Convert]\nCtrlFile=first.txt\nCtrlFile=second.txt\n",
      "[Convert]\nNoHeader=-1\nCtrlFile=\n",
      "[Convert]\nNoHeader=\nCtrlFile=a=b.txt\n",
      "[Convert]\nNoHeader=  +65536\n",
      "[Convert]\nNoHeader=4294967297\n",
      "[Convert]\nCtrlFile=" + std::string(150, 'x') + ".txt\n",
      "[Convert]\nCtrlFile=\x89\xE6\x91\x9C.txt\n",
      "CtrlFile=before.txt\n[Convert]\n",
      "",
  };
  TemporaryDirectory dir;
  const std::string path = dir / "Tavik.cmd";
  Win32Platform platform;
  for (const std::string& text : files) {
    WriteBytes(path, text);
    for (const char* key : {"CtrlFile", "NoHeader", "Missing"}) {
      EXPECT_EQ(platform.ReadProfileText(path, "Convert", key, "", 101),
                ProfileText(text, "Convert", key, "", 101))
          << key << " in:\n" << text;
      EXPECT_EQ(platform.ReadProfileInt(path, "Convert", key, 0),
                ProfileInt(text, "Convert", key, 0))
          << key << " in:\n" << text;
    }
  }
}

TEST(Win32ProfileTest, DefaultsAndBufferSize) {
  TemporaryDirectory dir;
  const std::string path = dir / "Tavik.cmd";
  WriteBytes(path, "[Convert]\nCtrlFile=abcdef\n");
  Win32Platform platform;
  EXPECT_EQ(platform.ReadProfileText(path, "Convert", "CtrlFile", "", 4), "abc");
  EXPECT_EQ(platform.ReadProfileText(path, "Convert", "CtrlFile", "", 0), "");
  EXPECT_EQ(platform.ReadProfileText(path, "Convert", "None", "dflt", 101), "dflt");
  EXPECT_EQ(platform.ReadProfileInt(path, "Convert", "None", -5), -5);
  EXPECT_EQ(platform.ReadProfileText(dir / "absent.cmd", "Convert", "CtrlFile", "", 101), "");
  EXPECT_EQ(platform.ReadProfileInt(dir / "absent.cmd", "Convert", "NoHeader", 3), 3);
}

// --- Files and paths -------------------------------------------------------

TEST(Win32FileTest, WritesThenReadsBinaryBytes) {
  TemporaryDirectory dir;
  Win32Platform platform;
  const std::string path = dir / "data.bin";
  std::string bytes = "BM\r\n\x1A\0tail";
  bytes.push_back('\0');

  std::unique_ptr<OutputFile> out = platform.CreateForWriting(path);
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(out->Write(bytes.data(), 4));
  EXPECT_TRUE(out->Write(bytes.data() + 4, bytes.size() - 4));
  EXPECT_TRUE(out->Close());
  out.reset();
  EXPECT_EQ(ReadBytes(path), bytes);  // no line ends or Ctrl-Z touched

  std::unique_ptr<InputFile> in = platform.OpenForReading(path);
  ASSERT_NE(in, nullptr);
  EXPECT_EQ(in->Size(), static_cast<int64_t>(bytes.size()));
  char buffer[64] = {};
  EXPECT_TRUE(in->Seek(2));
  EXPECT_EQ(in->Read(buffer, 3), 3);
  EXPECT_EQ(std::string(buffer, 3), "\r\n\x1A");
  EXPECT_EQ(in->Read(buffer, sizeof buffer), static_cast<int64_t>(bytes.size() - 5));
  EXPECT_EQ(in->Read(buffer, sizeof buffer), 0);  // the end of the file
  EXPECT_TRUE(in->Seek(0));
  EXPECT_EQ(in->Read(buffer, 2), 2);
  EXPECT_EQ(std::string(buffer, 2), "BM");
  EXPECT_FALSE(in->Seek(-1));
  EXPECT_TRUE(in->Seek(int64_t{1} << 33));  // beyond the end: reads give 0
  EXPECT_EQ(in->Read(buffer, sizeof buffer), 0);
}

TEST(Win32FileTest, CreatingReplacesAnOldFile) {
  TemporaryDirectory dir;
  Win32Platform platform;
  const std::string path = dir / "Image.img";
  WriteBytes(path, std::string(1000, 'x'));
  std::unique_ptr<OutputFile> out = platform.CreateForWriting(path);
  ASSERT_NE(out, nullptr);
  EXPECT_TRUE(out->Write("ab", 2));
  EXPECT_TRUE(out->Close());
  EXPECT_EQ(ReadBytes(path), "ab");
}

TEST(Win32FileTest, FilesAreOpenedWithoutSharing) {
  TemporaryDirectory dir;
  Win32Platform platform;
  const std::string path = dir / "a.bmp";
  WriteBytes(path, "BM");
  {
    std::unique_ptr<InputFile> first = platform.OpenForReading(path);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(platform.OpenForReading(path), nullptr);
    EXPECT_EQ(platform.CreateForWriting(path), nullptr);
  }
  EXPECT_NE(platform.OpenForReading(path), nullptr);  // closed again
  {
    std::unique_ptr<OutputFile> out = platform.CreateForWriting(dir / "out");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(platform.OpenForReading(dir / "out"), nullptr);
  }
}

TEST(Win32FileTest, WhatCannotBeOpened) {
  TemporaryDirectory dir;
  Win32Platform platform;
  ASSERT_TRUE(::CreateDirectoryA((dir / "folder.bmp").c_str(), nullptr));
  EXPECT_EQ(platform.OpenForReading(dir / "missing.bmp"), nullptr);
  EXPECT_EQ(platform.OpenForReading(""), nullptr);
  EXPECT_EQ(platform.OpenForReading(dir / "folder.bmp"), nullptr);
  EXPECT_EQ(platform.OpenForReading("NUL"), nullptr);  // a device
  EXPECT_EQ(platform.CreateForWriting(dir / "folder.bmp"), nullptr);
  EXPECT_EQ(platform.CreateForWriting(dir / "missing\\Image.img"), nullptr);
  EXPECT_EQ(platform.CreateForWriting(""), nullptr);
}

TEST(Win32FileTest, PathsExistRenameAndRemove) {
  TemporaryDirectory dir;
  Win32Platform platform;
  const std::string file = dir / "Image.img.tmp";
  const std::string target = dir / "Image.img";
  WriteBytes(file, "new");
  WriteBytes(target, "old");
  ASSERT_TRUE(::CreateDirectoryA((dir / "sub").c_str(), nullptr));

  EXPECT_TRUE(platform.PathExists(file));
  EXPECT_TRUE(platform.PathExists(dir / "sub"));  // a directory exists too
  EXPECT_FALSE(platform.PathExists(dir / "none"));
  EXPECT_FALSE(platform.PathExists(""));

  EXPECT_TRUE(platform.RenameFile(file, target));  // replaces the old one
  EXPECT_FALSE(platform.PathExists(file));
  EXPECT_EQ(ReadBytes(target), "new");
  WriteBytes(file, "again");
  EXPECT_FALSE(platform.RenameFile(file, dir / "sub"));  // not over a folder

  EXPECT_TRUE(platform.RemoveFile(target));
  EXPECT_FALSE(platform.PathExists(target));
  EXPECT_FALSE(platform.RemoveFile(target));
  EXPECT_FALSE(platform.RemoveFile(dir / "sub"));  // folders are not removed
  EXPECT_TRUE(platform.PathExists(dir / "sub"));
}

TEST(Win32FileTest, CurrentDirectoryAndSeparator) {
  TemporaryDirectory dir;
  Win32Platform platform;
  char saved[MAX_PATH + 1];
  ASSERT_GT(::GetCurrentDirectoryA(sizeof saved, saved), 0u);
  ASSERT_TRUE(::SetCurrentDirectoryA(dir.path().c_str()));
  const std::string current = platform.CurrentDirectory();
  ::SetCurrentDirectoryA(saved);
  EXPECT_TRUE(fs::equivalent(current, dir.path())) << current;
  EXPECT_NE(current.back(), '\\');
  EXPECT_EQ(platform.PathSeparator(), '\\');
  EXPECT_NE(dynamic_cast<Win32Platform*>(&SystemPlatform()), nullptr);
}

}  // namespace
}  // namespace quendrix
