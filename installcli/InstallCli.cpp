// InstallCli: the installation engine without a window, for unattended installations. It lies on
// the installation medium beside Install.exe and installs from its own folder:
//   InstallCli.exe [--dry-run] [--windows-xp] [--no-driver] [--yes] [--reinstall] [--log <file>]
//                  [target-folder]
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
#include "os/win32/Win32InstallationLock.h"
#include "os/win32/Win32Platform.h"
#include "text/Utf.h"

namespace {

std::wstring ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  return ::GetComputerNameW(name, &size) ? std::wstring(name, size) : L"(неизвестен)";
}

std::wstring UserName() {
  wchar_t name[257] = {};
  DWORD size = 257;
  return ::GetUserNameW(name, &size) && size > 0 ? std::wstring(name, size - 1) : L"(неизвестен)";
}

// The version Windows itself reports, whatever the program's manifest names (RtlGetVersion).
std::wstring WindowsVersion() {
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  const auto get = ntdll != nullptr
                       ? reinterpret_cast<RtlGetVersionFunction>(
                             reinterpret_cast<void*>(::GetProcAddress(ntdll, "RtlGetVersion")))
                       : nullptr;
  if (get == nullptr || get(&info) != 0) {
    return L"Windows (версия неизвестна)";
  }
  BOOL wow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &wow64);
  return L"Windows " + std::to_wstring(info.dwMajorVersion) + L"." +
         std::to_wstring(info.dwMinorVersion) + L"." + std::to_wstring(info.dwBuildNumber) +
         (info.szCSDVersion[0] != L'\0' ? L" " + std::wstring(info.szCSDVersion) : L"") +
         (sizeof(void*) == 8 || wow64 ? L", 64-разрядная" : L", 32-разрядная");
}

}  // namespace

int main() {
  kit::HardenDllSearch();
  cli::Win32Console console;
  try {
    os::win32::Win32Platform platform;
    const vr::SharedUnits sharedUnits(platform.Get());
    const os::win32::ComApartment com;
    os::win32::Win32InstallationLock lock;
    cli::RunHost host;
    host.lock = &lock;
    host.kitVersion = text::FromUtf8(VIRELTA_KIT_VERSION);
    host.computer = ComputerName();
    host.user = UserName();
    host.windows = WindowsVersion();
    return cli::RunCli(cli::SplitCommandLine(::GetCommandLineW()), console, platform.Get(),
                       engine::RunInstallation, host);
  } catch (const std::exception& e) {
    console.WriteError(cli::ErrorText(text::FromUtf8(e.what())) + L"\r\n");
  } catch (...) {
    console.WriteError(L"Неизвестная ошибка.\r\n");
  }
  return cli::kFailed;
}
