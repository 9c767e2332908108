#pragma once
// The application object of a window program: its title, its message loop and message
// processing, modal loops, and the top-level handler that shows an error no handler caught and
// lets the program run on.
#include <windows.h>

#include <functional>
#include <string>

namespace ui {

class Application {
 public:
  static Application& Instance();

  void SetTitle(std::wstring title) { title_ = std::move(title); }
  const std::wstring& Title() const { return title_; }

  // Shows the text of an error that no handler caught (the program's error box).
  void SetErrorHandler(std::function<void(const std::wstring&)> handler) {
    errorHandler_ = std::move(handler);
  }
  // Called inside a catch block: hands the error passing through to the error handler.
  void HandleException();

  // The message loop until WM_QUIT; returns its exit code.
  int Run();
  // Handles every pending message, then returns.
  void ProcessMessages();
  // Handles only painting, timers and the messages that the system and other programs send (its
  // "are you alive" queries), then returns: input waits, so nothing the operator does can start
  // a second run or close a window meanwhile.
  void ProcessPaintAndSentMessages();
  // Shows `form` modally with the keyboard focus on `focus`: every other enabled window of the
  // thread is disabled until `closed` becomes true (set by the form when it closes). Then the
  // windows are enabled and the window that was active before is activated again, and only then
  // is the form hidden: hiding an active window while its owner is still disabled lets the system
  // activate another program's window, and the program drops behind it.
  void RunModal(HWND form, HWND focus, const bool& closed);

 private:
  Application() = default;
  // Keyboard navigation (Tab, Enter, Esc, mnemonics) within the message's top-level window.
  void Dispatch(MSG& message);
  // The pending messages that PeekMessage's `filter` (PM_QS_...) lets through; false when the
  // program is to end.
  bool ProcessPending(UINT filter);

  std::wstring title_;
  std::function<void(const std::wstring&)> errorHandler_;
  bool quitting_ = false;
  int exitCode_ = 0;
};

}  // namespace ui
