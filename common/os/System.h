#pragma once
// The system seam: folders, the program's own module and resources, and the restart.
#include <cstdint>
#include <optional>
#include <string>

namespace os {

class ISystem {
 public:
  virtual ~ISystem() = default;
  // GetWindowsDirectoryW with a buffer of 260 characters; nothing when the call fails.
  virtual std::optional<std::wstring> WindowsDirectory() = 0;
  // GetModuleFileNameW of the running program.
  virtual std::wstring ModuleFileName() = 0;
  // The running program's module handle (GetModuleHandleW(nullptr)).
  virtual std::uintptr_t ModuleHandle() = 0;
  // LoadStringW into a buffer of `bufferSize` characters (at least 1): at most bufferSize - 1
  // characters of the entry, the rest cut off; empty when the entry is missing. (Not named
  // LoadString: windows.h makes that a macro.)
  virtual std::wstring LoadResourceString(std::uintptr_t instance, unsigned id, int bufferSize) = 0;
  // True on Windows of the NT family (VER_PLATFORM_WIN32_NT).
  virtual bool IsNtPlatform() = 0;
  // Opens the process token (TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY), looks up the privilege on
  // the local system and enables it. False when any of the three fails.
  virtual bool EnablePrivilege(const std::wstring& name) = 0;
  // ExitWindowsEx: true when the system accepted the request. (Not named ExitWindows: windows.h
  // makes that a macro that logs off.)
  virtual bool RequestExitWindows(std::uint32_t flags, std::uint32_t reason) = 0;
};

}  // namespace os
