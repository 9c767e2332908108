#include "Main.h"

#include <commctrl.h>
#include <richedit.h>
#include <shlobj.h>

#include "Error.h"
#include "FontSize.h"
#include "FontSizeRules.h"
#include "MainBackground.h"
#include "MainTexts.h"
#include "MessageDialog.h"
#include "MessageForm.h"
#include "ScreenMonitorManager.h"
#include "VR_Common_Proc.h"
#include "VR_Common_Var.h"
#include "engine/InstallRequest.h"
#include "engine/Installation.h"
#include "engine/InstallerStrings.h"
#include "engine/TargetFolder.h"
#include "os/win32/SystemLibrary.h"
#include "ui/Application.h"

namespace wizard {

TFMain* FMain = nullptr;

namespace {

constexpr wchar_t kClassName[] = L"TFMain";
constexpr int kClientWidth = 954;
constexpr int kClientHeight = 579;

// Control identifiers: one per control that sends commands.
enum ControlId : int {
  kIdRichEdit = 1001,
  kIdMemoStart,
  kIdBtnCancel,
  kIdBtnStartNext,
  kIdMemoInputPath,
  kIdePath,
  kIdBtnSelectPath,
  kIdBtnCancel2,
  kIdBtnInputPathNext,
  kIdMemoInputComponents,
  kIdCbDriverInstal,
  kIdCBWindows,
  kIdBtnCancel4,
  kIdBtnInputComponentsBack,
  kIdBtnInsatall,
  kIdLogList,
  kIdBtnExit,
  kIdMemoCancel,
  kIdBtnExitCancel,
  kIdMemoChangeFontSize,
  kIdBtnChangeFont,
  kIdBtnExitOnChangefont,
};

// Inside a page of 619 × 441: the memo above, the buttons along the foot.
constexpr int kPageWidth = 619;
constexpr int kPageHeight = 441;
constexpr int kMargin = 12;
constexpr int kButtonHeight = 27;
constexpr int kFootTop = kPageHeight - kMargin - kButtonHeight;
constexpr int kContentWidth = kPageWidth - 2 * kMargin;
constexpr int kButtonWidth = 100;
constexpr int kWideButtonWidth = 150;
constexpr ui::Bounds kFootLeft{kMargin, kFootTop, kButtonWidth, kButtonHeight};
constexpr ui::Bounds kFootRight{kPageWidth - kMargin - kButtonWidth, kFootTop, kButtonWidth,
                                kButtonHeight};
constexpr ui::Bounds kPageArea{0, 0, kPageWidth, kPageHeight};
constexpr ui::Bounds kAboveFoot{kMargin, kMargin, kContentWidth, kFootTop - 2 * kMargin};

constexpr DWORD kMemoStyle = WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kMaroon = RGB(128, 0, 0);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The shell's item identifier list, freed with the task allocator.
struct ItemIdList {
  PIDLIST_ABSOLUTE list = nullptr;
  ~ItemIdList() { ::CoTaskMemFree(list); }
};

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
  constexpr DWORD style =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  // Centred on the screen (the primary monitor).
  const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  Create(kClassName, texts::kMainCaption, style, WS_EX_CONTROLPARENT, {left, top, width, height},
         nullptr);
  FormCreate();
  ::ShowWindow(Handle(), SW_SHOW);
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

  // The information pane: a rich-text box of the system's rich edit library.
  richEditLibrary_ = os::win32::LoadSystemLibrary(L"Msftedit.dll");
  ui::CreateControls({
      {&RichEdit1,
       richEditLibrary_ != nullptr ? MSFTEDIT_CLASS : L"RichEdit20W",
       L"",
       WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
       {16, 110, 282, 441},
       Handle(),
       kIdRichEdit,
       windowFont_.Get()},
  });
  InsatallPages.Create(L"TPageControl", L"InsatallPages", {320, 110, 619, 441}, Handle());
  for (ui::Container* page : {&tsStart, &tsInputPath, &tsInputComponents, &tsProgressInstall,
                              &tsCancel, &tsChangeFontSize}) {
    page->Create(L"TTabSheet", L"", kPageArea, InsatallPages.Handle(), false);
  }
  PnlPath.Create(L"TPanel", L"", {kMargin, 128, kContentWidth, 44}, tsInputPath.Handle());
  PnlComponents.Create(L"TPanel", L"", {kMargin, 318, kContentWidth, 40},
                       tsInputComponents.Handle());

