#pragma once
#include "os/System.h"

namespace os::win32 {

// The system seam on the Win32 API.
class Win32System final : public ISystem {
 public:
  std::optional<std::wstring> WindowsDirectory() override;
  std::wstring ModuleFileName() override;
  std::uintptr_t ModuleHandle() override;
  std::wstring LoadResourceString(std::uintptr_t instance, unsigned id, int bufferSize) override;
  bool IsNtPlatform() override;
  bool EnablePrivilege(const std::wstring& name) override;
  bool RequestExitWindows(std::uint32_t flags, std::uint32_t reason) override;
};

}  // namespace os::win32
