#include "WaitRun.h"

#include <commctrl.h>

#include "ScreenMonitorManager.h"
#include "WaitRunRules.h"
#include "ui/Application.h"

namespace wizard {

TFWaitRun* FWaitRun = nullptr;

namespace {

constexpr wchar_t kClassName[] = L"TFWaitRun";
// The form is designed at 144 pixels per inch: a client area of 471 × 59 inside a border of 2
// pixels, the bar 30 pixels high at its foot.
constexpr int kDesignedPpi = 144;
constexpr int kClientWidth = 471;
constexpr int kClientHeight = 59;
constexpr int kBorderWidth = 2;
constexpr int kBarHeight = 30;
constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_BORDER;
constexpr DWORD kFormExStyle = WS_EX_TOPMOST;

}  // namespace

TFWaitRun::TFWaitRun() : ui::Form(kDesignedPpi) {
  FormCreate();
}

void TFWaitRun::FormCreate() {
  RegisterWindowClass(kClassName);
  // The border lies inside the frame, around the client area; the controls keep clear of it.
  const int border = Scaled(kBorderWidth);
  const ui::Bounds client{border, border, Scaled(kClientWidth), Scaled(kClientHeight)};
  RECT frame{0, 0, client.width + 2 * border, client.height + 2 * border};
  ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  Create(kClassName, L"Запуск Вирельта...", kFormStyle, kFormExStyle, {0, 0, width, height},
         nullptr);
  font_ = ui::MakeFont(L"Tahoma", Scaled(20), false, RUSSIAN_CHARSET);
  const std::vector<ui::Bounds> placed =
      ui::DockLayout(client, {{ui::Dock::kBottom, Scaled(kBarHeight)}, {ui::Dock::kFill}});
  using enum ui::Kind;
  // clang-format off
  const std::vector<ui::ControlRow<TFWaitRun>> table{
      {.field = &ProgressBar, .kind = kProgressBar, .bounds = placed[0]},
      {.field = &LblProgress, .kind = kLabel, .font = font_.Get(), .bounds = placed[1]},
  };
  // clang-format on
  ui::CreateControls(*this, table);
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
