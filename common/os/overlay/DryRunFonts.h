#pragma once
// Fonts in a dry run: the session's fonts are not changed. A font file that exists only in the
// view (one the run copied) is not loaded: adding and removing it succeed without doing
// anything, and no WM_FONTCHANGE is sent. Files of the base (the medium's fonts) are loaded and
// unloaded again for their titles, as the real run does.
#include <set>
#include <string>

#include "os/Fonts.h"
#include "os/overlay/OverlayFileSystem.h"

namespace os::overlay {

class DryRunFonts final : public IFonts {
 public:
  DryRunFonts(IFonts& base, OverlayFileSystem& view) : base_(base), view_(view) {}

  int AddFontFile(const std::wstring& path) override;
  bool RemoveFontFile(const std::wstring& path) override;
  void BroadcastFontChange() override {}
  bool HasFontResourceInfo() override { return base_.HasFontResourceInfo(); }
  bool FontResourceInfo(const std::wstring& path, std::uint32_t& size, void* buffer,
                        std::uint32_t type) override;

 private:
  IFonts& base_;
  OverlayFileSystem& view_;
};

}  // namespace os::overlay
