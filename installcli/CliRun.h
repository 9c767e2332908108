#pragma once
// The console installer apart from its Windows entry point: the command line, the target folder
// (taken and prepared as the wizard's path page does), the request, the run and the exit code.
#include <functional>
#include <string>
#include <vector>

#include "Console.h"
#include "engine/InstallProgress.h"
#include "engine/InstallRequest.h"
#include "os/InstallationLock.h"
#include "os/Platform.h"

namespace cli {

// The installation run: engine::RunInstallation in the program, a scripted one in tests.
using RunFunction =
    std::function<bool(const engine::InstallRequest&, engine::IInstallProgress&, os::Platform&)>;

// What the program's entry point knows of the computer it runs on, for the installation record,
// and the lock that keeps a second installation out.
struct RunHost {
  os::IInstallationLock* lock = nullptr;  // nothing: no lock is taken
  std::wstring kitVersion;
  std::wstring computer;
  std::wstring user;
  std::wstring windows;
};

// Runs the installer for the arguments after the program name and returns its exit code
// (ExitCode). Never raises: an error ends the run with its text on standard error. An
// installation (not --check, not --dry-run) first takes the installation lock and exits with
// kAlreadyRunning, changing nothing, when another installation holds it; when it is over it
// writes one entry into the application event log.
int RunCli(const std::vector<std::wstring>& arguments, IConsole& console, os::Platform& platform,
           const RunFunction& run, const RunHost& host = {});

// A raised error's text as the operator reads it: with a full stop appended unless it ends in
// one already or in a character of lower code (such as "!" or a blank).
std::wstring ErrorText(const std::wstring& message);

}  // namespace cli
