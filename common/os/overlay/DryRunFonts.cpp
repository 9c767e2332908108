#include "os/overlay/DryRunFonts.h"

namespace os::overlay {

int DryRunFonts::AddFontFile(const std::wstring& path) {
  if (view_.Changed(path)) {
    return view_.GetAttributes(path) == attr::kInvalid ? 0 : 1;
  }
  return base_.AddFontFile(path);
}

bool DryRunFonts::RemoveFontFile(const std::wstring& path) {
  return view_.Changed(path) ? true : base_.RemoveFontFile(path);
}

bool DryRunFonts::FontResourceInfo(const std::wstring& path, std::uint32_t& size, void* buffer,
                                   std::uint32_t type) {
  return view_.Changed(path) ? false : base_.FontResourceInfo(path, size, buffer, type);
}

}  // namespace os::overlay
