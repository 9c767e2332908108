#include "os/win32/Win32System.h"

#include <windows.h>

#include <stdexcept>
#include <vector>

#include "os/win32/Handle.h"

namespace os::win32 {

std::optional<std::wstring> Win32System::WindowsDirectory() {
  constexpr UINT kSize = 260;
  wchar_t buffer[kSize];
  const UINT length = ::GetWindowsDirectoryW(buffer, kSize);
  // A result of kSize or more is the size the buffer would have needed: nothing was stored.
  if (length == 0 || length >= kSize) {
    return std::nullopt;
  }
  return std::wstring(buffer, length);
}

std::wstring Win32System::ModuleFileName() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      return {};
    }
    if (length < buffer.size()) {
      return std::wstring(buffer.data(), length);
    }
    buffer.resize(buffer.size() * 2);  // cut off: try a longer buffer
  }
}

std::uintptr_t Win32System::ModuleHandle() {
  return reinterpret_cast<std::uintptr_t>(::GetModuleHandleW(nullptr));
}

std::wstring Win32System::LoadResourceString(std::uintptr_t instance, unsigned id, int bufferSize) {
  // A size of 0 would ask LoadStringW for a pointer into the resource instead of a copy.
  if (bufferSize < 1) {
    throw std::invalid_argument("LoadString needs a buffer of at least one character");
  }
  std::vector<wchar_t> buffer(static_cast<std::size_t>(bufferSize) + 1, L'\0');
  const int length =
      ::LoadStringW(reinterpret_cast<HINSTANCE>(instance), id, buffer.data(), bufferSize);
  if (length <= 0) {
    return {};
  }
  return std::wstring(buffer.data());  // up to the first null
}

bool Win32System::IsNtPlatform() {
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof(info);
  return ::GetVersionExW(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool Win32System::EnablePrivilege(const std::wstring& name) {
  HANDLE raw = nullptr;
  if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &raw)) {
    return false;
  }
  const KernelHandle token(raw);
  TOKEN_PRIVILEGES privileges{};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (!::LookupPrivilegeValueW(nullptr, name.c_str(), &privileges.Privileges[0].Luid)) {
    return false;
  }
  TOKEN_PRIVILEGES previous{};  // room for the one previous state (16 bytes)
  DWORD returned = 0;
  if (!::AdjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof(previous), &previous,
                               &returned)) {
    return false;
  }
  // Success with ERROR_NOT_ALL_ASSIGNED: the token does not hold the privilege at all.
  return ::GetLastError() == ERROR_SUCCESS;
}

bool Win32System::RequestExitWindows(std::uint32_t flags, std::uint32_t reason) {
  return ::ExitWindowsEx(flags, reason) != 0;
}

}  // namespace os::win32
