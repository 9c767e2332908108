#pragma once
// The console installer apart from its Windows entry point: the command line, the target folder
// (taken and prepared as the wizard's path page does), the request, the run and the exit code.
#include <functional>
#include <string>
#include <vector>

#include "Console.h"
#include "engine/InstallProgress.h"
#include "engine/InstallRequest.h"
#include "os/Platform.h"

namespace cli {

// The installation run: engine::RunInstallation in the program, a scripted one in tests.
using RunFunction =
    std::function<bool(const engine::InstallRequest&, engine::IInstallProgress&, os::Platform&)>;

// Runs the installer for the arguments after the program name and returns its exit code
// (ExitCode). Never raises: an error ends the run with its text on standard error.
int RunCli(const std::vector<std::wstring>& arguments, IConsole& console, os::Platform& platform,
           const RunFunction& run);

// A raised error's text as the operator reads it: with a full stop appended unless it ends in
// one already or in a character of lower code (such as "!" or a blank).
std::wstring ErrorText(const std::wstring& message);

}  // namespace cli
