#include "ShellRun.h"

#include <shellapi.h>

#include "os/win32/Handle.h"

namespace usbprep {
namespace {

// Keep the process handle, wait for a DDE conversation to finish, expand environment variables,
// and show no error dialog: a program that cannot start is simply skipped.
constexpr ULONG kLaunchMask =
    SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_DOENVSUBST | SEE_MASK_FLAG_NO_UI;
static_assert(kLaunchMask == 0x740);

constexpr DWORD kWaitSliceMs = 10;

// Optional kernel32 functions are looked up by name, so that the program starts on systems that
// lack them.
template <typename Function>
Function Lookup(const char* module, const char* name) {
  const HMODULE handle = ::GetModuleHandleA(module);
  if (handle == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(handle, name)));
}

}  // namespace

bool IsRunningUnderWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = Lookup<IsWow64ProcessFn>("kernel32", "IsWow64Process");
  if (isWow64Process == nullptr) {
    return false;
  }
  BOOL wow64 = FALSE;
  return isWow64Process(::GetCurrentProcess(), &wow64) && wow64;
}

bool IsNativeIA64() {
  using GetNativeSystemInfoFn = void(WINAPI*)(LPSYSTEM_INFO);
  const auto getNativeSystemInfo =
      Lookup<GetNativeSystemInfoFn>("kernel32.dll", "GetNativeSystemInfo");
  SYSTEM_INFO info{};
  if (getNativeSystemInfo != nullptr) {
    getNativeSystemInfo(&info);
  } else {
    ::GetSystemInfo(&info);
  }
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

bool ShellExecAndWait(const wchar_t* file, const wchar_t* parameters, const wchar_t* verb,
                      int showMode) {
  // No owner window and no folder: the program inherits the current folder.
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = kLaunchMask;
  info.lpVerb = verb;
  info.lpFile = file;
  info.lpParameters = parameters;
  info.nShow = showMode;
  if (!::ShellExecuteExW(&info)) {
    return false;
  }
  const os::win32::KernelHandle process(info.hProcess);
  // Fails at once for a console program; the wait below covers every kind.
  ::WaitForInputIdle(process.Get(), INFINITE);
  // Messages sent to this thread (DDE, broadcasts) are taken while the program runs, so that no
  // sender hangs on us.
  while (::WaitForSingleObject(process.Get(), kWaitSliceMs) == WAIT_TIMEOUT) {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&message);
      ::DispatchMessageA(&message);
    }
  }
  return true;
}

std::wstring OwnModuleFileName() {
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) {
      return {};
    }
    if (length < name.size()) {
      name.resize(length);
      return name;
    }
    // Truncated: a long path; the limit of such paths is 32767 characters.
    if (name.size() >= 32768) {
      return {};
    }
    name.resize(name.size() * 2);
  }
}

}  // namespace usbprep
