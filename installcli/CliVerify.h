#pragma once
// InstallCli --verify [folder]: the installed files compared with the installation's record.
#include "CliOptions.h"
#include "Console.h"
#include "os/Platform.h"

namespace cli {

// One Russian line on standard output per file that is missing or changed, the verdict on
// standard error. The folder is the one given, else the uninstall entry's, else C:\Virelta\.
// kComplete when every file matches, kBadMedium otherwise (no record included), kUsage for a
// folder that is not there.
int VerifyInstallation(const CliOptions& options, IConsole& console, os::Platform& platform);

}  // namespace cli
