#pragma once
// The wizard's main window: the painted background, the information pane and the page control
// with the six pages of the wizard, and the progress operations through which the installation
// engine reports to the operator. Its code lies in one file per role: Main.cpp (the window and
// its control table), MainPages.cpp (the pages and their buttons), MainProgress.cpp (the
// progress operations), MainInfo.cpp (the information document), MainBrowse.cpp (the folder
// browser), MainBackground.* (the painted background).
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/InstallProgress.h"
#include "os/Platform.h"
#include "ui/Controls.h"
#include "ui/Gdi.h"
#include "ui/Window.h"

namespace wizard {

class MainBackground;

class TFMain final : public ui::Window, public engine::IInstallProgress {
 public:
  explicit TFMain(os::Platform& platform);
  ~TFMain() override;

  // Creates the window (FormCreate), shows it centred on the screen and takes the foreground, as
  // a program the operator has just started does.
  void CreateAndShow();

  // IInstallProgress: the progress page's own lines, shown in LogList.
  int Add(const std::wstring& text) override;
  std::wstring Get(int index) override;
  void Put(int index, const std::wstring& text) override;
  void ProcessMessages() override;
  void Repaint() override;
  void ShowError(const std::wstring& text) override;
  bool Confirm(const std::wstring& text) override;
  void SetBusy(bool busy) override;
  void CopyProgress(int index, std::uint64_t done, std::uint64_t total) override;

  std::wstring Fcopyfrom;
  bool FCanClose = true;
  std::wstring AppNameStr;
  bool EditionFlag = false;

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // A page of InsatallPages: the button that Enter and the one that Esc press there (none where
  // null), and what entering it does.
  struct Page {
    ui::Container* sheet;
    ui::Control* enter = nullptr;
    ui::Control* escape = nullptr;
    void (TFMain::*onShow)() = nullptr;
  };

  void FormCreate();
  void CreateControls();
  void LoadInformationDocument();
  void ApplyTitleColor();
  void ShowPage(ui::Container& page);
  // Enter (IDOK) and Esc (IDCANCEL) on the current page.
  void PageKey(int command);
  bool FormCloseQuery() const { return FCanClose; }
  void Close();
  LRESULT OnControlColor(HDC dc, HWND control);
  void OnPaint();
  void ClearProgress();

  // Handlers.
  void BtnStartNextClick();
  void BtnSelectPathClick();
  void BtnInputPathNextClick();
  void tsInputComponentsShow();
  void BtnInputComponentsBackClick();
  void BtnInsatallClick();
  void BtnCancelClick();
  void BtnExitClick();
  void BtnChangeFontClick();

  os::Platform& platform_;
  std::unique_ptr<MainBackground> background_;
  COLORREF titleColor_ = RGB(236, 236, 235);
  ui::Brush titleBrush_;
  ui::Font windowFont_;
  ui::Font pagesFont_;
  ui::Font memoSerifFont_;
  HMODULE richEditLibrary_ = nullptr;  // kept loaded for the life of the program
  // The progress page's lines; LogList shows them, a copy's line with its percentage.
  std::vector<std::wstring> lines_;
  int percentLine_ = -1;
  int percentShown_ = -1;
  std::uint64_t lastBreath_ = 0;

  ui::Control RichEdit1;
  ui::Container InsatallPages;
  ui::Container tsStart, tsInputPath, tsInputComponents, tsProgressInstall, tsCancel,
      tsChangeFontSize;
  ui::Control MemoStart, BtnCancel, BtnStartNext;
  ui::Control MemoInputPath, ePath, BtnSelectPath, BtnCancel2, BtnInputPathNext;
  ui::Container PnlPath;
  ui::Control MemoInputComponents, CbDriverInstal, BtnCancel4, BtnInputComponentsBack, BtnInsatall;
  ui::Container PnlComponents;
  ui::ComboBox CBWindows;
  ui::ListBox LogList;
  ui::Control BtnExit;
  ui::Control MemoCancel, BtnExitCancel;
  ui::Control MemoChangeFontSize, BtnChangeFont, BtnExitOnChangefont;

  // The six pages in their order, listed once.
  const std::vector<Page> pages_{
      {.sheet = &tsStart, .enter = &BtnStartNext, .escape = &BtnCancel},
      {.sheet = &tsInputPath, .enter = &BtnInputPathNext, .escape = &BtnCancel2},
      {.sheet = &tsInputComponents,
       .enter = &BtnInsatall,
       .escape = &BtnCancel4,
       .onShow = &TFMain::tsInputComponentsShow},
      {.sheet = &tsProgressInstall},
      {.sheet = &tsCancel, .enter = &BtnExitCancel},
      {.sheet = &tsChangeFontSize},
  };
  const Page* current_ = nullptr;
};

// The program's one main window.
extern TFMain* FMain;

}  // namespace wizard
