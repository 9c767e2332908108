// A program for the launch tests under Wine. Each run appends one line to "probe-report.txt"
// beside itself (UTF-16): its own path, its command line, its current folder, and the start-up
// record's flags and show-window value, tab separated. Then it sleeps and exits as its
// parameters say: "[exit code] [milliseconds]" (both 0 when absent).
#include <windows.h>

#include <cwchar>
#include <string>

#include "os/win32/Handle.h"
#include "os/win32/Win32Processes.h"
#include "os/win32/Win32System.h"

namespace {

// The command line after the program's own name.
const wchar_t* Parameters(const wchar_t* line) {
  if (*line == L'"') {
    line = std::wcschr(line + 1, L'"');
    return line == nullptr ? L"" : line + 1;
  }
  while (*line != L'\0' && *line != L' ' && *line != L'\t') {
    ++line;
  }
  return line;
}

}  // namespace

int main() {
  const wchar_t* line = ::GetCommandLineW();
  wchar_t* rest = nullptr;
  const unsigned long exitCode = std::wcstoul(Parameters(line), &rest, 10);
  const unsigned long sleepMs = std::wcstoul(rest, nullptr, 10);

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  ::GetStartupInfoW(&startup);
  const std::wstring self = os::win32::Win32System().ModuleFileName();
  const std::size_t slash = self.find_last_of(L'\\');
  const std::wstring report =
      self + L'\t' + line + L'\t' + os::win32::Win32Processes().CurrentFolder() + L'\t' +
      std::to_wstring(startup.dwFlags) + L'\t' + std::to_wstring(startup.wShowWindow) + L'\n';
  const std::wstring log = self.substr(0, slash + 1) + L"probe-report.txt";
  {
    const os::win32::FileHandle file(::CreateFileW(log.c_str(), FILE_APPEND_DATA,
                                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                   OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      return 100;
    }
    DWORD written = 0;
    ::WriteFile(file.Get(), report.data(), static_cast<DWORD>(report.size() * sizeof(wchar_t)),
                &written, nullptr);
  }
  ::Sleep(sleepMs);
  return static_cast<int>(exitCode);
}
