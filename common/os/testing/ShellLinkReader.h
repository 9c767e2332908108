#pragma once
// Reading a shortcut (".lnk" file) back as the shell reads it, through IShellLinkW and
// IPersistFile::Load, for the Windows tests of the shortcuts the installer writes. The calling
// thread must have COM initialised.
#include <optional>
#include <string>

namespace os::testing {

struct ShellLinkContent {
  std::wstring path;
  std::wstring arguments;
  std::wstring description;
  std::wstring workingDirectory;
};

// What the shell reads from the file; nothing when it cannot load one.
std::optional<ShellLinkContent> LoadShellLink(const std::wstring& file);

}  // namespace os::testing
