#include "VR_Common_Proc.h"

namespace vr {
namespace {

constexpr std::uint32_t kFoCopy = 2;
constexpr std::uint16_t kFofFilesOnly = 0x80;
// LoadStringW's buffer size: 255 characters with the closing null.
constexpr int kStringBufferSize = 255;

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
  if (!path.empty() && path.back() == L'\\') {
    return path.substr(0, path.size() - 1);
  }
  return path;
}

}  // namespace

bool IsSmallFonts(os::IDisplay& display) {
  return display.ScreenDeviceCaps(os::caps::kLogPixelsX) < 100;
}

bool CopyFolderByShell(os::IShell& shell, const std::wstring& Source, const std::wstring& Dest) {
  os::ShellFileOperation operation;
  operation.function = kFoCopy;
  operation.from = WithoutTrailingBackslash(Source);
  operation.to = WithoutTrailingBackslash(Dest);
  // Files only, and nothing that would keep the shell from asking or showing its progress.
  operation.flags = kFofFilesOnly;
  return shell.FileOperation(operation) == 0;
}

std::wstring LoadStringFromResource(os::ISystem& system, std::uintptr_t Instance, unsigned Id) {
  std::wstring text = system.LoadResourceString(Instance, Id, kStringBufferSize);
  const auto end = text.find(L'\0');
  if (end != std::wstring::npos) {
    text.resize(end);
  }
  if (text.size() > kStringBufferSize - 1) {
    text.resize(kStringBufferSize - 1);
  }
  return text;
}

std::wstring GetWindowsFolder(os::ISystem& system) {
  const auto folder = system.WindowsDirectory();
  if (!folder || folder->empty()) {
    return {};
  }
  if (folder->back() == L'\\') {
    return *folder;
  }
  return *folder + L'\\';
}

bool ShutdownWindows(os::ISystem& system, std::uint32_t Flags) {
  if (system.IsNtPlatform()) {
    // Without the privilege the request below is refused; that refusal is the answer.
    system.EnablePrivilege(L"SeShutdownPrivilege");
  }
  return system.RequestExitWindows(Flags, 0);
}

}  // namespace vr
