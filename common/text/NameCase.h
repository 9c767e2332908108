#pragma once
// Names compared as Windows compares file, registry, section and key names: without letter case
// for ASCII, Latin-1 and Cyrillic (Ё/ё and the Cyrillic supplement included).
#include <string>
#include <string_view>

namespace text {

// The upper-case form of one character of a name.
wchar_t FoldNameCase(wchar_t c);
std::wstring FoldNameCase(std::wstring_view name);

}  // namespace text
