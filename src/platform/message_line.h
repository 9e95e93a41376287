#pragma once

// The one-line form in which a message reaches a terminal or a log:
//
//   Quendrix: error: TEXT      for a problem that ends the job
//   Quendrix: warning: TEXT    for a bitmap that is left out
//
// TEXT is UTF-8. The stored text is code page 932; a file name that fills
// "%s" is shown as it stands when it is valid UTF-8 (a Linux name) and is
// otherwise decoded as code page 932 (a name from a Japanese Windows file).

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace quendrix {

// Converts code page 932 text to UTF-8; bytes that do not decode become
// U+FFFD. Defined once for each platform.
std::string Cp932ToUtf8(std::string_view text);

bool IsValidUtf8(std::string_view text);

// Replaces the first "%s" of `text` by `name` (both in the same encoding).
std::string FillName(std::string_view text, std::string_view name);

// The whole line, without its line end.
std::string MessageLine(MessageIcon icon, std::string_view text,
                        std::string_view name);

}  // namespace quendrix
