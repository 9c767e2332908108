#include "os/win32/Win32InstallationLock.h"

#include <windows.h>

namespace os::win32 {

bool Win32InstallationLock::TryTake() {
  if (mutex_) {
    return true;
  }
  KernelHandle mutex(::CreateMutexW(nullptr, FALSE, kInstallationMutexName));
  if (!mutex) {
    // Another user's installation made it with rights that keep this user out: it is there, so
    // an installation is running.
    return false;
  }
  // Waiting without time: the owner answers at once. A mutex whose owner was ended from outside
  // comes back abandoned, and is then this program's.
  const DWORD result = ::WaitForSingleObject(mutex.Get(), 0);
  if (result != WAIT_OBJECT_0 && result != WAIT_ABANDONED) {
    return false;
  }
  mutex_ = std::move(mutex);
  return true;
}

bool TakeInstallationLockForProgram() {
  static Win32InstallationLock lock;
  return lock.TryTake();
}

}  // namespace os::win32
