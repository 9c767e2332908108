#pragma once
// The title the system itself gives a font file, asked directly through GetFontResourceInfoW
// (looked up at run time), for the Windows tests of the font step to compare with. Windows only.
#include <string>

namespace os::testing {

// Empty when the query is missing, the file gives no font or the query answers nothing (Wine's
// does not). The font is loaded for the query and unloaded again.
std::wstring SystemFontTitle(const std::wstring& path);

}  // namespace os::testing
