#pragma once
// The launch progress form: a small stay-on-top window with a text line above a progress bar,
// shown while a program of the complex starts or ECG data is written or converted. The wizard
// creates it hidden at start-up and never shows it.
#include <windows.h>

#include <cstdint>
#include <string>

#include "ui/Controls.h"
#include "ui/Gdi.h"
#include "ui/Window.h"

namespace wizard {

class TFWaitRun final : public ui::Form {
 public:
  // FormCreate: the bar at 0, the title from typemessage, placed on the chosen monitor; hidden.
  TFWaitRun();

  // Advances the bar by one step, shows msg and lets the window repaint. `value` is not used.
  // Never raises.
  void Next(int value, const std::wstring& msg) noexcept;
  // FormShow: the title from typemessage again, then shown.
  void Show();

  std::uint8_t typemessage = 0;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void FormCreate();

  ui::Font font_;
  ui::Control LblProgress;
  ui::Control ProgressBar;
};

extern TFWaitRun* FWaitRun;

}  // namespace wizard
