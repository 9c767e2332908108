#include "MessageForm.h"

#include "MessageFormRules.h"
#include "PngResource.h"
#include "ScreenMonitorManager.h"
#include "ui/Application.h"

namespace wizard {
namespace {

constexpr wchar_t kClassName[] = L"TFMessageform";
constexpr UINT_PTR kStayUpTimer = 1;
constexpr UINT_PTR kStopTimer = 2;
constexpr int kStayUpInterval = 1000;

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
ui::Icon IconOf(const Bitmap32& glyph) {
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
  const ui::Bitmap color(::CreateDIBSection(ui::WindowDc(nullptr).Get(),
                                            reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS,
                                            &bits, nullptr, 0));
  if (!color) {
    return {};
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
  const ui::Bitmap mask(::CreateBitmap(glyph.width, glyph.height, 1, 1, nullptr));
  ICONINFO info{TRUE, 0, 0, mask.Get(), color.Get()};
  return ui::Icon(::CreateIconIndirect(&info));
}

// The width of a label that sizes itself to its text.
int TextWidth(const ui::Control& label, HFONT font) {
  const ui::WindowDc dc(label.Handle());
  const ui::SelectedObject selected(dc.Get(), font);
  const std::wstring text = label.Text();
  SIZE extent{};
  ::GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
  return extent.cx;
}

}  // namespace

TFMessageform::TFMessageform() : ui::Form(kDesignedPpi), stopInterval_(kDefaultStopIntervalMs) {
  CreateForm();
}

TFMessageform::~TFMessageform() = default;

void TFMessageform::CreateForm() {
  RegisterWindowClass(kClassName);
  RECT frame{0, 0, Scaled(kDesignedClientWidth), Scaled(kDesignedClientHeight)};
  ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  Create(kClassName, L"", kFormStyle, kFormExStyle,
         {0, 0, frame.right - frame.left, frame.bottom - frame.top}, nullptr);
  font_ = ui::MakeFont(L"Tahoma", Scaled(10));
  messageFont_ = ui::MakeFont(L"Tahoma", ScaleDesigned(10, ScreenPpi(), 72));  // 10 points
  ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font_.Get()), FALSE);
  pnlButtons.Create(L"TPanel", L"", {}, Handle());
  pnlClose.Create(L"TPanel", L"", {}, Handle());
  for (ui::Container* panel : {&pnlButtons, &pnlClose}) {
    panel->SetColor(::GetSysColor(COLOR_BTNFACE));
  }
  const HFONT font = font_.Get();
  using enum ui::Kind;
  // Placed by Layout; the two check boxes are kept with the form for the complex's other
  // programs, and nothing here shows or reads them.
  // clang-format off
  const std::vector<ui::ControlRow<TFMessageform>> table{
      {.field = &lblMessage, .kind = kLabel, .font = messageFont_.Get()},
      {.field = &btnCancel, .in = &pnlButtons, .kind = kButton, .text = L"Отмена", .font = font, .onClick = &TFMessageform::btnCancelClick},
      {.field = &btnOK, .in = &pnlButtons, .kind = kDefaultButton, .text = L"OK", .font = font, .onClick = &TFMessageform::btnOKClick},
      {.field = &RzBorder1, .in = &pnlButtons, .kind = kLabel},
      {.field = &btnStop, .in = &pnlClose, .kind = kButton, .text = L"остановить", .font = font, .onClick = &TFMessageform::btnStopClick},
      {.field = &lblClose, .in = &pnlClose, .kind = kFittedLabel, .text = L"Окно закроется через", .font = font},
      {.field = &lblSec, .in = &pnlClose, .kind = kFittedLabel, .text = L"  сек", .font = font},
      {.field = &cbRealTime, .kind = kCheckBox, .text = L"Обработка программой анализа в реальном времени", .font = font, .hidden = true},
      {.field = &cbnotChek, .kind = kCheckBox, .text = L"Не проверять ФИО в регистраторе, выбирать запись для считывания вручную", .font = font, .hidden = true},
  };
  // clang-format on
  ui::CreateControls(*this, table);
  try {
    for (const Bitmap32& glyph : LoadGlyphs()) {
      glyphs_.push_back(IconOf(glyph));
    }
  } catch (...) {
    // A button without its glyph still works.
  }
  if (glyphs_.size() > 2) {
    ::SendMessageW(btnCancel.Handle(), BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(glyphs_[0].Get()));
    ::SendMessageW(btnOK.Handle(), BM_SETIMAGE, IMAGE_ICON,
                   reinterpret_cast<LPARAM>(glyphs_[2].Get()));
  }
}

