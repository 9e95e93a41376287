#pragma once

// Reading INI-style profile files the way the Windows profile functions do,
// for platforms that lack them. Pure functions of the file's text.
//
//   [Convert]            section names match without regard to case
//   ; a comment          only when ';' starts the line
//   CtrlFile = link.txt  keys match without regard to case; blanks around
//                        names and values are ignored, and one pair of
//                        matching quotes around a value is removed
//
// The first section of the name is the one read, and within it the first line
// that holds the key. Lines end in LF or CR LF.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quendrix {

// The value of `key` in `section`, or nothing when the key is absent.
std::optional<std::string> FindProfileValue(std::string_view text,
                                            std::string_view section,
                                            std::string_view key);

// As GetPrivateProfileString: the value (or the default) cut to
// bufferSize - 1 characters.
std::string ProfileText(std::string_view text, std::string_view section,
                        std::string_view key, std::string_view defaultValue,
                        size_t bufferSize);

// As GetPrivateProfileInt: leading blanks, an optional sign, then decimal
// digits or 0x and hex digits, up to the first other character; wraps to 32
// bits. The default only when the key is absent.
int32_t ProfileInt(std::string_view text, std::string_view section,
                   std::string_view key, int32_t defaultValue);

// The integer reading alone: "12abc" is 12, "0x10" is 16, "abc" is 0.
int32_t ParseProfileInt(std::string_view value);

}  // namespace quendrix
