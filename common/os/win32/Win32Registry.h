#pragma once
#include "os/Registry.h"

namespace os::win32 {

// The registry seam on the Win32 API (the registry view of the running program).
class Win32Registry final : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::wstring& path,
                                        std::uint32_t access, ErrorCode& error) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::wstring& path,
                                          std::uint32_t access, ErrorCode& error) override;
  ErrorCode DeleteKey(RegistryRoot root, const std::wstring& path, std::uint32_t view) override;
};

}  // namespace os::win32
