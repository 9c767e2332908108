#pragma once
#include "os/ShellLink.h"

namespace os::win32 {

// The shell-link seam on the shell's COM link object.
class Win32ShellLinks final : public IShellLinks {
 public:
  std::unique_ptr<IShellLinkObject> Create(std::wstring& error) override;
};

}  // namespace os::win32
