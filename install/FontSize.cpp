#include "FontSize.h"

#include "os/win32/SystemLibrary.h"

namespace wizard {

void ChangeSystemFontSize() {
  os::win32::LibraryModule library(os::win32::LoadSystemLibrary(L"syssetup.dll"));
  using SetupChangeFontSizeFn = DWORD(WINAPI*)(HWND, LPCWSTR);
  const auto change =
      os::win32::ProcAddress<SetupChangeFontSizeFn>(library.Get(), "SetupChangeFontSize");
  if (change != nullptr && change(nullptr, L"120") == 0) {
    // A failed call keeps the library loaded: the system may still be using it.
    library.Release();
  }
}

void SetShutdownBlock(HWND window, bool block, const wchar_t* reason) {
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  if (block) {
    using CreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
    if (const auto create = os::win32::ProcAddress<CreateFn>(user32, "ShutdownBlockReasonCreate")) {
      create(window, reason);
    }
  } else {
    using DestroyFn = BOOL(WINAPI*)(HWND);
    if (const auto destroy =
            os::win32::ProcAddress<DestroyFn>(user32, "ShutdownBlockReasonDestroy")) {
      destroy(window);
    }
  }
}

}  // namespace wizard
