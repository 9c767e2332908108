#pragma once
#include "os/Process.h"

namespace os::win32 {

// The process seam on the Win32 API.
class Win32Processes final : public IProcesses {
 public:
  std::unique_ptr<IProcess> Create(const ProcessStart& start, ErrorCode& error) override;
  ErrorCode SetCurrentFolder(const std::wstring& path) override;
  std::wstring CurrentFolder() override;
};

}  // namespace os::win32
