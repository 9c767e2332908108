#pragma once
// What a file or folder name may hold and which names a search mask takes, as Windows has it.
// The memory file system and the dry run's views both follow these rules.
#include <string_view>

namespace text {

// A character no file or folder name may hold: the control characters and < > : " | ? *.
// (':' would name a stream of a file on NTFS; streams are not used here.)
bool IsReservedInName(wchar_t c);
// A name holding such a character.
bool IsInvalidName(std::wstring_view name);
// A search mask holding such a character other than the wildcards '*' and '?'.
bool IsInvalidMask(std::wstring_view mask);
// A path one of whose names is invalid (the ':' of a leading drive apart).
bool HasInvalidName(std::wstring_view path);

// A FindFirstFileW mask against a name, without letter case: '*' takes any run of characters,
// '?' one; "*" and "*.*" take everything, and a mask ending in ".*" also takes a name without an
// extension ("notes.*" takes "notes").
bool MatchesMask(std::wstring_view mask, std::wstring_view name);

}  // namespace text
