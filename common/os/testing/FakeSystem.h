#pragma once
// A scripted system for native tests: the Windows folder, the program's module, a string table
// per module, the platform family and the answers of the privilege and exit requests. It only
// records an exit request: nothing here ever restarts or logs off anything. Every call is logged
// in order, as a text such as "EnablePrivilege SeShutdownPrivilege" or "RequestExitWindows 6 0".
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "os/System.h"

namespace os::testing {

class FakeSystem final : public ISystem {
 public:
  // The Windows folder "C:\Windows", the program "C:\Kit\Install.exe" with module handle
  // kModuleHandle and an empty string table, Windows of the NT family, the privilege granted
  // and the exit request accepted.
  static constexpr std::uintptr_t kModuleHandle = 0x400000;

  std::optional<std::wstring> WindowsDirectory() override;
  std::wstring ModuleFileName() override;
  std::uintptr_t ModuleHandle() override;
  // Like LoadStringW: at most bufferSize - 1 characters of the entry; empty when the module or
  // the entry is missing. A size below 1 throws std::invalid_argument.
  std::wstring LoadResourceString(std::uintptr_t instance, unsigned id, int bufferSize) override;
  bool IsNtPlatform() override;
  bool EnablePrivilege(const std::wstring& name) override;
  bool RequestExitWindows(std::uint32_t flags, std::uint32_t reason) override;

  // --- Set-up ---
  // Nothing: GetWindowsDirectoryW fails.
  void SetWindowsDirectory(std::optional<std::wstring> folder) { windows_ = std::move(folder); }
  void SetModuleFileName(std::wstring name) { moduleFileName_ = std::move(name); }
  void SetString(std::uintptr_t instance, unsigned id, std::wstring text) {
    strings_[{instance, id}] = std::move(text);
  }
  void SetNtPlatform(bool nt) { nt_ = nt; }
  void SetPrivilegeResult(bool granted) { privilegeResult_ = granted; }
  void SetExitResult(bool accepted) { exitResult_ = accepted; }

  // --- Inspection ---
  const std::vector<std::wstring>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }

 private:
  std::optional<std::wstring> windows_ = L"C:\\Windows";
  std::wstring moduleFileName_ = L"C:\\Kit\\Install.exe";
  std::map<std::pair<std::uintptr_t, unsigned>, std::wstring> strings_;
  bool nt_ = true;
  bool privilegeResult_ = true;
  bool exitResult_ = true;
  std::vector<std::wstring> calls_;
};

}  // namespace os::testing
