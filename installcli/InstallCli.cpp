// InstallCli: the installation engine without a window, for unattended installations. It lies on
// the installation medium beside Install.exe and installs from its own folder:
//   InstallCli.exe [--dry-run] [--windows-xp] [--no-driver] [--yes] [target-folder]
// Standard output carries the progress list, standard error everything else. It never restarts
// the computer.
#include <objbase.h>
#include <windows.h>

#include "CliOptions.h"
#include "CliRun.h"
#include "SharedUnits.h"
#include "Win32Console.h"
#include "engine/Installation.h"
#include "kit/KitStartup.h"
#include "os/win32/ComApartment.h"
#include "os/win32/Win32Platform.h"
#include "text/Utf.h"

int main() {
  kit::HardenDllSearch();
  cli::Win32Console console;
  try {
    os::win32::Win32Platform platform;
    const vr::SharedUnits sharedUnits(platform.Get());
    const os::win32::ComApartment com;
    return cli::RunCli(cli::SplitCommandLine(::GetCommandLineW()), console, platform.Get(),
                       engine::RunInstallation);
  } catch (const std::exception& e) {
    console.WriteError(cli::ErrorText(text::FromUtf8(e.what())) + L"\r\n");
  } catch (...) {
    console.WriteError(L"Неизвестная ошибка.\r\n");
  }
  return cli::kFailed;
}
