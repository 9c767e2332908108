#include "MessageForm.h"

#include <algorithm>

#include "PngResource.h"
#include "ScreenMonitorManager.h"
#include "MessageFormRules.h"
#include "ui/Application.h"

namespace wizard {
namespace {

constexpr wchar_t kClassName[] = L"TFMessageform";
constexpr UINT_PTR kStayUpTimer = 1;
constexpr UINT_PTR kStopTimer = 2;
constexpr int kStayUpInterval = 1000;

enum : int {
  kIdOk = 201,
  kIdCancel,
  kIdStop,
  kIdMessage,
  kIdClose,
  kIdSec,
  kIdRealTime,
  kIdNotCheck
};

// The form is designed at 96 pixels per inch.
constexpr int kDesignedPpi = 96;
constexpr int kDesignedClientWidth = 446;
constexpr int kDesignedClientHeight = 138;
constexpr int kButtonsHeight = 24;
constexpr int kCloseHeight = 16;

constexpr DWORD kFormStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = WS_EX_TOPMOST | WS_EX_CONTROLPARENT;

double NowInDays() {
  SYSTEMTIME local;
  ::GetLocalTime(&local);
  FILETIME time;
  ::SystemTimeToFileTime(&local, &time);
  const ULONGLONG ticks = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<double>(ticks) / (10'000'000.0 * 60 * 60 * 24);
}

// An icon of a 16 × 16 glyph with its own alpha.
HICON IconOf(const Bitmap32& glyph) {
  BITMAPV5HEADER header{};
  header.bV5Size = sizeof header;
  header.bV5Width = glyph.width;
  header.bV5Height = -glyph.height;
  header.bV5Planes = 1;
  header.bV5BitCount = 32;
  header.bV5Compression = BI_BITFIELDS;
  header.bV5RedMask = 0x00FF0000;
  header.bV5GreenMask = 0x0000FF00;
  header.bV5BlueMask = 0x000000FF;
  header.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  const HDC screen = ::GetDC(nullptr);
  const HBITMAP color = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                           DIB_RGB_COLORS, &bits, nullptr, 0);
  ::ReleaseDC(nullptr, screen);
  if (color == nullptr) {
    return nullptr;
  }
  // Icons take premultiplied colours.
  auto* out = static_cast<std::uint32_t*>(bits);
  for (size_t i = 0; i < glyph.pixels.size(); ++i) {
    const std::uint32_t p = glyph.pixels[i];
    const std::uint32_t a = p >> 24;
    const std::uint32_t r = ((p >> 16) & 0xFF) * a / 255;
    const std::uint32_t g = ((p >> 8) & 0xFF) * a / 255;
    const std::uint32_t b = (p & 0xFF) * a / 255;
    out[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
  const HBITMAP mask = ::CreateBitmap(glyph.width, glyph.height, 1, 1, nullptr);
  ICONINFO info{TRUE, 0, 0, mask, color};
  const HICON icon = ::CreateIconIndirect(&info);
  ::DeleteObject(mask);
  ::DeleteObject(color);
  return icon;
}

}  // namespace

TFMessageform::TFMessageform() : stopInterval_(kDefaultStopIntervalMs) {
  CreateForm();
}

TFMessageform::~TFMessageform() {
  for (HICON icon : glyphs_) {
    if (icon != nullptr) {
      ::DestroyIcon(icon);
    }
  }
}

int TFMessageform::Scaled(int designed) const {
  return ScaleDesigned(designed, ppi_, kDesignedPpi);
}

void TFMessageform::CreateForm() {
  ppi_ = vr::myScreen && vr::myScreen->PixelsPerInch > 0 ? vr::myScreen->PixelsPerInch : 96;
  RegisterWindowClass(kClassName);
  RECT frame{0, 0, Scaled(kDesignedClientWidth), Scaled(kDesignedClientHeight)};
  ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  Create(kClassName, L"", kFormStyle, kFormExStyle,
         {0, 0, frame.right - frame.left, frame.bottom - frame.top}, nullptr);
  font_ = ui::MakeFont(L"Tahoma", Scaled(10));
  messageFont_ = ui::MakeFont(L"Tahoma", ScaleDesigned(10, ppi_, 72));  // 10 points
  ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);

