#pragma once
// The console installer's command line:
//   InstallCli.exe [--dry-run] [--windows-xp] [--no-driver] [--yes] [--reinstall] [--log <file>]
//                  [target-folder]
//   InstallCli.exe --check [medium-folder]
//   InstallCli.exe --verify [target-folder]
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

// The program's exit codes.
enum ExitCode : int {
  kComplete = 0,    // every step of the installation ran
  kEndedEarly = 1,  // the installation ended early at one of its stopping points
  kFailed = 2,      // an error ended the installation (its text is on standard error)
  kBadMedium = 3,   // --check found the medium incomplete or damaged, --verify the installation
  kUsage = 64,      // the command line or the target folder was refused; nothing was installed
  kAlreadyRunning = 1618,  // another installation is running (ERROR_INSTALL_ALREADY_RUNNING)
};

struct CliOptions {
  bool windowsXp = false;  // the database server files for Windows XP
  bool noDriver = false;   // leave the USB driver out
  bool yes = false;        // answer every question with Yes
  bool help = false;       // only show the usage text
  bool dryRun = false;     // run against a copy-on-write view: change nothing on the computer
  bool check = false;      // only check the medium, install nothing
  bool reinstall = false;  // install even over a complete installation from the same medium
  // --log: the file of the installation record; nothing for none.
  std::optional<std::wstring> logFile;
  bool verify = false;  // only compare an installation with its record, install nothing
  // The target folder as given; nothing when the default is to be taken.
  std::optional<std::wstring> target;
  // With --check: the medium's folder as given; nothing for the program's own.
  std::optional<std::wstring> medium;
};

struct ParsedArguments {
  std::optional<CliOptions> options;  // nothing for bad usage
  std::wstring error;                 // why the command line was refused
};

// The arguments after the program name. Options may stand before or after the target folder,
// each spelt with "--" or with "/" ("/dry-run"; "-h", "/h" and "/?" are help too). Any other
// argument beginning with "-" or "/" is refused; "--" ends the options, so that a folder whose
// name begins with "-" or "/" can be given.
ParsedArguments ParseArguments(const std::vector<std::wstring>& arguments);

// The arguments of a command line after the program name. Blanks and tabs separate arguments
// outside quotes; every double quote switches quoting on or off and is dropped; a backslash is
// always itself, so that "C:\Program Files\Virelta\" is one folder ending in "\" (folder names
// never hold a double quote).
std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine);

// The usage text, lines ended by CR LF.
std::wstring UsageText();

}  // namespace cli
