#pragma once
// Paths as the overlay parts compare them: one key per entry, without letter case (as Windows
// compares names: ASCII, Latin-1 and Cyrillic), with single separators and no trailing one
// except after a drive.
#include <string>
#include <string_view>

namespace os::overlay::names {

// The key of a full path.
std::wstring Key(std::wstring_view fullPath);
// The key of the folder holding `key`; empty for a root.
std::wstring Parent(const std::wstring& key);
// `folder` with one separator at its end, for the names below it.
std::wstring ChildPrefix(const std::wstring& folder);
std::wstring LastComponent(const std::wstring& path);
// "C:\A\*.*" into "C:\A\" and "*.*".
void SplitPattern(const std::wstring& pattern, std::wstring& folder, std::wstring& mask);
bool EndsInSeparator(std::wstring_view path);

}  // namespace os::overlay::names
