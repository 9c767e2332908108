#include "FontSizeRules.h"

#include "VR_Common_Proc.h"

namespace wizard {

void ChangeFontSizeAndOfferRestart(os::ISystem& system, const FontSizePageActions& actions) {
  actions.changeSystemFontSize();
  if (!actions.askRestart(std::wstring(kRestartQuestion))) {
    return;
  }
  vr::ShutdownWindows(system, kForcedRestartFlags);
  actions.closeMainWindow();
}

}  // namespace wizard
