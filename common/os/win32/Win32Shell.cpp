#include "os/win32/Win32Shell.h"

#include <windows.h>

#include <shellapi.h>

#include <string>

namespace os::win32 {
namespace {

// A list of one path as the shell wants it: the path, its null and the list's closing null.
std::wstring OnePathList(const std::wstring& path) {
  std::wstring list = path;
  list.push_back(L'\0');
  list.push_back(L'\0');
  return list;
}

}  // namespace

int Win32Shell::FileOperation(const ShellFileOperation& operation) {
  const std::wstring from = OnePathList(operation.from);
  const std::wstring to = OnePathList(operation.to);
  SHFILEOPSTRUCTW request{};
  request.hwnd = nullptr;
  request.wFunc = operation.function;
  request.pFrom = from.c_str();
  request.pTo = to.c_str();
  request.fFlags = operation.flags;
  return ::SHFileOperationW(&request);
}

}  // namespace os::win32
