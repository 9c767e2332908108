#include "Main.h"

#include <richedit.h>

#include "MainBackground.h"
#include "MainTexts.h"
#include "VR_Common_Var.h"
#include "engine/InstallerStrings.h"
#include "os/win32/SystemLibrary.h"

namespace wizard {

TFMain* FMain = nullptr;

namespace {

constexpr wchar_t kClassName[] = L"TFMain";
constexpr int kClientWidth = 954;
constexpr int kClientHeight = 579;
// A caption with the system menu and its close box; no minimise or maximise box, no sizing.
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// Inside a page of 619 × 441: the memo above, the buttons along the foot.
constexpr int kPageWidth = 619;
constexpr int kPageHeight = 441;
constexpr int kMargin = 12;
constexpr int kButtonHeight = 27;
constexpr int kFootTop = kPageHeight - kMargin - kButtonHeight;
constexpr int kContentWidth = kPageWidth - 2 * kMargin;
constexpr int kButtonWidth = 100;
constexpr int kWideButtonWidth = 150;
constexpr int kGap = 8;
constexpr int kPathFieldWidth = kContentWidth - 3 * kGap - kButtonWidth;
constexpr ui::Bounds kFootLeft{kMargin, kFootTop, kButtonWidth, kButtonHeight};
constexpr ui::Bounds kFootRight{kPageWidth - kMargin - kButtonWidth, kFootTop, kButtonWidth,
                                kButtonHeight};
constexpr ui::Bounds kPageArea{0, 0, kPageWidth, kPageHeight};
constexpr ui::Bounds kAboveFoot{kMargin, kMargin, kContentWidth, kFootTop - 2 * kMargin};

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kMaroon = RGB(128, 0, 0);

}  // namespace

TFMain::TFMain(os::Platform& platform) : platform_(platform) {
  FMain = this;
}

TFMain::~TFMain() {
  if (FMain == this) {
    FMain = nullptr;
  }
}

void TFMain::CreateAndShow() {
  RegisterWindowClass(kClassName);
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, kStyle, FALSE, WS_EX_CONTROLPARENT);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred on the screen (the primary monitor).
  Create(kClassName, texts::kMainCaption, kStyle, WS_EX_CONTROLPARENT,
         {ui::CentredStart(0, ::GetSystemMetrics(SM_CXSCREEN), width),
          ui::CentredStart(0, ::GetSystemMetrics(SM_CYSCREEN), height), width, height},
         nullptr);
  FormCreate();
  ::ShowWindow(Handle(), SW_SHOW);
  ::SetForegroundWindow(Handle());
  ::UpdateWindow(Handle());
}

void TFMain::FormCreate() {
  background_ = std::make_unique<MainBackground>();
  background_->LoadImages();
  EditionFlag = engine::ReadEditionFlag(platform_.system, platform_.locale);
  CreateControls();
  LoadInformationDocument();
  AppNameStr = engine::InstallerString(platform_.system, VR_STR_APP_NAME);
  ePath.SetText(L"C:\\" + AppNameStr);
  FCanClose = true;
  ShowPage(tsStart);
  BtnExit.SetEnabled(false);
  ApplyTitleColor();
  background_->Resize(Handle(), kClientWidth, kClientHeight);
  RichEdit1.SetBounds(background_->RichEditBounds());
  InsatallPages.SetBounds(background_->PagesBounds());
}

