#pragma once
// Conversions between the program's UTF-16 (on Linux: UTF-32) wide strings and UTF-8 bytes.
// Used where text leaves the program as bytes: exception texts, console and test output.
#include <string>
#include <string_view>

namespace text {

// Invalid sequences and lone surrogates become U+FFFD; nothing is dropped silently.
std::string ToUtf8(std::wstring_view wide);
std::wstring FromUtf8(std::string_view utf8);

}  // namespace text
