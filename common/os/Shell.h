#pragma once
// The shell seam: operations of the Windows shell.
#include <cstdint>
#include <string>

namespace os {

// One request of SHFileOperationW for a single source path; the implementation turns the paths
// into the shell's double-null-terminated lists.
struct ShellFileOperation {
  std::uint32_t function = 0;  // FO_COPY = 2, ...
  std::wstring from;
  std::wstring to;
  std::uint16_t flags = 0;  // FOF_FILESONLY = 0x80, ...
};

class IShell {
 public:
  virtual ~IShell() = default;
  // SHFileOperationW with no owner window; its result (0 = success).
  virtual int FileOperation(const ShellFileOperation& operation) = 0;
};

}  // namespace os