void TFMain::CreateControls() {
  windowFont_ = ui::MakeFont(L"MS Sans Serif", 13);
  pagesFont_ = ui::MakeFont(L"Tahoma", 15);
  memoSerifFont_ = ui::MakeFont(L"Times New Roman", 20);
  const HFONT tahoma = pagesFont_.Get();
  const HFONT serif = memoSerifFont_.Get();
  ::SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(windowFont_.Get()), FALSE);
  // The information pane's rich edit library; the older one of the system serves without it.
  richEditLibrary_ = os::win32::LoadSystemLibrary(L"Msftedit.dll");

  InsatallPages.Create(L"TPageControl", L"InsatallPages", {320, 110, 619, 441}, Handle());
  for (const Page& page : pages_) {
    page.sheet->Create(L"TTabSheet", L"", kPageArea, InsatallPages.Handle(), false);
  }
  PnlPath.Create(L"TPanel", L"", {kMargin, 128, kContentWidth, 44}, tsInputPath.Handle());
  PnlComponents.Create(L"TPanel", L"", {kMargin, 318, kContentWidth, 40},
                       tsInputComponents.Handle());

  using enum ui::Kind;
  using ui::JoinLines;
  constexpr COLORREF kSystem = ui::kSystemColours;
  // clang-format off
  const std::vector<ui::ControlRow<TFMain>> table{
      {.field = &RichEdit1, .kind = kRichText, .font = windowFont_.Get(), .bounds = {16, 110, 282, 441}},
      // Start page.
      {.field = &MemoStart, .in = &tsStart, .kind = kMemo, .text = JoinLines(texts::kMemoStart), .font = serif, .bounds = kAboveFoot, .colour = kNavy},
      {.field = &BtnCancel, .in = &tsStart, .kind = kButton, .text = texts::kCancel, .font = tahoma, .bounds = kFootLeft, .onClick = &TFMain::BtnCancelClick},
      {.field = &BtnStartNext, .in = &tsStart, .kind = kDefaultButton, .text = texts::kNext, .font = tahoma, .bounds = kFootRight, .onClick = &TFMain::BtnStartNextClick},
      // Path page.
      {.field = &MemoInputPath, .in = &tsInputPath, .kind = kMemo, .text = JoinLines(texts::kMemoInputPath), .font = serif, .bounds = {kMargin, kMargin, kContentWidth, 104}},
      {.field = &ePath, .in = &PnlPath, .kind = kEdit, .font = tahoma, .bounds = {kGap, 10, kPathFieldWidth, 24}, .colour = kSystem},
      {.field = &BtnSelectPath, .in = &PnlPath, .kind = kButton, .text = texts::kSelect, .font = tahoma, .bounds = {2 * kGap + kPathFieldWidth, 8, kButtonWidth, kButtonHeight}, .onClick = &TFMain::BtnSelectPathClick},
      {.field = &BtnCancel2, .in = &tsInputPath, .kind = kButton, .text = texts::kCancel, .font = tahoma, .bounds = kFootLeft, .onClick = &TFMain::BtnCancelClick},
      {.field = &BtnInputPathNext, .in = &tsInputPath, .kind = kDefaultButton, .text = texts::kNext, .font = tahoma, .bounds = kFootRight, .onClick = &TFMain::BtnInputPathNextClick},
      // Components page.
      {.field = &MemoInputComponents, .in = &tsInputComponents, .kind = kMemo, .text = JoinLines(texts::kMemoInputComponents), .font = tahoma, .bounds = {kMargin, kMargin, kContentWidth, 300}},
      {.field = &CbDriverInstal, .in = &PnlComponents, .kind = kCheckBox, .text = texts::kDriverCheckBox, .font = tahoma, .bounds = {kGap, 10, 260, 22}},
      {.field = &CBWindows, .in = &PnlComponents, .kind = kCombo, .font = tahoma, .bounds = {300, 8, 200, 200}, .colour = kSystem, .hidden = true},
      {.field = &BtnCancel4, .in = &tsInputComponents, .kind = kButton, .text = texts::kCancel, .font = tahoma, .bounds = kFootLeft, .onClick = &TFMain::BtnCancelClick},
      {.field = &BtnInputComponentsBack, .in = &tsInputComponents, .kind = kButton, .text = texts::kBack, .font = tahoma, .bounds = {kPageWidth - kMargin - kWideButtonWidth - kGap - kButtonWidth, kFootTop, kButtonWidth, kButtonHeight}, .onClick = &TFMain::BtnInputComponentsBackClick},
      {.field = &BtnInsatall, .in = &tsInputComponents, .kind = kDefaultButton, .text = texts::kInstall, .font = tahoma, .bounds = {kPageWidth - kMargin - kWideButtonWidth, kFootTop, kWideButtonWidth, kButtonHeight}, .onClick = &TFMain::BtnInsatallClick},
      // Progress page: the list stays hidden until an installation starts.
      {.field = &LogList, .in = &tsProgressInstall, .kind = kList, .font = tahoma, .bounds = kAboveFoot, .hidden = true},
      {.field = &BtnExit, .in = &tsProgressInstall, .kind = kButton, .text = texts::kExit, .font = tahoma, .bounds = kFootRight, .onClick = &TFMain::BtnExitClick},
      // Cancel page.
      {.field = &MemoCancel, .in = &tsCancel, .kind = kMemo, .text = JoinLines(texts::kMemoCancel), .font = serif, .bounds = {kMargin, kMargin, kContentWidth, 160}, .colour = kMaroon},
      {.field = &BtnExitCancel, .in = &tsCancel, .kind = kDefaultButton, .text = texts::kExit, .font = tahoma, .bounds = kFootRight, .onClick = &TFMain::BtnExitClick},
      // Font-size page.
      {.field = &MemoChangeFontSize, .in = &tsChangeFontSize, .kind = kMemo, .text = JoinLines(texts::kMemoChangeFontSize), .font = tahoma, .bounds = kAboveFoot},
      {.field = &BtnChangeFont, .in = &tsChangeFontSize, .kind = kButton, .text = texts::kChangeFont, .font = tahoma, .bounds = {kPageWidth - kMargin - kButtonWidth - kGap - 170, kFootTop, 170, kButtonHeight}, .onClick = &TFMain::BtnChangeFontClick},
      {.field = &BtnExitOnChangefont, .in = &tsChangeFontSize, .kind = kButton, .text = texts::kExit, .font = tahoma, .bounds = kFootRight, .onClick = &TFMain::BtnExitClick},
  };
  // clang-format on
  ui::CreateControls(*this, table);
  CbDriverInstal.SetChecked(true);
  CBWindows.AddItem(texts::kWindowsFamily0);
  CBWindows.AddItem(texts::kWindowsFamily1);
  CBWindows.SetItemIndex(0);
  LogList.SetItemHeight(18);
}

