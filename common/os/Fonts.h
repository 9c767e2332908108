#pragma once
// The font seam: font resources of the running session, the WM_FONTCHANGE broadcast and the
// font file query GetFontResourceInfoW, which gdi32 exports without documenting it and which is
// therefore looked up by name at run time.
#include <cstdint>
#include <string>

namespace os {

// Query types of GetFontResourceInfoW.
namespace fontinfo {
constexpr std::uint32_t kDescription = 1;  // QFR_DESCRIPTION: the font's full name
}  // namespace fontinfo

class IFonts {
 public:
  virtual ~IFonts() = default;
  // AddFontResourceW: the number of fonts added, 0 when the file gives none.
  virtual int AddFontFile(const std::wstring& path) = 0;
  // RemoveFontResourceW with the same path.
  virtual bool RemoveFontFile(const std::wstring& path) = 0;
  // SendMessageW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0): returns once every top-level window has
  // handled it.
  virtual void BroadcastFontChange() = 0;
  // Whether the already loaded gdi32.dll exports GetFontResourceInfoW (GetModuleHandleW and
  // GetProcAddress).
  virtual bool HasFontResourceInfo() = 0;
  // GetFontResourceInfoW(path, &size, buffer, type): `size` in bytes, in and out; a null
  // buffer asks for the size alone. False when the function is missing or fails.
  virtual bool FontResourceInfo(const std::wstring& path, std::uint32_t& size, void* buffer,
                                std::uint32_t type) = 0;
};

}  // namespace os
