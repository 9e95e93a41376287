#include "platform/message_line.h"

#include <gtest/gtest.h>

#include "model/messages.h"

namespace quendrix {
namespace {

TEST(MessageLineTest, ShowsTheStoredTextInUtf8) {
  EXPECT_EQ(MessageLine(MessageIcon::kError, kNoControlFile, ""),
            "Quendrix: error: 制御コマンドファイル(Tavik.cmd)がカレントに存在しません。");
  EXPECT_EQ(MessageLine(MessageIcon::kQuestion, kBadColorDepth, "a.bmp"),
            "Quendrix: warning: a.bmp ビットマップファイルがモノクロ・１６色・２５６色のどれかの設定になっていません。");
}

TEST(MessageLineTest, NamesAreShownAsUtf8OrDecodedFromCodePage932) {
  // 画像.bmp in UTF-8, and the same name as a Japanese Windows file gives it.
  const std::string utf8Name = "画像.bmp";
  const std::string cp932Name = "\x89\xE6\x91\x9C.bmp";
  const std::string expected = "Quendrix: warning: ビットマップファイル　画像.bmp がオープンできません。";
  EXPECT_EQ(MessageLine(MessageIcon::kQuestion, kBitmapOpen, utf8Name), expected);
  EXPECT_EQ(MessageLine(MessageIcon::kQuestion, kBitmapOpen, cp932Name), expected);
  // An empty name leaves nothing where %s stood.
  EXPECT_EQ(MessageLine(MessageIcon::kQuestion, kBitmapOpen, ""),
            "Quendrix: warning: ビットマップファイル　 がオープンできません。");
}

TEST(MessageLineTest, BytesThatDecodeInNeitherEncodingStillGiveALine) {
  std::string line = MessageLine(MessageIcon::kQuestion, kNotABitmap, "\xFF\x80x");
  EXPECT_TRUE(IsValidUtf8(line)) << line;
  EXPECT_NE(line.find("x ビットマップファイルではありません。"), std::string::npos) << line;
}

TEST(MessageLineTest, Utf8Validity) {
  EXPECT_TRUE(IsValidUtf8("abc"));
  EXPECT_TRUE(IsValidUtf8("画像"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));      // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));  // surrogate
  EXPECT_FALSE(IsValidUtf8("\xE7\x94"));      // cut short
  EXPECT_FALSE(IsValidUtf8("\x83r"));         // code page 932
}

}  // namespace
}  // namespace quendrix
