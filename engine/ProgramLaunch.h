#pragma once
// Starting other programs: the driver installer, waited for without a time limit, and a release
// set's command script, started in its own folder and waited for in steps of 100 ms. Both start
// the program with a new console, hidden or shown as the caller says, and close every handle they
// opened before they return, also when an error passes through.
#include <cstddef>
#include <cstdint>
#include <string>

#include "os/Process.h"

namespace engine {

// The command line buffers, in UTF-16 units with the terminating zero: a longer command line is
// refused, never cut short (a cut command line could name another program).
inline constexpr std::size_t kStartProgramBufferSize = 256;
inline constexpr std::size_t kRunInFolderBufferSize = 512;

// A new console for the program, at normal priority.
inline constexpr std::uint32_t kLaunchCreationFlags =
    os::create::kNewConsole | os::create::kNormalPriorityClass;

// How long RunInFolderAndWait waits at once before it looks again.
inline constexpr std::uint32_t kWaitStepMilliseconds = 100;

// The show-window value that keeps a console hidden (SW_HIDE).
inline constexpr std::uint16_t kShowHidden = 0;

// The path in double quotes when it holds a blank or a tab, so that Windows takes it whole as the
// program's name (unquoted, "C:\Program Files\A\B.exe" would start "C:\Program.exe" if there
// were one); otherwise the path unchanged. A path already in quotes stays as it is.
std::wstring QuoteProgramPath(const std::wstring& path);

// Starts a program with the whole command line given, in the installer's current folder.
// The command line is taken to be a program path and quoted as QuoteProgramPath does; a caller
// that passes parameters quotes the path itself and appends them (a command line that begins with
// a quote is used as it stands). Returns -1 when the command line does not fit its buffer of 256
// units or the process cannot be created; nothing is shown then. With `wait`, waits for the end
// without a time limit and returns the exit code (-1 if it cannot be read); without, returns 0 as
// soon as the program has started.
std::int32_t StartProgram(os::IProcesses& processes, const std::wstring& commandLine,
                          std::uint16_t showMode, bool wait);

// The path in double quotes whatever it holds; a path already in quotes stays as it is. A command
// script runs through the command interpreter, which would take "&", "^", "(" or ")" in an
// unquoted path ("C:\Кардио&Холтер\...") as its own syntax.
std::wstring QuoteAlways(const std::wstring& path);

// Runs `programPath` (a full path; a command script runs through the system's command
// interpreter) with the command line QuoteAlways(path) + " " + `parameters` (the blank also when
// there are no parameters), in the program's own folder ("C:\" for a program in a drive's root, the
// folder without a trailing "\" otherwise), and waits in 100 ms steps until it has ended.
// Returns its exit code (0xFFFFFFFF if it cannot be read). Raises OperatorError
// "не могу создать процесс: <path>" when the command line does not fit its buffer of 512 units or
// the process cannot be created.
std::uint32_t RunInFolderAndWait(os::IProcesses& processes, const std::wstring& programPath,
                                 const std::wstring& parameters, std::uint16_t showMode);

// The folder a program runs in: the folder part of its path, without a trailing "\" except for
// a drive's root ("C:\"); nothing for a bare name.
std::wstring ProgramFolder(const std::wstring& programPath);

}  // namespace engine