void TFMain::ApplyTitleColor() {
  titleColor_ = background_->TitleColor();
  titleBrush_ = ui::Brush(::CreateSolidBrush(titleColor_));
  ::SendMessageW(RichEdit1.Handle(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(titleColor_));
  InsatallPages.SetColor(titleColor_);
  for (const Page& page : pages_) {
    page.sheet->SetColor(titleColor_);
  }
  PnlComponents.SetColor(titleColor_);
  PnlPath.SetColor(titleColor_);
  PnlPath.SetBorder(titleColor_);
}

void TFMain::Close() {
  ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

LRESULT TFMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (!ControlClicked(wParam, lParam)) {
        PageKey(LOWORD(wParam));
      }
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_ERASEBKGND:
      return 1;  // the background is painted whole on WM_PAINT, without flicker
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SETCURSOR:
      if (!FCanClose) {
        ::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)));  // IDC_WAIT
        return TRUE;
      }
      return DefaultHandling(message, wParam, lParam);
    case WM_CLOSE:
      // Every way of closing comes here: the close box, the system menu, Alt+F4, the exit
      // buttons and the final question.
      if (FormCloseQuery()) {
        ::DestroyWindow(Handle());
      }
      return 0;
    case WM_QUERYENDSESSION:
      // A log-off or shutdown during the busy region is refused like any other close.
      return FCanClose ? TRUE : FALSE;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

// Each control's text colour on the title colour; the edit field and the combo box keep the
// system's colours.
LRESULT TFMain::OnControlColor(HDC dc, HWND control) {
  const ui::Control* shown = ui::Control::From(control);
  if (shown == nullptr || shown->TextColour() == ui::kSystemColours) {
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
  }
  ::SetTextColor(dc, shown->TextColour());
  ::SetBkColor(dc, titleColor_);
  return reinterpret_cast<LRESULT>(titleBrush_.Get());
}

void TFMain::OnPaint() {
  ui::PaintDc paint(Handle());
  background_->Paint(paint.Get(), paint.Area());
}

}  // namespace wizard
