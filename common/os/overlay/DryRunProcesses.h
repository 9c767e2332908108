#pragma once
// Processes of a dry run: nothing is started. A program that a real run would start (it exists
// in the view, its folder too) is reported to the caller and counts as started and ended at once
// with exit code 0. The current folder is kept here, for folders of the view.
#include <functional>
#include <optional>
#include <string>

#include "os/FileSystem.h"
#include "os/Process.h"

namespace os::overlay {

class DryRunProcesses final : public IProcesses {
 public:
  // Told of every start with its command line and the folder it would run in.
  using StartReport =
      std::function<void(const std::wstring& commandLine, const std::wstring& folder)>;

  DryRunProcesses(IProcesses& base, IFileSystem& view, StartReport report)
      : base_(base), view_(view), report_(std::move(report)) {}

  std::unique_ptr<IProcess> Create(const ProcessStart& start, ErrorCode& error) override;
  ErrorCode SetCurrentFolder(const std::wstring& path) override;
  std::wstring CurrentFolder() override;

 private:
  bool IsFolder(const std::wstring& path);
  // The program file a command line names, as CreateProcessW finds it; empty when none.
  std::wstring Program(const std::wstring& commandLine);

  IProcesses& base_;
  IFileSystem& view_;
  StartReport report_;
  std::optional<std::wstring> current_;
};

}  // namespace os::overlay
