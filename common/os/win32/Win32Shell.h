#pragma once
#include "os/Shell.h"

namespace os::win32 {

// The shell seam on the Win32 API.
class Win32Shell final : public IShell {
 public:
  int FileOperation(const ShellFileOperation& operation) override;
};

}  // namespace os::win32
