#pragma once
// One installation at a time on a computer: the lock that the installers, the wizard and the
// uninstaller hold for the whole of their run, for every user and session of the computer. The
// program's entry point makes the Win32 one (os/win32/Win32InstallationLock.h); a test hands a
// double that says whatever the test needs.
namespace os {

class IInstallationLock {
 public:
  virtual ~IInstallationLock() = default;
  // Takes the lock for this program unless another program holds it. True when this program
  // holds it now (also when it did already); it is held until the program ends or the owner of
  // the lock goes. False: another installation is running.
  virtual bool TryTake() = 0;
};

// The exit code of an installer that found another installation running: Windows'
// ERROR_INSTALL_ALREADY_RUNNING, which deployment tools retry later.
constexpr int kInstallationAlreadyRunning = 1618;

}  // namespace os
