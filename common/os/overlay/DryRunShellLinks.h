#pragma once
// Shell links in a dry run: the base's link object is made (making it writes nothing), so that a
// shell without one is met as in a real run; saving writes a small file into the view instead of
// the link, and fails as the shell does when the folder is missing.
#include "os/FileSystem.h"
#include "os/ShellLink.h"

namespace os::overlay {

class DryRunShellLinks final : public IShellLinks {
 public:
  DryRunShellLinks(IShellLinks& base, IFileSystem& view) : base_(base), view_(view) {}
  std::unique_ptr<IShellLinkObject> Create(std::wstring& error) override;

 private:
  IShellLinks& base_;
  IFileSystem& view_;
};

}  // namespace os::overlay
