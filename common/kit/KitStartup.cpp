#include "kit/KitStartup.h"

#include <versionhelpers.h>

namespace kit {
namespace {

// Set once the search order is restricted: LoadLibraryExW then accepts the system-folder flag.
bool g_searchRestricted = false;

template <typename Function>
Function Lookup(const wchar_t* module, const char* name) {
  const HMODULE handle = ::GetModuleHandleW(module);
  if (handle == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

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

}  // namespace

bool HardenDllSearch() {
  // On Vista the shell's link object fails to create once the search is restricted; there the
  // program relies on loading every DLL of its own by full system-folder path instead.
  if (!::IsWindows7OrGreater()) {
    return false;
  }
  // Present from Windows 8, and on Windows 7 with update KB2533623.
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  const auto setDefault =
      Lookup<SetDefaultDllDirectoriesFn>(L"kernel32.dll", "SetDefaultDllDirectories");
  if (setDefault == nullptr || !setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return false;
  }
  g_searchRestricted = true;
  return true;
}

HMODULE LoadSystemLibrary(const std::wstring& name) {
  if (g_searchRestricted) {
    return ::LoadLibraryExW(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  }
  const std::wstring folder = SystemFolder();
  if (folder.empty()) {
    return nullptr;
  }
  return ::LoadLibraryW((folder + name).c_str());
}

}  // namespace kit
