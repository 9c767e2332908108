#pragma once
// The title of a TrueType or OpenType font read from the font file itself, for systems whose font
// resource query gives none (Wine's is a stub). The file comes from the installation medium and
// may be anything: every offset and length in it is checked against the bytes at hand. Depends on
// nothing but the standard library.
#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// The longest title taken from a file; a longer one is cut to this many characters.
inline constexpr std::size_t kMaxFontTitleLength = 256;

// From the file's "name" table (of its first font, for a collection): the full font name (name
// 4), else the family (name 1) and subfamily (name 2) joined by a blank. Of the records of a
// name, the first readable one in this order: Windows platform in Unicode, American English
// first; the Unicode platform; Macintosh Roman, English first. Control characters are dropped
// and blanks at either end trimmed; empty when the file has no such name or is no font.
std::wstring FontTitleFromNameTable(std::string_view file);

}  // namespace engine
