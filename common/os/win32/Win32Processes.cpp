#include "os/win32/Win32Processes.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "os/win32/Handle.h"

namespace os::win32 {
namespace {

class Win32Process final : public IProcess {
 public:
  Win32Process(KernelHandle process, KernelHandle thread)
      : process_(std::move(process)), thread_(std::move(thread)) {}

  std::uint32_t Wait(std::uint32_t milliseconds) override {
    return ::WaitForSingleObject(process_.Get(), milliseconds);
  }

  std::optional<std::uint32_t> ExitCode() override {
    DWORD code = 0;
    if (!::GetExitCodeProcess(process_.Get(), &code)) {
      return std::nullopt;
    }
    return code;
  }

 private:
  KernelHandle process_;
  KernelHandle thread_;
};

}  // namespace

std::unique_ptr<IProcess> Win32Processes::Create(const ProcessStart& start, ErrorCode& error) {
  // The system reads the command line up to its zero and may write into the buffer: one without
  // a zero would be read past its end.
  if (std::find(start.commandLine.begin(), start.commandLine.end(), L'\0') ==
      start.commandLine.end()) {
    error = error::kInvalidParameter;
    return nullptr;
  }
  STARTUPINFOW startup;
  ::ZeroMemory(&startup, sizeof(startup));
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = start.showMode;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(nullptr, start.commandLine.data(), nullptr, nullptr, FALSE,
                        start.creationFlags, nullptr,
                        start.folder ? start.folder->c_str() : nullptr, &startup, &info)) {
    error = ::GetLastError();
    return nullptr;
  }
  // Owned at once, so that they are closed whatever happens next.
  KernelHandle process(info.hProcess);
  KernelHandle thread(info.hThread);
  error = error::kSuccess;
  return std::make_unique<Win32Process>(std::move(process), std::move(thread));
}

ErrorCode Win32Processes::SetCurrentFolder(const std::wstring& path) {
  return ::SetCurrentDirectoryW(path.c_str()) ? error::kSuccess : ::GetLastError();
}

std::wstring Win32Processes::CurrentFolder() {
  const DWORD size = ::GetCurrentDirectoryW(0, nullptr);
  if (size == 0) {
    return {};
  }
  std::wstring buffer(size, L'\0');
  const DWORD length = ::GetCurrentDirectoryW(size, buffer.data());
  buffer.resize(length < size ? length : 0);
  return buffer;
}

}  // namespace os::win32
