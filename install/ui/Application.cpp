#include "ui/Application.h"

#include <algorithm>
#include <vector>

#include "Error.h"

namespace ui {
namespace {

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM list) {
  if (::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  }
  return TRUE;
}

}  // namespace

Application& Application::Instance() {
  static Application application;
  return application;
}

void Application::HandleException() {
  const std::wstring text = CurrentErrorText();
  if (!errorHandler_) {
    return;
  }
  try {
    errorHandler_(text);
  } catch (...) {
    // The error box itself failed: nothing more can be shown.
  }
}

void Application::Dispatch(MSG& message) {
  const HWND root = message.hwnd != nullptr ? ::GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  if (root != nullptr && ::IsDialogMessageW(root, &message)) {
    return;
  }
  ::TranslateMessage(&message);
  ::DispatchMessageW(&message);
}

int Application::Run() {
  MSG message;
  while (!quitting_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      exitCode_ = got == 0 ? static_cast<int>(message.wParam) : 1;
      break;
    }
    Dispatch(message);
  }
  return exitCode_;
}

bool Application::ProcessPending(UINT filter) {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | filter)) {
    if (message.message == WM_QUIT) {
      quitting_ = true;
      exitCode_ = static_cast<int>(message.wParam);
      ::PostQuitMessage(exitCode_);
      return false;
    }
    Dispatch(message);
  }
  return true;
}

void Application::ProcessMessages() {
  ProcessPending(0);
}

void Application::ProcessPaintAndSentMessages() {
  ProcessPending(PM_QS_PAINT | PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE);
}

void Application::RunModal(HWND form, HWND focus, const bool& closed) {
  // Taken before the form shows or anything in it takes the focus (which would activate it).
  const HWND previouslyActive = ::GetActiveWindow();
  std::vector<HWND> disabled;
  ::EnumThreadWindows(::GetCurrentThreadId(), &CollectEnabledWindow,
                      reinterpret_cast<LPARAM>(&disabled));
  std::erase(disabled, form);
  for (HWND window : disabled) {
    ::EnableWindow(window, FALSE);
  }
  ::ShowWindow(form, SW_SHOW);
  ::SetForegroundWindow(form);
  if (focus != nullptr) {
    ::SetFocus(focus);
  }
  MSG message;
  while (!closed) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got == 0 || got == -1) {
      // The program is ending: leave the loop and let the outer one see the request.
      ::PostQuitMessage(got == 0 ? static_cast<int>(message.wParam) : 1);
      break;
    }
    Dispatch(message);
  }
  for (HWND window : disabled) {
    if (::IsWindow(window)) {
      ::EnableWindow(window, TRUE);
    }
  }
  // The window that was active takes the activation back before the form hides, so Windows does
  // not hand it to another program. Shown while another program was active, the form had no
  // predecessor in this thread: the first window it disabled (the main window) takes it then.
  HWND restore = previouslyActive;
  if (restore == nullptr || restore == form || !::IsWindow(restore)) {
    const auto shown = std::find_if(disabled.begin(), disabled.end(), [](HWND window) {
      return ::IsWindow(window) && ::IsWindowVisible(window);
    });
    restore = shown == disabled.end() ? nullptr : *shown;
  }
  if (restore != nullptr) {
    ::SetActiveWindow(restore);
  }
  ::ShowWindow(form, SW_HIDE);
}

}  // namespace ui
