#include "platform/profile.h"

#include <gtest/gtest.h>

namespace quendrix {
namespace {

struct TextCase {
  const char* why;
  const char* file;
  const char* expected;  // nullptr: the key is absent
};

TEST(ProfileTest, FindsValuesAsTheWindowsProfileFunctionsDo) {
  const TextCase cases[] = {
      {"plain", "[Convert]\nCtrlFile=link.txt\n", "link.txt"},
      {"names ignore case", "[convert]\nctrlfile=a\n", "a"},
      {"blanks around names and value", "  [ Convert ]  \n  CtrlFile  =  a b  \n", "a b"},
      {"double quotes removed", "[Convert]\nCtrlFile=\" x \"\n", " x "},
      {"single quotes removed", "[Convert]\nCtrlFile='x'\n", "x"},
      {"unmatched quotes kept", "[Convert]\nCtrlFile=\"x'\n", "\"x'"},
      {"one pair only", "[Convert]\nCtrlFile=\"\"x\"\"\n", "\"x\""},
      {"comment line", "[Convert]\n;CtrlFile=a\nCtrlFile=b\n", "b"},
      {"indented comment line", "[Convert]\n  ;CtrlFile=a\n", nullptr},
      {"semicolon after a value is kept", "[Convert]\nCtrlFile=a ; b\n", "a ; b"},
      {"CR LF line ends", "[Convert]\r\nCtrlFile=a\r\n", "a"},
      {"no final line end", "[Convert]\nCtrlFile=a", "a"},
      {"first line with the key", "[Convert]\nCtrlFile=a\nCtrlFile=b\n", "a"},
      {"first section of the name", "[Convert]\nX=1\n[Other]\n[Convert]\nCtrlFile=b\n", nullptr},
      {"key in another section", "[Other]\nCtrlFile=a\n[Convert]\n", nullptr},
      {"no section", "CtrlFile=a\n", nullptr},
      {"empty value is present", "[Convert]\nCtrlFile=\n", ""},
      {"line without '='", "[Convert]\nCtrlFile\nCtrlFile=c\n", "c"},
      {"value keeps '='", "[Convert]\nCtrlFile=a=b\n", "a=b"},
  };
  for (const TextCase& c : cases) {
    std::optional<std::string> value = FindProfileValue(c.file, "Convert", "CtrlFile");
    if (c.expected == nullptr) {
      EXPECT_FALSE(value.has_value()) << c.why;
    } else {
      EXPECT_EQ(value.value_or("<absent>"), c.expected) << c.why;
    }
  }
}

TEST(ProfileTest, TextIsCutToTheBufferAndDefaultsWhenAbsent) {
  std::string longValue(150, 'x');
  EXPECT_EQ(ProfileText("[Convert]\nCtrlFile=" + longValue, "Convert", "CtrlFile", "", 101),
            std::string(100, 'x'));
  EXPECT_EQ(ProfileText("", "Convert", "CtrlFile", "dflt", 101), "dflt");
  EXPECT_EQ(ProfileText("[Convert]\nCtrlFile=\n", "Convert", "CtrlFile", "dflt", 101), "");
}

TEST(ProfileTest, IntegersAreReadUpToTheFirstOtherCharacter) {
  const struct {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"12abc", 12}, {"0x10", 16}, {"0X1f", 31}, {"+5", 5}, {" 7", 7},
      {"-1", -1},    {"abc", 0},   {"", 0},      {"65536", 65536},
      {"4294967297", 1},  // wraps to 32 bits
      {"0x", 0},     {"-0x10", -16}, {"1 2", 1},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseProfileInt(c.text), c.expected) << c.text;
}

TEST(ProfileTest, IntegerDefaultOnlyWhenTheKeyIsAbsent) {
  EXPECT_EQ(ProfileInt("[Convert]\n", "Convert", "NoHeader", 9), 9);
  EXPECT_EQ(ProfileInt("[Convert]\nNoHeader=x\n", "Convert", "NoHeader", 9), 0);
  EXPECT_EQ(ProfileInt("[Convert]\nNoHeader = \"3\"\n", "Convert", "NoHeader", 9), 3);
}

}  // namespace
}  // namespace quendrix
