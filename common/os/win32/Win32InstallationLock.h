#pragma once
// The installation lock as a named mutex in the global namespace ("Global\..."), so that an
// installation in another session (another user logged on, a service, a start-up script) keeps
// this one out too. A program that ends, however it ends, releases it with its handles.
#include "os/InstallationLock.h"
#include "os/win32/Handle.h"

namespace os::win32 {

inline constexpr wchar_t kInstallationMutexName[] = L"Global\\Virelta.Installation";

class Win32InstallationLock final : public IInstallationLock {
 public:
  bool TryTake() override;

 private:
  KernelHandle mutex_;
};

// For a program that needs only this: takes the lock into a program-wide owner and answers as
// TryTake does. The lock stays held until the program ends.
bool TakeInstallationLockForProgram();

}  // namespace os::win32
