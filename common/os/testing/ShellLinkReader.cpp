// The shell's own link object reads the file: Windows only.
#ifdef _WIN32
#include "os/testing/ShellLinkReader.h"

#include <windows.h>

#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include "os/win32/ComPtr.h"

namespace os::testing {

std::optional<ShellLinkContent> LoadShellLink(const std::wstring& file) {
  win32::ComPtr<IShellLinkW> link;
  if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid()))) {
    return std::nullopt;
  }
  win32::ComPtr<IPersistFile> persist;
  if (FAILED(link->QueryInterface(IID_IPersistFile, persist.PutVoid())) ||
      FAILED(persist->Load(file.c_str(), STGM_READ))) {
    return std::nullopt;
  }
  wchar_t buffer[INFOTIPSIZE];
  ShellLinkContent result;
  // The target through its item list: Wine's GetPath gives the path through the system's ANSI
  // code page, so Cyrillic letters come back as "?".
  PIDLIST_ABSOLUTE items = nullptr;
  buffer[0] = 0;
  if (SUCCEEDED(link->GetIDList(&items)) && items != nullptr) {
    ::SHGetPathFromIDListW(items, buffer);
    ::CoTaskMemFree(items);
  }
  result.path = buffer;
  buffer[0] = 0;
  link->GetArguments(buffer, INFOTIPSIZE);
  result.arguments = buffer;
  buffer[0] = 0;
  link->GetDescription(buffer, INFOTIPSIZE);
  result.description = buffer;
  buffer[0] = 0;
  link->GetWorkingDirectory(buffer, MAX_PATH);
  result.workingDirectory = buffer;
  return result;
}

}  // namespace os::testing
#endif
