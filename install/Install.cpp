// Install: the setup wizard of the complex. It installs from its own folder (the installation
// medium) into the folder the operator chooses. No command line is read; one thread does
// everything, the installation included.
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include "Main.h"
#include "MainTexts.h"
#include "MessageDialog.h"
#include "MessageDialogRules.h"
#include "ScreenMonitorManager.h"
#include "SharedUnits.h"
#include "WaitRun.h"
#include "engine/InstallRequest.h"
#include "kit/KitStartup.h"
#include "os/win32/ComApartment.h"
#include "os/win32/Win32InstallationLock.h"
#include "os/win32/Win32Platform.h"
#include "ui/Application.h"

namespace {

// The top-level error box: the application title, the error icon, OK; the program runs on.
void ShowApplicationError(const std::wstring& message) {
  wizard::ShowMessageDialog(wizard::FMain != nullptr ? wizard::FMain->Handle() : nullptr,
                            ui::Application::Instance().Title(), wizard::ErrorBoxText(message),
                            wizard::DialogIcon::kError, wizard::DialogButtons::kOk);
}

// Another installation holds the lock: the operator is told, and a wizard that runs in this
// session comes to the front (an InstallCli or another session's wizard has no window here).
int RefuseSecondInstallation() {
  wizard::ShowWarningMessage(nullptr, wizard::texts::kAlreadyRunning);
  if (const HWND running = ::FindWindowW(L"TFMain", nullptr); running != nullptr) {
    if (::IsIconic(running)) {
      ::ShowWindow(running, SW_RESTORE);
    }
    ::SetForegroundWindow(::GetLastActivePopup(running));
  }
  return os::kInstallationAlreadyRunning;
}

int RunWizard() {
  ui::Application& application = ui::Application::Instance();
  application.SetTitle(wizard::texts::kApplicationTitle);
  application.SetErrorHandler(&ShowApplicationError);
  // One installation at a time, for the whole life of the wizard.
  os::win32::Win32InstallationLock lock;
  if (!lock.TryTake()) {
    return RefuseSecondInstallation();
  }
  os::win32::Win32Platform platform;
  const vr::SharedUnits sharedUnits(platform.Get());
  // The program's own folder becomes the current folder: a relative target folder is taken
  // relative to the medium.
  ::SetCurrentDirectoryW(engine::FolderOfFile(platform.Get().system.ModuleFileName()).c_str());
  vr::InitializeScreen(platform.Get().display);
  vr::SelectMonitor(0);

  const os::win32::ComApartment com;
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);

  wizard::TFMain main(platform.Get());
  try {
    main.CreateAndShow();
  } catch (...) {
    application.HandleException();
    if (!main.Exists()) {
      return 1;
    }
    ::ShowWindow(main.Handle(), SW_SHOW);
  }
  wizard::TFWaitRun waitRun;
  wizard::FWaitRun = &waitRun;
  const int exitCode = application.Run();
  wizard::FWaitRun = nullptr;
  vr::FinalizeScreen();
  return exitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  kit::HardenDllSearch();
  try {
    return RunWizard();
  } catch (...) {
    ui::Application::Instance().HandleException();
    return 1;
  }
}
