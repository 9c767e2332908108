#include "os/win32/Win32Fonts.h"

#include <windows.h>

#include "os/win32/SystemLibrary.h"

namespace os::win32 {
namespace {

using GetFontResourceInfoFunction = BOOL(WINAPI*)(LPCWSTR, LPDWORD, LPVOID, DWORD);

// gdi32 is always loaded in a program that links it, so its handle is only looked up, never
// loaded (and never freed).
GetFontResourceInfoFunction FindGetFontResourceInfo() {
  return ProcAddress<GetFontResourceInfoFunction>(::GetModuleHandleW(L"gdi32.dll"),
                                                  "GetFontResourceInfoW");
}

}  // namespace

int Win32Fonts::AddFontFile(const std::wstring& path) {
  return ::AddFontResourceW(path.c_str());
}

bool Win32Fonts::RemoveFontFile(const std::wstring& path) {
  return ::RemoveFontResourceW(path.c_str()) != FALSE;
}

void Win32Fonts::BroadcastFontChange() {
  ::SendMessageW(HWND_BROADCAST, WM_FONTCHANGE, 0, 0);
}

bool Win32Fonts::HasFontResourceInfo() {
  return FindGetFontResourceInfo() != nullptr;
}

bool Win32Fonts::FontResourceInfo(const std::wstring& path, std::uint32_t& size, void* buffer,
                                  std::uint32_t type) {
  const GetFontResourceInfoFunction function = FindGetFontResourceInfo();
  if (function == nullptr) {
    return false;
  }
  DWORD bytes = size;
  const BOOL result = function(path.c_str(), &bytes, buffer, type);
  size = bytes;
  return result != FALSE;
}

}  // namespace os::win32
