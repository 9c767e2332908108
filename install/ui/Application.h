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
  // Shows `form` modally: every other enabled window of the thread is disabled until `closed`
  // becomes true (set by the form when it closes), then enabled again.
  void RunModal(HWND form, const bool& closed);

 private:
  Application() = default;
  // Keyboard navigation (Tab, Enter, Esc, mnemonics) within the message's top-level window.
  void Dispatch(MSG& message);

  std::wstring title_;
  std::function<void(const std::wstring&)> errorHandler_;
  bool quitting_ = false;
  int exitCode_ = 0;
};

}  // namespace ui
