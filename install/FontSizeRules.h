#pragma once
// What "Изменить настройки" on the font-size page does once the wizard has asked the system for
// large fonts: it asks whether to restart now and, on "&Yes", asks Windows for a forced restart
// and closes the wizard. The window supplies the question and the closing; the restart goes
// through the system seam (a double in tests: a test never restarts the machine).
#include <functional>
#include <string>
#include <string_view>

#include "os/System.h"

namespace wizard {

inline constexpr std::wstring_view kRestartQuestion =
    L"Изменения в настройки внесены, для того чтобы они\r\n"
    L"вступили в силу, требуется перзагрузить операционную систему.\r\n"
    L"Выполнить перезагрузку сейчас?";

// Restart, closing the other programs without asking them (EWX_REBOOT | EWX_FORCE).
inline constexpr unsigned kForcedRestartFlags = 6;

struct FontSizePageActions {
  std::function<void()> changeSystemFontSize;
  // The warning box with "&Yes" and "&No"; true for "&Yes".
  std::function<bool(const std::wstring&)> askRestart;
  std::function<void()> closeMainWindow;
};

// Changes the font size, asks the restart question whatever came of it, and on "&Yes" requests
// the forced restart (its refusal is not reported) and closes the main window.
void ChangeFontSizeAndOfferRestart(os::ISystem& system, const FontSizePageActions& actions);

}  // namespace wizard
