// The wizard's pages: showing one, the keys of the current page, and what each button does.
#include "Main.h"

#include "Error.h"
#include "FontSize.h"
#include "FontSizeRules.h"
#include "MainTexts.h"
#include "MessageDialog.h"
#include "MessageForm.h"
#include "VR_Common_Proc.h"
#include "engine/InstallRequest.h"
#include "engine/Installation.h"
#include "engine/InstallerStrings.h"
#include "engine/MediumManifest.h"
#include "engine/TargetFolder.h"

namespace wizard {

void TFMain::ShowPage(ui::Container& sheet) {
  for (const Page& page : pages_) {
    if (page.sheet == &sheet) {
      current_ = &page;
    } else {
      ::ShowWindow(page.sheet->Handle(), SW_HIDE);
    }
  }
  ::ShowWindow(sheet.Handle(), SW_SHOW);
  ::UpdateWindow(sheet.Handle());
  if (current_ != nullptr && current_->onShow != nullptr) {
    (this->*current_->onShow)();
  }
}

void TFMain::PageKey(int command) {
  if (current_ == nullptr) {
    return;
  }
  ui::Control* button = command == IDOK       ? current_->enter
                        : command == IDCANCEL ? current_->escape
                                              : nullptr;
  if (button != nullptr && button->Enabled()) {
    button->Click();
  }
}

void TFMain::BtnStartNextClick() {
  ShowPage(tsInputPath);
  ePath.Focus();
}

void TFMain::BtnInputPathNextClick() {
  const engine::TargetFolderCheck check = engine::CheckTargetFolder(ePath.Text());
  ClearProgress();
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
  // A malformed manifest is met before the target folder is made, not after.
  try {
    engine::ReadMediumManifest(platform_.fs, engine::InstallerFolder(platform_.system));
  } catch (const engine::MediumFileError& error) {
    ShowErrorMessage(Handle(), WithClosingFullStop(error.Message()));
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
  ClearProgress();
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

}  // namespace wizard
