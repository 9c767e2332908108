#pragma once
// The wizard's main window: the painted background, the information pane and the page control
// with the six pages of the wizard, and the progress operations through which the installation
// engine reports to the operator.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

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

  // Creates the window (FormCreate) and shows it centred on the screen.
  void CreateAndShow();

  // IInstallProgress, on LogList, the application and the message dialogs.
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
  void FormCreate();
  void CreateControls();
  void LoadInformationDocument();
  void ApplyTitleColor();
  void ShowPage(ui::Container& page);
  bool FormCloseQuery() const { return FCanClose; }
  void Close();
  void OnCommand(int id, int code);
  LRESULT OnControlColor(HDC dc, HWND control);
  void OnPaint();

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
  // The line that shows a copy's percentage, and its text without it.
  int percentLine_ = -1;
  std::wstring percentLineText_;
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
};

// The program's one main window.
extern TFMain* FMain;

}  // namespace wizard
