#pragma once
// Loading DLLs by name from the system folder only, and an owner for the loaded module.
#include <windows.h>

#include <string>

#include "os/win32/Handle.h"

namespace os::win32 {

struct LibraryTraits {
  using Type = HMODULE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::FreeLibrary(h); }
};
using LibraryModule = UniqueHandle<LibraryTraits>;

// Loads a system DLL such as shcore.dll or syssetup.dll from the system folder only, so that a
// DLL of the same name beside the program or in the current folder is never taken. Null when it
// is not there.
HMODULE LoadSystemLibrary(const std::wstring& name);

// The system folder (GetSystemDirectoryW) with a trailing "\"; empty when it cannot be had.
std::wstring SystemFolder();

// An exported function of a loaded module, cast to its type; null when the module lacks it.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
  if (module == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

}  // namespace os::win32
