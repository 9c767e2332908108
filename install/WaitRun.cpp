#include "WaitRun.h"

#include <commctrl.h>

#include "ScreenMonitorManager.h"
#include "WaitRunRules.h"
#include "ui/Application.h"

namespace wizard {

TFWaitRun* FWaitRun = nullptr;

namespace {

constexpr wchar_t kClassName[] = L"TFWaitRun";
// The form is designed at 144 pixels per inch.
constexpr int kDesignedPpi = 144;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_BORDER;
constexpr DWORD kFormExStyle = WS_EX_TOPMOST;
enum : int { kIdLabel = 301, kIdBar };

}  // namespace

TFWaitRun::TFWaitRun() {
  FormCreate();
}

int TFWaitRun::Scaled(int designed) const {
  return ScaleDesigned(designed, ppi_, kDesignedPpi);
}

void TFWaitRun::FormCreate() {
  ppi_ = vr::myScreen && vr::myScreen->PixelsPerInch > 0 ? vr::myScreen->PixelsPerInch : 96;
  RegisterWindowClass(kClassName);
  RECT frame{0, 0, Scaled(471), Scaled(59)};
  ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  Create(kClassName, L"Запуск Вирельта...", kFormStyle, kFormExStyle, {0, 0, width, height},
         nullptr);
  font_ = ui::MakeFont(L"Tahoma", Scaled(20));
  const int barHeight = Scaled(30);
  ui::CreateControls({
      {&LblProgress,
       L"Static",
       L"",
       WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
       {0, 0, Scaled(471), Scaled(59) - barHeight},
       Handle(),
       kIdLabel,
       font_.Get()},
      {&ProgressBar,
       PROGRESS_CLASSW,
       L"",
       WS_VISIBLE | PBS_SMOOTH,
       {0, Scaled(59) - barHeight, Scaled(471), barHeight},
       Handle(),
       kIdBar,
       nullptr},
  });
  ::SendMessageW(ProgressBar.Handle(), PBM_SETRANGE32, 0, 25);
  ::SendMessageW(ProgressBar.Handle(), PBM_SETSTEP, 1, 0);
  ::SendMessageW(ProgressBar.Handle(), PBM_SETPOS, 0, 0);
  ::SetWindowTextW(Handle(), WaitRunTitle(typemessage).c_str());
  if (vr::myScreen) {
    const vr::TMonitor monitor = vr::myScreen->GetMonitor(vr::myScreen->Monitornumber);
    const Point origin =
        WaitRunOrigin(monitor.Left, monitor.Top, monitor.Width, monitor.Height, width, height);
    ::SetWindowPos(Handle(), nullptr, origin.x, origin.y, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void TFWaitRun::Show() {
  ::SetWindowTextW(Handle(), WaitRunTitle(typemessage).c_str());
  ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
}

void TFWaitRun::Next(int /*value*/, const std::wstring& msg) noexcept {
  try {
    ::SendMessageW(ProgressBar.Handle(), PBM_STEPIT, 0, 0);
    LblProgress.SetText(msg);
    ui::Application::Instance().ProcessMessages();
  } catch (...) {
    // The form only informs: nothing of it may stop the work it accompanies.
  }
}

LRESULT TFWaitRun::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT face = 0;
  if (DialogFace(message, wParam, face)) {
    return face;
  }
  return DefaultHandling(message, wParam, lParam);
}

}  // namespace wizard
