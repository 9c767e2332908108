#include "os/win32/SystemLibrary.h"

namespace os::win32 {

std::wstring SystemFolder() {
  wchar_t buffer[MAX_PATH];
  const UINT length = ::GetSystemDirectoryW(buffer, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) {
    return {};
  }
  std::wstring folder(buffer, length);
  if (folder.back() != L'\\') {
    folder += L'\\';
  }
  return folder;
}

HMODULE LoadSystemLibrary(const std::wstring& name) {
  // The search flag is understood from Windows 8, and on Windows 7 and Vista with update
  // KB2533623; without it the call fails with ERROR_INVALID_PARAMETER.
  const HMODULE module = ::LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module != nullptr || ::GetLastError() != ERROR_INVALID_PARAMETER) {
    return module;
  }
  const std::wstring folder = SystemFolder();
  if (folder.empty()) {
    return nullptr;
  }
  // A full path, and the DLL's own dependencies looked for in its folder first.
  return ::LoadLibraryExW((folder + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace os::win32
