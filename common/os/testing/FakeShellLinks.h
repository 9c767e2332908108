#pragma once
// A recording double of the shell-link seam for native tests. Its link objects write, on Save, a
// small text file to the given file system (normally the in-memory double), so that a test sees
// the shortcut where Windows would put it and can read back what it points at; a save into a
// missing folder fails as it does on Windows. Every call is logged in order, as "Create",
// "SetPath <text>", "SetArguments <text>", "SetDescription <text>", "SetWorkingDirectory <text>",
// "Save <path> <true|false>" and "Release".
#include <optional>
#include <string>
#include <vector>

#include "os/FileSystem.h"
#include "os/ShellLink.h"

namespace os::testing {

// What a saved shortcut holds.
struct SavedShellLink {
  std::wstring path;
  std::wstring arguments;
  std::wstring description;
  std::wstring workingDirectory;
  bool operator==(const SavedShellLink&) const = default;
};

class FakeShellLinks final : public IShellLinks {
 public:
  explicit FakeShellLinks(IFileSystem& fs) : fs_(fs) {}

  std::unique_ptr<IShellLinkObject> Create(std::wstring& error) override;

  // --- Set-up ---
  // From now on Create fails with this text (the link object cannot be made).
  void FailCreate(std::wstring text) { createFailure_ = std::move(text); }

  // --- Inspection ---
  const std::vector<std::wstring>& Calls() const { return calls_; }
  // Link objects made and not yet released.
  int LiveLinks() const { return live_; }
  // A shortcut that one of these links saved; nothing when the file is missing or is not one.
  static std::optional<SavedShellLink> Read(IFileSystem& fs, const std::wstring& path);

 private:
  class Link;

  IFileSystem& fs_;
  std::optional<std::wstring> createFailure_;
  std::vector<std::wstring> calls_;
  int live_ = 0;
};

}  // namespace os::testing
