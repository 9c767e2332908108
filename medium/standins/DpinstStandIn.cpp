// Stand-in for Microsoft's Driver Package Installer (DPInst) on the sample installation medium and
// in the tests of Usbprep: it does nothing to drivers. Each run appends one line to
// "dpinst_standin.log" beside itself (UTF-16): its own file name, the command line it was given,
// its current folder and the compatibility layer registered for its full path, tab separated.
// When it has a console of its own it shows the same there, so that a person who starts Usbprep
// by hand sees what DPInst would have been asked to do. It never writes to a redirected standard
// output: Usbprep's own output stays exactly its three lines. It sleeps a little first, so that
// a caller that does not wait for it finds no line.
#include <windows.h>

#include <string>

#include "kit/KitStartup.h"
#include "os/win32/Handle.h"
#include "os/win32/Win32Processes.h"
#include "os/win32/Win32System.h"

namespace {

constexpr DWORD kRunTimeMs = 300;

std::wstring CompatibilityLayer(const std::wstring& path) {
  wchar_t data[64] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  if (::RegGetValueW(HKEY_LOCAL_MACHINE,
                     L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers",
                     path.c_str(), RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) {
    return {};
  }
  return data;
}

// Only a real console: WriteConsoleW fails on a file or a pipe.
void ShowOnConsole(const std::wstring& text) {
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (output == nullptr || output == INVALID_HANDLE_VALUE || !::GetConsoleMode(output, &mode)) {
    return;
  }
  DWORD written = 0;
  ::WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

}  // namespace

int main() {
  kit::HardenDllSearch();
  ::Sleep(kRunTimeMs);
  const std::wstring self = os::win32::Win32System().ModuleFileName();
  const std::size_t slash = self.find_last_of(L'\\');
  const std::wstring name = self.substr(slash + 1);
  const std::wstring folder = os::win32::Win32Processes().CurrentFolder();
  const std::wstring layer = CompatibilityLayer(self);
  ShowOnConsole(L"[DPInst stand-in " + name + L", installs no driver]\r\n  command line: " +
                ::GetCommandLineW() + L"\r\n  current folder: " + folder +
                (layer.empty() ? L"" : L"\r\n  compatibility layer: " + layer) + L"\r\n");

  const std::wstring line =
      name + L'\t' + ::GetCommandLineW() + L'\t' + folder + L'\t' + layer + L'\n';
  const std::wstring log = self.substr(0, slash + 1) + L"dpinst_standin.log";
  const os::win32::FileHandle file(::CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                                 nullptr));
  if (!file) {
    return 1;
  }
  DWORD written = 0;
  ::WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written,
              nullptr);
  return 0;
}
