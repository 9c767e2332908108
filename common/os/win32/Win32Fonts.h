#pragma once
#include "os/Fonts.h"

namespace os::win32 {

// The font seam on gdi32 and the window manager.
class Win32Fonts final : public IFonts {
 public:
  int AddFontFile(const std::wstring& path) override;
  bool RemoveFontFile(const std::wstring& path) override;
  void BroadcastFontChange() override;
  bool HasFontResourceInfo() override;
  bool FontResourceInfo(const std::wstring& path, std::uint32_t& size, void* buffer,
                        std::uint32_t type) override;
};

}  // namespace os::win32
