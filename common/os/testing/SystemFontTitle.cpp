// The system's font query: Windows only.
#ifdef _WIN32
#include "os/testing/SystemFontTitle.h"

#include <windows.h>

namespace os::testing {

std::wstring SystemFontTitle(const std::wstring& path) {
  using Query = BOOL(WINAPI*)(LPCWSTR, LPDWORD, LPVOID, DWORD);
  const auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"gdi32.dll"), "GetFontResourceInfoW")));
  if (query == nullptr || ::AddFontResourceW(path.c_str()) == 0) {
    return {};
  }
  wchar_t buffer[512] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  query(path.c_str(), &size, buffer, 1);  // 1: the font's descriptive name
  ::RemoveFontResourceW(path.c_str());
  return buffer;
}

}  // namespace os::testing
#endif
