#pragma once
// The shell's folder copy (FO_COPY of one path) carried out inside a file-system view: a folder
// copied to a destination that does not exist becomes it, missing folders on the way created;
// to an existing folder it is copied into it under its own name; existing files are replaced.
// Other operations are refused (ERROR_INVALID_FUNCTION) without doing anything.
#include "os/FileSystem.h"
#include "os/Shell.h"

namespace os::overlay {

class OverlayShell final : public IShell {
 public:
  explicit OverlayShell(IFileSystem& view) : view_(view) {}
  int FileOperation(const ShellFileOperation& operation) override;

 private:
  ErrorCode CreateFolders(const std::wstring& folder);
  void CopyTree(const std::wstring& source, const std::wstring& target);

  IFileSystem& view_;
};

}  // namespace os::overlay
