#pragma once
// The timed message form: a small stay-on-top window with a text of any length, "OK" and
// optionally "Отмена", that closes itself after a count of seconds unless the operator stops the
// countdown with "остановить".
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/Gdi.h"
#include "ui/Window.h"

namespace wizard {

enum class TMessageType : std::uint8_t { mtMessage = 0, mtDialog = 1 };

class TFMessageform final : public ui::Form {
 public:
  TFMessageform();
  ~TFMessageform() override;

  void SetStopInterval(int milliseconds) { stopInterval_ = milliseconds; }
  bool Showmes(const std::wstring& Text, TMessageType tip, const std::wstring& CaptionText,
               bool smodal);

  TMessageType FMessageTtype = TMessageType::mtMessage;
  std::wstring FMessageText;
  std::wstring FCaptionText;
  bool FShowResult = false;
  bool Fsmodal = false;
  double tt = 0.0;  // local date and time when last shown, in days

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void CreateForm();
  // Places the docked controls in the client area as it is now: the message at the top, the
  // countdown strip at the bottom and the buttons above it; called whenever the size changes.
  void Layout();
  void FormShow();
  void FormClose();
  void btnOKClick();
  void btnCancelClick();
  void btnStopClick();
  void StayUpTimerTimer();
  void StopTimerTimer();
  void BringToFront();

  int stopInterval_;
  bool closed_ = false;
  ui::Font font_;
  ui::Font messageFont_;
  std::vector<ui::Icon> glyphs_;

  ui::Control lblMessage;
  ui::Container pnlButtons;
  ui::Control btnCancel;
  ui::Control btnOK;
  ui::Control RzBorder1;
  ui::Container pnlClose;
  ui::Control btnStop;
  ui::Control lblClose;
  ui::Control lblSec;
  ui::Control cbRealTime;
  ui::Control cbnotChek;
};

// Shows Text in a fresh form, modally, and returns true exactly when the operator pressed "OK".
// Seconds: the countdown (0 keeps the default of 20 seconds). Raises OperatorError for a
// negative Seconds or one whose milliseconds do not fit 32 bits, before anything is shown.
bool ShowTimedMessage(const std::wstring& Text, TMessageType Kind, const std::wstring& Caption,
                      int Seconds);

}  // namespace wizard
