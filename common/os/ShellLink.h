#pragma once
// The shell-link seam: the shell's link object (CLSID_ShellLink) through IShellLinkW, to describe
// a shortcut, and IPersistFile, to write it as a ".lnk" file. COM must already be initialised on
// the calling thread; the object is released when its owner goes.
#include <cstdint>
#include <memory>
#include <string>

namespace os {

// One link object (not named IShellLink: the Windows headers make that a macro). Each call returns
// the interface's HRESULT (0 = S_OK).
class IShellLinkObject {
 public:
  virtual ~IShellLinkObject() = default;
  virtual std::int32_t SetPath(const std::wstring& path) = 0;
  virtual std::int32_t SetArguments(const std::wstring& arguments) = 0;
  virtual std::int32_t SetDescription(const std::wstring& description) = 0;
  virtual std::int32_t SetWorkingDirectory(const std::wstring& folder) = 0;
  // IPersistFile::Save: writes the link to `path`, replacing a file of that name.
  virtual std::int32_t Save(const std::wstring& path, bool remember) = 0;
};

class IShellLinks {
 public:
  virtual ~IShellLinks() = default;
  // CoCreateInstance of CLSID_ShellLink (in-process or local server) for IUnknown, then
  // QueryInterface for IShellLinkW and IPersistFile. Null when any of them fails, with the
  // system's text for the failure in `error`.
  virtual std::unique_ptr<IShellLinkObject> Create(std::wstring& error) = 0;
};

}  // namespace os