  RECT client;
  ::GetClientRect(Handle(), &client);
  const int width = client.right;
  pnlButtons.Create(L"TPanel", L"", {0, 0, width, Scaled(kButtonsHeight)}, Handle());
  pnlClose.Create(L"TPanel", L"", {0, 0, width, Scaled(kCloseHeight)}, Handle());
  for (ui::Container* panel : {&pnlButtons, &pnlClose}) {
    panel->SetColor(::GetSysColor(COLOR_BTNFACE));
  }
  const HFONT font = font_.Get();
  const int stopWidth = Scaled(80);
  const int closeWidth = Scaled(130);
  ui::CreateControls({
      {&lblMessage,
       L"Static",
       L"",
       WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
       {Scaled(8), 0, width - Scaled(16), Scaled(40)},
       Handle(),
       kIdMessage,
       messageFont_.Get()},
      {&btnCancel,
       L"Button",
       L"Отмена",
       WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
       {0, 0, Scaled(73), Scaled(kButtonsHeight)},
       pnlButtons.Handle(),
       kIdCancel,
       font},
      {&btnOK,
       L"Button",
       L"OK",
       WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
       {width - Scaled(70), 0, Scaled(70), Scaled(kButtonsHeight)},
       pnlButtons.Handle(),
       kIdOk,
       font},
      {&btnStop,
       L"Button",
       L"остановить",
       WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
       {0, 0, stopWidth, Scaled(kCloseHeight)},
       pnlClose.Handle(),
       kIdStop,
       font},
      {&lblClose,
       L"Static",
       L"Окно закроется через",
       WS_VISIBLE | SS_CENTER | SS_NOPREFIX,
       {stopWidth, 0, closeWidth, Scaled(kCloseHeight)},
       pnlClose.Handle(),
       kIdClose,
       font},
      {&lblSec,
       L"Static",
       L"  сек",
       WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
       {stopWidth + closeWidth, 0, Scaled(60), Scaled(kCloseHeight)},
       pnlClose.Handle(),
       kIdSec,
       font},
      // Kept with the form for the complex's other programs; nothing here shows or reads them.
      {&cbRealTime,
       L"Button",
       L"Обработка программой анализа в реальном времени",
       BS_AUTOCHECKBOX,
       {0, 0, width, Scaled(17)},
       Handle(),
       kIdRealTime,
       font},
      {&cbnotChek,
       L"Button",
       L"Не проверять ФИО в регистраторе, выбирать запись для считывания вручную",
       BS_AUTOCHECKBOX,
       {0, 0, width, Scaled(17)},
       Handle(),
       kIdNotCheck,
       font},
  });
  try {
    for (const Bitmap32& glyph : LoadGlyphs()) {
      glyphs_.push_back(IconOf(glyph));
    }
  } catch (...) {
    // A button without its glyph still works.
  }
  if (glyphs_.size() > 2) {
    ::SendMessageW(btnCancel.Handle(), BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(glyphs_[0]));
    ::SendMessageW(btnOK.Handle(), BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(glyphs_[2]));
  }
}

bool TFMessageform::Showmes(const std::wstring& Text, TMessageType tip,
                            const std::wstring& CaptionText, bool smodal) {
  FShowResult = false;
  FMessageTtype = tip;
  FMessageText = Text;
  FCaptionText = CaptionText;
  Fsmodal = smodal;
  btnCancel.SetVisible(tip == TMessageType::mtDialog);
  btnOK.SetVisible(true);
  if (!smodal) {
    btnOK.SetVisible(false);
    btnStop.SetVisible(false);
    btnCancel.SetVisible(false);
  }
  FormShow();
  closed_ = false;
  if (smodal) {
    ui::Application::Instance().RunModal(Handle(), closed_);
  } else {
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  }
  const bool result = FShowResult;
  ::UpdateWindow(Handle());
  return result;
}

void TFMessageform::FormShow() {
  if (Fsmodal) {
    ::SetTimer(Handle(), kStayUpTimer, kStayUpInterval, nullptr);
    ::SetTimer(Handle(), kStopTimer, static_cast<UINT>(stopInterval_), nullptr);
  } else {
    ::KillTimer(Handle(), kStayUpTimer);
    ::KillTimer(Handle(), kStopTimer);
    lblClose.SetVisible(false);
    lblSec.SetVisible(false);
  }

  RECT client;
  ::GetClientRect(Handle(), &client);
  const int width = client.right;
  lblMessage.SetText(FMessageText);
  ::SetWindowTextW(Handle(), FCaptionText.c_str());
  const int messageHeight =
      ui::WrappedTextHeight(Handle(), messageFont_.Get(), FMessageText, width - Scaled(16));
  const int buttonsHeight = Scaled(kButtonsHeight);
  const int closeHeight = Scaled(kCloseHeight);
  const int height = TimedMessageHeight(messageHeight, buttonsHeight, closeHeight);

  RECT window;
  ::GetWindowRect(Handle(), &window);
  const int formWidth = window.right - window.left;
  int left = 0;
  int top = 0;
  if (vr::myScreen) {
    const vr::TMonitor monitor = vr::myScreen->GetMonitor(vr::myScreen->Monitornumber);
    const Point origin = TimedMessageOrigin(monitor.Left, vr::myScreen->Width, vr::myScreen->Height,
                                            formWidth, height);
    left = origin.x;
    top = origin.y;
  }
  ::SetWindowPos(Handle(), HWND_TOPMOST, left, top, formWidth, height, SWP_NOACTIVATE);

  // The message on top, the buttons under it, the countdown strip 2 pixels below the buttons.
  ::GetClientRect(Handle(), &client);
  const int closeTop = client.bottom - closeHeight - Scaled(4);
  const int buttonsTop = closeTop - 2 - buttonsHeight;
  lblMessage.SetBounds(
      {Scaled(8), Scaled(4), width - Scaled(16), std::max(messageHeight, buttonsTop - Scaled(8))});
  ::MoveWindow(pnlButtons.Handle(), 0, buttonsTop, width, buttonsHeight, TRUE);
  btnOK.SetBounds({width - Scaled(70) - Scaled(10), 0, Scaled(70), buttonsHeight});
  btnCancel.SetBounds({Scaled(10), 0, Scaled(73), buttonsHeight});
  ::ShowWindow(pnlClose.Handle(), SW_SHOW);
  ::MoveWindow(pnlClose.Handle(), 0, buttonsTop + buttonsHeight + 2, width, closeHeight, TRUE);
  BringToFront();
  tt = NowInDays();
  (btnOK.Visible() ? btnOK : btnStop).Focus();
}

void TFMessageform::BringToFront() {
  ::SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT TFMessageform::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT face = 0;
  if (DialogFace(message, wParam, face)) {
    return face;
  }
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kIdOk:
        case IDOK:
          if (btnOK.Visible()) {
            btnOKClick();
          }
          break;
        case kIdCancel:
          btnCancelClick();
          break;
        case IDCANCEL:
          FormClose();
          break;
        case kIdStop:
          btnStopClick();
          break;
        default:
          break;
      }
      return 0;
    case WM_TIMER:
      if (wParam == kStayUpTimer) {
        StayUpTimerTimer();
      } else if (wParam == kStopTimer) {
        StopTimerTimer();
      }
      return 0;
    case WM_CLOSE:
      FormClose();
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

void TFMessageform::FormClose() {
  ::KillTimer(Handle(), kStayUpTimer);
  ::KillTimer(Handle(), kStopTimer);
  closed_ = true;
  ::ShowWindow(Handle(), SW_HIDE);
}

void TFMessageform::btnOKClick() {
  FShowResult = true;
  FormClose();
}

void TFMessageform::btnCancelClick() {
  FShowResult = false;
  FormClose();
}

void TFMessageform::btnStopClick() {
  ::KillTimer(Handle(), kStopTimer);
  ::ShowWindow(pnlClose.Handle(), SW_HIDE);
}

void TFMessageform::StayUpTimerTimer() {
  if (!::IsWindowVisible(Handle())) {
    return;
  }
  BringToFront();
  lblSec.SetText(CountdownCaption(CountdownSecondsLeft(stopInterval_, NowInDays() - tt)));
}

void TFMessageform::StopTimerTimer() {
  btnCancelClick();
}

bool ShowTimedMessage(const std::wstring& Text, TMessageType Kind, const std::wstring& Caption,
                      int Seconds) {
  const int interval = StopIntervalFor(Seconds);
  TFMessageform form;
  form.SetStopInterval(interval);
  return form.Showmes(Text, Kind, Caption, true);
}

}  // namespace wizard
