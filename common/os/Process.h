#pragma once
// The process seam: starting a program with CreateProcessW, waiting for it and reading its exit
// code, and the process's current folder. The command line, its buffer, the creation flags and
// the waiting policy are the caller's; this only hands them to the system.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "os/FileSystem.h"

namespace os {

// Results of WaitForSingleObject.
namespace wait {
constexpr std::uint32_t kObject0 = 0x0;
constexpr std::uint32_t kTimeout = 0x102;
constexpr std::uint32_t kFailed = 0xFFFFFFFF;
constexpr std::uint32_t kInfinite = 0xFFFFFFFF;  // as a time-out: no limit
}  // namespace wait

// Process creation flags.
namespace create {
constexpr std::uint32_t kNewConsole = 0x10;
constexpr std::uint32_t kNormalPriorityClass = 0x20;
}  // namespace create

// A started process. Destroying it closes its process and thread handles (the process runs on).
class IProcess {
 public:
  virtual ~IProcess() = default;
  // WaitForSingleObject on the process handle; one of the wait:: results.
  virtual std::uint32_t Wait(std::uint32_t milliseconds) = 0;
  // GetExitCodeProcess; nothing when the call fails. STILL_ACTIVE (259) while it runs.
  virtual std::optional<std::uint32_t> ExitCode() = 0;
};

struct ProcessStart {
  // The writable command line buffer handed to the system as it is; the command line ends at
  // its first zero unit. A buffer without a zero unit is refused (kInvalidParameter) unread.
  std::span<wchar_t> commandLine;
  std::uint32_t creationFlags = 0;
  // The new process's current folder; nothing: the caller's current folder.
  std::optional<std::wstring> folder;
  // The start-up record carries only this show-window value (STARTF_USESHOWWINDOW), SW_HIDE = 0.
  std::uint16_t showMode = 0;
};

class IProcesses {
 public:
  virtual ~IProcesses() = default;
  // CreateProcessW without an application name (the program is the command line's first token,
  // found the system's way), without security attributes and handle inheritance, with the
  // caller's environment. On failure returns null and sets `error` (GetLastError).
  virtual std::unique_ptr<IProcess> Create(const ProcessStart& start, ErrorCode& error) = 0;
  // SetCurrentDirectoryW.
  virtual ErrorCode SetCurrentFolder(const std::wstring& path) = 0;
  // GetCurrentDirectoryW: a drive's root ends in "\", other folders do not.
  virtual std::wstring CurrentFolder() = 0;
};

}  // namespace os
