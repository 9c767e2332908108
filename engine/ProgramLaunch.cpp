#include "engine/ProgramLaunch.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

#include "Error.h"

namespace engine {
namespace {

// The command line in a zeroed buffer of `size` units with room for its zero; nothing when it
// does not fit.
std::optional<std::vector<wchar_t>> CommandLineBuffer(const std::wstring& commandLine,
                                                      std::size_t size) {
  if (commandLine.size() >= size) {
    return std::nullopt;
  }
  std::vector<wchar_t> buffer(size, L'\0');
  std::copy(commandLine.begin(), commandLine.end(), buffer.begin());
  return buffer;
}

std::unique_ptr<os::IProcess> Start(os::IProcesses& processes, std::vector<wchar_t>& buffer,
                                    std::optional<std::wstring> folder, std::uint16_t showMode,
                                    os::ErrorCode& error) {
  os::ProcessStart start;
  start.commandLine = buffer;
  start.creationFlags = kLaunchCreationFlags;
  start.folder = std::move(folder);
  start.showMode = showMode;
  error = os::error::kSuccess;
  return processes.Create(start, error);
}

// The system's error goes with it, for a report that says why.
[[noreturn]] void RaiseCannotCreate(const std::wstring& programPath, os::ErrorCode error) {
  throw OperatorError(L"не могу создать процесс: " + programPath, programPath, error);
}

}  // namespace

std::wstring QuoteProgramPath(const std::wstring& path) {
  if (path.find_first_of(L" \t") == std::wstring::npos ||
      (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')) {
    return path;
  }
  return L"\"" + path + L"\"";
}

std::int32_t StartProgram(os::IProcesses& processes, const std::wstring& commandLine,
                          std::uint16_t showMode, bool wait) {
  const std::wstring line = !commandLine.empty() && commandLine.front() == L'"'
                                ? commandLine
                                : QuoteProgramPath(commandLine);
  auto buffer = CommandLineBuffer(line, kStartProgramBufferSize);
  if (!buffer) {
    return -1;
  }
  os::ErrorCode error = os::error::kSuccess;
  const auto process = Start(processes, *buffer, std::nullopt, showMode, error);
  if (!process) {
    return -1;
  }
  if (!wait) {
    return 0;
  }
  process->Wait(os::wait::kInfinite);
  const auto code = process->ExitCode();
  return code ? static_cast<std::int32_t>(*code) : -1;
}

std::wstring QuoteAlways(const std::wstring& path) {
  if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"') {
    return path;
  }
  return L"\"" + path + L"\"";
}

std::uint32_t RunInFolderAndWait(os::IProcesses& processes, const std::wstring& programPath,
                                 const std::wstring& parameters, std::uint16_t showMode) {
  auto buffer =
      CommandLineBuffer(QuoteAlways(programPath) + L" " + parameters, kRunInFolderBufferSize);
  if (!buffer) {
    RaiseCannotCreate(programPath, os::error::kFilenameExcedRange);
  }
  const std::wstring folder = ProgramFolder(programPath);
  os::ErrorCode error = os::error::kSuccess;
  const auto process = Start(
      processes, *buffer, folder.empty() ? std::nullopt : std::optional(folder), showMode, error);
  if (!process) {
    RaiseCannotCreate(programPath,
                      error == os::error::kSuccess ? os::error::kInvalidParameter : error);
  }
  while (process->Wait(kWaitStepMilliseconds) == os::wait::kTimeout) {
  }
  return process->ExitCode().value_or(0xFFFFFFFF);
}

std::wstring ProgramFolder(const std::wstring& programPath) {
  const std::size_t separator = programPath.find_last_of(L"\\:");
  if (separator == std::wstring::npos) {
    return {};
  }
  std::wstring folder = programPath.substr(0, separator + 1);
  // "C:\" keeps its separator: without it, "C:" would mean the drive's current folder.
  const bool driveRoot = folder.size() == 3 && folder[1] == L':';
  if (!driveRoot && folder.size() > 1 && folder.back() == L'\\') {
    folder.pop_back();
  }
  return folder;
}

}  // namespace engine
