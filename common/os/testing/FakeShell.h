#pragma once
// The shell's file operation for native tests, carried out on a file-system seam (normally the
// in-memory double). FO_COPY of one path behaves like the Windows shell: a folder copied to a
// destination that does not exist becomes that destination, with every file and sub-folder
// (hidden ones included) and any missing folders on the way created; to an existing folder it is
// copied into it under its own name. Existing files are replaced, as when the operator confirms
// the shell's question. A missing source fails with ERROR_FILE_NOT_FOUND. Every request is
// recorded; a scripted result replaces the next operations' work.
#include <optional>
#include <vector>

#include "os/FileSystem.h"
#include "os/Shell.h"

namespace os::testing {

namespace shell {
constexpr std::uint32_t kFoCopy = 2;
constexpr std::uint16_t kFofFilesOnly = 0x80;
constexpr int kDeDestSubtree = 0x76;  // the destination lies inside the source folder
}  // namespace shell

class FakeShell final : public IShell {
 public:
  explicit FakeShell(IFileSystem& fs) : fs_(fs) {}

  // Only FO_COPY of a single path without wildcards is modelled; anything else throws
  // std::invalid_argument, so a test cannot pass on an operation the double does not know.
  int FileOperation(const ShellFileOperation& operation) override;

  // From now on every operation does nothing and returns `code` (ERROR_CANCELLED = 1223 for an
  // operator who cancels, say); nothing restores the real work.
  void ScriptResult(int code) { scripted_ = code; }
  void ClearScript() { scripted_.reset(); }

  const std::vector<ShellFileOperation>& Calls() const { return calls_; }

 private:
  ErrorCode CopyEntry(const std::wstring& source, const std::wstring& target);
  ErrorCode CopyTree(const std::wstring& source, const std::wstring& target);
  ErrorCode CreateFolders(const std::wstring& folder);

  IFileSystem& fs_;
  std::optional<int> scripted_;
  std::vector<ShellFileOperation> calls_;
};

}  // namespace os::testing