  const int pathFieldWidth = kContentWidth - 3 * 8 - kButtonWidth;
  ui::CreateControls({
      // Start page.
      {&MemoStart, L"Edit", ui::JoinLines(texts::kMemoStart), kMemoStyle, kAboveFoot,
       tsStart.Handle(), kIdMemoStart, serif},
      {&BtnCancel, L"Button", texts::kCancel, kButtonStyle, kFootLeft, tsStart.Handle(),
       kIdBtnCancel, tahoma},
      {&BtnStartNext, L"Button", texts::kNext, kButtonStyle | BS_DEFPUSHBUTTON, kFootRight,
       tsStart.Handle(), kIdBtnStartNext, tahoma},
      // Path page.
      {&MemoInputPath,
       L"Edit",
       ui::JoinLines(texts::kMemoInputPath),
       kMemoStyle,
       {kMargin, kMargin, kContentWidth, 104},
       tsInputPath.Handle(),
       kIdMemoInputPath,
       serif},
      {&ePath,
       L"Edit",
       L"",
       WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL,
       {8, 10, pathFieldWidth, 24},
       PnlPath.Handle(),
       kIdePath,
       tahoma},
      {&BtnSelectPath,
       L"Button",
       texts::kSelect,
       kButtonStyle,
       {8 + pathFieldWidth + 8, 8, kButtonWidth, kButtonHeight},
       PnlPath.Handle(),
       kIdBtnSelectPath,
       tahoma},
      {&BtnCancel2, L"Button", texts::kCancel, kButtonStyle, kFootLeft, tsInputPath.Handle(),
       kIdBtnCancel2, tahoma},
      {&BtnInputPathNext, L"Button", texts::kNext, kButtonStyle | BS_DEFPUSHBUTTON, kFootRight,
       tsInputPath.Handle(), kIdBtnInputPathNext, tahoma},
      // Components page.
      {&MemoInputComponents,
       L"Edit",
       ui::JoinLines(texts::kMemoInputComponents),
       kMemoStyle,
       {kMargin, kMargin, kContentWidth, 300},
       tsInputComponents.Handle(),
       kIdMemoInputComponents,
       tahoma},
      {&CbDriverInstal,
       L"Button",
       texts::kDriverCheckBox,
       WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
       {8, 10, 260, 22},
       PnlComponents.Handle(),
       kIdCbDriverInstal,
       tahoma},
      {&CBWindows,
       WC_COMBOBOXW,
       L"",
       WS_TABSTOP | CBS_DROPDOWNLIST,
       {300, 8, 200, 200},
       PnlComponents.Handle(),
       kIdCBWindows,
       tahoma},
      {&BtnCancel4, L"Button", texts::kCancel, kButtonStyle, kFootLeft, tsInputComponents.Handle(),
       kIdBtnCancel4, tahoma},
      {&BtnInputComponentsBack,
       L"Button",
       texts::kBack,
       kButtonStyle,
       {kPageWidth - kMargin - kWideButtonWidth - 8 - kButtonWidth, kFootTop, kButtonWidth,
        kButtonHeight},
       tsInputComponents.Handle(),
       kIdBtnInputComponentsBack,
       tahoma},
      {&BtnInsatall,
       L"Button",
       texts::kInstall,
       kButtonStyle | BS_DEFPUSHBUTTON,
       {kPageWidth - kMargin - kWideButtonWidth, kFootTop, kWideButtonWidth, kButtonHeight},
       tsInputComponents.Handle(),
       kIdBtnInsatall,
       tahoma},
      // Progress page: the list stays hidden until an installation starts.
      {&LogList, L"ListBox", L"",
       WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | LBS_HASSTRINGS, kAboveFoot,
       tsProgressInstall.Handle(), kIdLogList, tahoma},
      {&BtnExit, L"Button", texts::kExit, kButtonStyle, kFootRight, tsProgressInstall.Handle(),
       kIdBtnExit, tahoma},
      // Cancel page.
      {&MemoCancel,
       L"Edit",
       ui::JoinLines(texts::kMemoCancel),
       kMemoStyle,
       {kMargin, kMargin, kContentWidth, 160},
       tsCancel.Handle(),
       kIdMemoCancel,
       serif},
      {&BtnExitCancel, L"Button", texts::kExit, kButtonStyle | BS_DEFPUSHBUTTON, kFootRight,
       tsCancel.Handle(), kIdBtnExitCancel, tahoma},
      // Font-size page.
      {&MemoChangeFontSize, L"Edit", ui::JoinLines(texts::kMemoChangeFontSize), kMemoStyle,
       kAboveFoot, tsChangeFontSize.Handle(), kIdMemoChangeFontSize, tahoma},
      {&BtnChangeFont,
       L"Button",
       texts::kChangeFont,
       kButtonStyle,
       {kPageWidth - kMargin - kButtonWidth - 8 - 170, kFootTop, 170, kButtonHeight},
       tsChangeFontSize.Handle(),
       kIdBtnChangeFont,
       tahoma},
      {&BtnExitOnChangefont, L"Button", texts::kExit, kButtonStyle, kFootRight,
       tsChangeFontSize.Handle(), kIdBtnExitOnChangefont, tahoma},
  });
  CbDriverInstal.SetChecked(true);
  CBWindows.AddItem(texts::kWindowsFamily0);
  CBWindows.AddItem(texts::kWindowsFamily1);
  CBWindows.SetItemIndex(0);
  LogList.SetItemHeight(18);
}

void TFMain::LoadInformationDocument() {
  const std::string document = MainBackground::InformationDocument();
  struct Reader {
    const std::string* bytes;
    size_t offset;
  } reader{&document, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
  stream.pfnCallback = [](DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) WINAPI -> DWORD {
    auto* r = reinterpret_cast<Reader*>(cookie);
    const size_t left = r->bytes->size() - r->offset;
    const size_t count = std::min(left, static_cast<size_t>(size));
    std::copy_n(r->bytes->data() + r->offset, count, buffer);
    r->offset += count;
    *read = static_cast<LONG>(count);
    return 0;
  };
  ::SendMessageW(RichEdit1.Handle(), EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
}

void TFMain::ApplyTitleColor() {
  titleColor_ = background_->TitleColor();
  titleBrush_ = ui::Brush(::CreateSolidBrush(titleColor_));
  ::SendMessageW(RichEdit1.Handle(), EM_SETBKGNDCOLOR, 0, static_cast<LPARAM>(titleColor_));
  for (ui::Container* page : {&InsatallPages, &tsStart, &tsInputPath, &tsInputComponents,
                              &tsProgressInstall, &tsCancel, &tsChangeFontSize, &PnlComponents}) {
    page->SetColor(titleColor_);
  }
  PnlPath.SetColor(titleColor_);
  PnlPath.SetBorder(titleColor_);
}

void TFMain::ShowPage(ui::Container& page) {
  for (ui::Container* each : {&tsStart, &tsInputPath, &tsInputComponents, &tsProgressInstall,
                              &tsCancel, &tsChangeFontSize}) {
    if (each != &page) {
      ::ShowWindow(each->Handle(), SW_HIDE);
    }
  }
  ::ShowWindow(page.Handle(), SW_SHOW);
  ::UpdateWindow(page.Handle());
  if (&page == &tsInputComponents) {
    tsInputComponentsShow();
  }
}

// --- Closing ---

void TFMain::Close() {
  ::PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

LRESULT TFMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
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

LRESULT TFMain::OnControlColor(HDC dc, HWND control) {
  COLORREF text = kBlack;
  if (control == MemoStart.Handle()) {
    text = kNavy;
  } else if (control == MemoCancel.Handle()) {
    text = kMaroon;
  }
  if (control == ePath.Handle() || control == CBWindows.Handle()) {
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
  }
  ::SetTextColor(dc, text);
  ::SetBkColor(dc, titleColor_);
  return reinterpret_cast<LRESULT>(titleBrush_.Get());
}

void TFMain::OnPaint() {
  ui::PaintDc paint(Handle());
  background_->Paint(paint.Get(), paint.Area());
}

void TFMain::OnCommand(int id, int code) {
  if (code != BN_CLICKED) {
    return;
  }
  switch (id) {
    case kIdBtnStartNext:
      BtnStartNextClick();
      break;
    case kIdBtnSelectPath:
      BtnSelectPathClick();
      break;
    case kIdBtnInputPathNext:
      BtnInputPathNextClick();
      break;
    case kIdBtnInputComponentsBack:
      BtnInputComponentsBackClick();
      break;
    case kIdBtnInsatall:
      BtnInsatallClick();
      break;
    case kIdBtnCancel:
    case kIdBtnCancel2:
    case kIdBtnCancel4:
      BtnCancelClick();
      break;
    case kIdBtnExit:
    case kIdBtnExitCancel:
    case kIdBtnExitOnChangefont:
      BtnExitClick();
      break;
    case kIdBtnChangeFont:
      BtnChangeFontClick();
      break;
    case IDOK:
      // Enter outside a button: the current page's default button.
      for (ui::Control* button : {&BtnStartNext, &BtnInputPathNext, &BtnInsatall, &BtnExitCancel}) {
        if (button->Visible() && button->Enabled()) {
          button->Click();
          return;
        }
      }
      break;
    case IDCANCEL:
      // Esc: the current page's "Отмена".
      for (ui::Control* button : {&BtnCancel, &BtnCancel2, &BtnCancel4}) {
        if (button->Visible() && button->Enabled()) {
          button->Click();
          return;
        }
      }
      break;
    default:
      break;
  }
}

// --- Pages ---

void TFMain::BtnStartNextClick() {
  ShowPage(tsInputPath);
  ePath.Focus();
}

void TFMain::BtnSelectPathClick() {
  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.lpszTitle = texts::kBrowseInstruction;
  browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS | BIF_NONEWFOLDERBUTTON;
  ItemIdList chosen{::SHBrowseForFolderW(&browse)};
  if (chosen.list == nullptr) {
    return;
  }
  wchar_t path[MAX_PATH] = {};
  if (::SHGetPathFromIDListW(chosen.list, path)) {
    ePath.SetText(path);
  }
}

void TFMain::BtnInputPathNextClick() {
  const engine::TargetFolderCheck check = engine::CheckTargetFolder(ePath.Text());
  LogList.Clear();
  LogList.SetVisible(true);
  switch (check.verdict) {
    case engine::TargetFolderCheck::Verdict::kEmpty:
      ShowErrorMessage(Handle(), check.message);
      ePath.Focus();
      return;
    case engine::TargetFolderCheck::Verdict::kDriveRoot:
      ePath.SetText(check.path);
      ShowWarningMessage(Handle(), check.message);
      ePath.Focus();
      return;
    case engine::TargetFolderCheck::Verdict::kAccepted:
      break;
  }
  ePath.SetText(check.path);
  if (const std::wstring onKit = engine::TargetOnKitMessage(
          platform_.fs, check.path, engine::InstallerFolder(platform_.system),
          vr::GetWindowsFolder(platform_.system));
      !onKit.empty()) {
    ShowErrorMessage(Handle(), onKit);
    ePath.Focus();
    return;
  }
  engine::PrepareTargetFolder(platform_.fs, check.path);
  ShowPage(tsInputComponents);
}

void TFMain::tsInputComponentsShow() {
  ShowTimedMessage(texts::kDriverWarning, TMessageType::mtMessage, L"", 0);
}

void TFMain::BtnInputComponentsBackClick() {
  ShowPage(tsInputPath);
}

void TFMain::BtnInsatallClick() {
  engine::InstallRequest request;
  request.TargetPath = engine::TrimControlAndBlanks(ePath.Text());
  LogList.Clear();
  LogList.SetVisible(true);
  ShowPage(tsProgressInstall);
  ProcessMessages();

  Fcopyfrom = engine::InstallerFolder(platform_.system);
  request.Fcopyfrom = Fcopyfrom;
  request.WindowsFamily = CBWindows.ItemIndex();
  request.InstallDriver = CbDriverInstal.Checked();
  request.EditionFlag = EditionFlag;
  const bool complete = engine::RunInstallation(request, *this, platform_);
  if (!complete || !Exists()) {
    return;
  }
  BtnExit.SetEnabled(true);
  if (vr::IsSmallFonts(platform_.display)) {
    ShowPage(tsChangeFontSize);
  } else if (Confirm(texts::kFinalQuestion)) {
    Close();
  }
}

void TFMain::BtnCancelClick() {
  if (!Confirm(texts::kCancelQuestion)) {
    return;
  }
  FCanClose = true;
  ShowPage(tsCancel);
}

void TFMain::BtnExitClick() {
  Close();
}

void TFMain::BtnChangeFontClick() {
  ChangeFontSizeAndOfferRestart(
      platform_.system,
      {.changeSystemFontSize = [] { ChangeSystemFontSize(); },
       .askRestart = [this](const std::wstring& text) { return WarningQuestion(Handle(), text); },
       .closeMainWindow = [this] { Close(); }});
}

// --- Progress operations ---

int TFMain::Add(const std::wstring& text) {
  const int index = LogList.Add(text);
  ::SendMessageW(LogList.Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
  return index;
}

std::wstring TFMain::Get(int index) {
  if (index == percentLine_) {
    return percentLineText_;
  }
  return LogList.Get(index);
}

void TFMain::Put(int index, const std::wstring& text) {
  if (index == percentLine_) {
    percentLine_ = -1;
    percentShown_ = -1;
  }
  if (!LogList.Exists()) {
    return;  // the window was closed during the finishing steps
  }
  LogList.Put(index, text);
}

void TFMain::ProcessMessages() {
  ui::Application::Instance().ProcessMessages();
}

void TFMain::Repaint() {
  LogList.Repaint();
}

void TFMain::ShowError(const std::wstring& text) {
  ShowErrorMessage(Handle(), text);
}

bool TFMain::Confirm(const std::wstring& text) {
  return ConfirmMessage(Handle(), text);
}

void TFMain::SetBusy(bool busy) {
  FCanClose = !busy;
  vr::myScreen->SetCursor(busy ? vr::crHourGlass : vr::crDefault);
  SetShutdownBlock(Handle(), busy, texts::kShutdownBlockReason);
}

void TFMain::CopyProgress(int index, std::uint64_t done, std::uint64_t total) {
  if (!LogList.Exists() || total == 0) {
    return;
  }
  if (index != percentLine_) {
    percentLineText_ = LogList.Get(index);
    percentLine_ = index;
    percentShown_ = -1;
  }
  const int percent = static_cast<int>(done * 100 / total);
  if (percent != percentShown_) {
    percentShown_ = percent;
    LogList.Put(index, percentLineText_ + L" " + std::to_wstring(percent) + L"%");
    LogList.Repaint();
  }
  // Painting, timers and messages sent by the system (its "are you alive" queries) are handled;
  // input waits, so nothing can start a second run or close the window during the copy.
  const std::uint64_t now = ::GetTickCount64();
  if (now - lastBreath_ >= 50) {
    lastBreath_ = now;
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0,
                          PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE | PM_QS_POSTMESSAGE)) {
      if (message.message == WM_QUIT) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        break;
      }
      ::DispatchMessageW(&message);
    }
  }
}

}  // namespace wizard