void TFMessageform::Layout() {
  RECT client;
  ::GetClientRect(Handle(), &client);
  const ui::Bounds area{0, 0, client.right, client.bottom};
  const int messageHeight =
      ui::WrappedTextHeight(Handle(), messageFont_.Get(), FMessageText, area.width);
  const std::vector<ui::Bounds> form = ui::DockLayout(
      area, {{ui::Dock::kTop, messageHeight},
             {ui::Dock::kBottom, Scaled(kCloseHeight), ui::HasVisibleStyle(pnlClose.Handle())},
             {ui::Dock::kBottom, Scaled(kButtonsHeight)}});
  lblMessage.SetBounds(form[0]);
  pnlClose.SetBounds(form[1]);
  pnlButtons.SetBounds(form[2]);

  const std::vector<ui::Bounds> buttons =
      ui::DockLayout({0, 0, form[2].width, form[2].height},
                     {{ui::Dock::kLeft, Scaled(73), ui::HasVisibleStyle(btnCancel.Handle())},
                      {ui::Dock::kRight, Scaled(70)},
                      {ui::Dock::kRight, Scaled(10)}});
  btnCancel.SetBounds(buttons[0]);
  btnOK.SetBounds(buttons[1]);
  RzBorder1.SetBounds(buttons[2]);

  const HFONT font = font_.Get();
  const std::vector<ui::Bounds> strip = ui::DockLayout(
      {0, 0, form[1].width, form[1].height}, {{ui::Dock::kLeft, Scaled(80)},
                                              {ui::Dock::kLeft, TextWidth(lblClose, font)},
                                              {ui::Dock::kLeft, TextWidth(lblSec, font)}});
  btnStop.SetBounds(strip[0]);
  lblClose.SetBounds(strip[1]);
  lblSec.SetBounds(strip[2]);
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
    ui::Application::Instance().RunModal(Handle(), btnOK.Handle(), closed_);
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

  ::ShowWindow(pnlClose.Handle(), SW_SHOW);
  lblMessage.SetText(FMessageText);
  ::SetWindowTextW(Handle(), FCaptionText.c_str());
  RECT window;
  ::GetWindowRect(Handle(), &window);
  const int formWidth = window.right - window.left;
  RECT client;
  ::GetClientRect(Handle(), &client);
  const int height = TimedMessageHeight(
      ui::WrappedTextHeight(Handle(), messageFont_.Get(), FMessageText, client.right),
      Scaled(kButtonsHeight), Scaled(kCloseHeight));
  Point origin{};
  if (vr::myScreen) {
    const vr::TMonitor monitor = vr::myScreen->GetMonitor(vr::myScreen->Monitornumber);
    origin = TimedMessageOrigin(monitor.Left, vr::myScreen->Width, vr::myScreen->Height, formWidth,
                                height);
  }
  // The size change lays the controls out (WM_SIZE).
  ::SetWindowPos(Handle(), HWND_TOPMOST, origin.x, origin.y, formWidth, height, SWP_NOACTIVATE);
  Layout();
  BringToFront();
  tt = NowInDays();
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
      if (ControlClicked(wParam, lParam)) {
        return 0;
      }
      // Enter presses "OK" where it is offered; Esc closes as the close box does.
      if (LOWORD(wParam) == IDOK && ui::HasVisibleStyle(btnOK.Handle())) {
        btnOKClick();
      } else if (LOWORD(wParam) == IDCANCEL) {
        FormClose();
      }
      return 0;
    case WM_SIZE:
      Layout();
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
  if (!Fsmodal) {
    ::ShowWindow(Handle(), SW_HIDE);  // a modal form is hidden by its modal loop
  }
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
  Layout();
}

void TFMessageform::StayUpTimerTimer() {
  if (!::IsWindowVisible(Handle())) {
    return;
  }
  BringToFront();
  lblSec.SetText(CountdownCaption(CountdownSecondsLeft(stopInterval_, NowInDays() - tt)));
  Layout();  // the label sizes itself to its text
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
