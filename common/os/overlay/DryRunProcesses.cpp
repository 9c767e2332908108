#include "os/overlay/DryRunProcesses.h"

#include <algorithm>

namespace os::overlay {
namespace {

constexpr ErrorCode kDirectoryInvalid = 267;  // ERROR_DIRECTORY

class FinishedProcess final : public IProcess {
 public:
  std::uint32_t Wait(std::uint32_t /*milliseconds*/) override { return wait::kObject0; }
  std::optional<std::uint32_t> ExitCode() override { return 0u; }
};

}  // namespace

bool DryRunProcesses::IsFolder(const std::wstring& path) {
  const std::uint32_t attributes = view_.GetAttributes(path);
  return attributes != attr::kInvalid && (attributes & attr::kDirectory) != 0;
}

std::wstring DryRunProcesses::Program(const std::wstring& commandLine) {
  const auto isFile = [&](const std::wstring& name) {
    const std::uint32_t attributes = view_.GetAttributes(name);
    return attributes != attr::kInvalid && (attributes & attr::kDirectory) == 0;
  };
  const auto withExtension = [&](std::wstring name) -> std::wstring {
    if (isFile(name)) {
      return name;
    }
    const std::size_t dot = name.find_last_of(L".\\");
    if (dot == std::wstring::npos || name[dot] != L'.') {
      name += L".exe";
      return isFile(name) ? name : std::wstring();
    }
    return {};
  };
  if (!commandLine.empty() && commandLine.front() == L'"') {
    const std::size_t end = commandLine.find(L'"', 1);
    return withExtension(commandLine.substr(1, end == std::wstring::npos ? end : end - 1));
  }
  // Unquoted: tried at each blank in turn, as the system does.
  for (std::size_t blank = commandLine.find(L' ');; blank = commandLine.find(L' ', blank + 1)) {
    if (std::wstring found = withExtension(commandLine.substr(0, blank)); !found.empty()) {
      return found;
    }
    if (blank == std::wstring::npos) {
      return {};
    }
  }
}

std::unique_ptr<IProcess> DryRunProcesses::Create(const ProcessStart& start, ErrorCode& error) {
  const auto zero = std::find(start.commandLine.begin(), start.commandLine.end(), L'\0');
  if (zero == start.commandLine.end()) {
    error = error::kInvalidParameter;
    return nullptr;
  }
  const std::wstring commandLine(start.commandLine.begin(), zero);
  const std::wstring folder = start.folder ? *start.folder : CurrentFolder();
  if (start.folder && !IsFolder(*start.folder)) {
    error = kDirectoryInvalid;
    return nullptr;
  }
  if (Program(commandLine).empty()) {
    error = error::kFileNotFound;
    return nullptr;
  }
  error = error::kSuccess;
  report_(commandLine, folder);
  return std::make_unique<FinishedProcess>();
}

ErrorCode DryRunProcesses::SetCurrentFolder(const std::wstring& path) {
  if (!IsFolder(path)) {
    return error::kFileNotFound;
  }
  std::wstring full = view_.FullPath(path);
  const bool driveRoot = full.size() == 3 && full[1] == L':';
  if (!driveRoot && full.size() > 1 && full.back() == L'\\') {
    full.pop_back();
  }
  current_ = full;
  return error::kSuccess;
}

std::wstring DryRunProcesses::CurrentFolder() {
  return current_ ? *current_ : base_.CurrentFolder();
}

}  // namespace os::overlay
