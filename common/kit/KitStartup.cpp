#include "kit/KitStartup.h"

#include <versionhelpers.h>

namespace kit {

bool HardenDllSearch() {
  // On Vista the shell's link object fails to create once the search is restricted; there the
  // program relies on loading every DLL of its own by full system-folder path instead.
  if (!::IsWindows7OrGreater()) {
    return false;
  }
  // Present from Windows 8, and on Windows 7 with update KB2533623.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefault = os::win32::ProcAddress<SetDefaultDllDirectoriesFn>(
      ::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
  return setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace kit
