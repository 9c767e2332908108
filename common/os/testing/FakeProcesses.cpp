#include "os/testing/FakeProcesses.h"

#include "os/testing/MemoryFileSystem.h"
#include "os/testing/SeamCalls.h"

#include <algorithm>
#include <utility>

namespace os::testing {
namespace {

constexpr ErrorCode kBadExeFormat = 193;
constexpr ErrorCode kDirectoryInvalid = 267;
constexpr std::uint32_t kStillActive = 259;

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

std::wstring Extension(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
    return {};
  }
  return FoldCase(path.substr(dot));
}

}  // namespace

class FakeProcesses::Process final : public IProcess {
 public:
  Process(std::shared_ptr<State> state, std::uint32_t exitCode, std::uint32_t runMilliseconds)
      : state_(std::move(state)), exitCode_(exitCode), remaining_(runMilliseconds) {
    state_->openHandles += 2;
  }
  ~Process() override { state_->openHandles -= 2; }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  std::uint32_t Wait(std::uint32_t milliseconds) override {
    SeamCalls::Count();
    state_->waits.push_back(milliseconds);
    if (state_->failWaits) {
      return wait::kFailed;
    }
    if (milliseconds == wait::kInfinite || remaining_ <= milliseconds) {
      remaining_ = 0;
      return wait::kObject0;
    }
    remaining_ -= milliseconds;
    return wait::kTimeout;
  }

  std::optional<std::uint32_t> ExitCode() override {
    SeamCalls::Count();
    if (state_->failExitCode) {
      return std::nullopt;
    }
    return remaining_ > 0 ? kStillActive : exitCode_;
  }

 private:
  std::shared_ptr<State> state_;
  std::uint32_t exitCode_;
  std::uint32_t remaining_;
};

FakeProcesses::FakeProcesses(IFileSystem& fs) : fs_(fs), currentFolder_(fs.FullPath(L".")) {}

FakeProcesses::~FakeProcesses() = default;

void FakeProcesses::SetProgram(const std::wstring& path, FakeProgram program) {
  programs_[FoldCase(fs_.FullPath(path))] = std::move(program);
}

ErrorCode FakeProcesses::TryProgram(std::wstring name, std::wstring& program) {
  if (name.empty()) {
    return error::kFileNotFound;
  }
  if (Extension(name).empty()) {
    name += L".exe";
  }
  const std::uint32_t attributes = fs_.GetAttributes(name);
  if (attributes == attr::kInvalid) {
    // A missing folder on the way reads as a missing path, as on Windows.
    const std::size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0) {
      const std::wstring parent = name.substr(0, slash + 1);
      if (fs_.GetAttributes(parent) == attr::kInvalid) {
        return error::kPathNotFound;
      }
    }
    return error::kFileNotFound;
  }
  if ((attributes & attr::kDirectory) != 0) {
    return error::kAccessDenied;
  }
  const std::wstring extension = Extension(name);
  if (extension != L".EXE" && extension != L".COM" && extension != L".CMD" &&
      extension != L".BAT") {
    return kBadExeFormat;
  }
  program = fs_.FullPath(name);
  return error::kSuccess;
}

ErrorCode FakeProcesses::Resolve(const std::wstring& commandLine, std::wstring& program) {
  if (!commandLine.empty() && commandLine.front() == L'"') {
    const std::size_t close = commandLine.find(L'"', 1);
    return TryProgram(
        commandLine.substr(1, close == std::wstring::npos ? std::wstring::npos : close - 1),
        program);
  }
  // Unquoted: the name may hold blanks, so every prefix that ends before a blank is tried in
  // turn, then the whole line; the first that names a program wins.
  ErrorCode last = error::kFileNotFound;
  for (std::size_t i = 0; i <= commandLine.size(); ++i) {
    if (i < commandLine.size() && !IsBlank(commandLine[i])) {
      continue;
    }
    if (i == 0) {
      continue;
    }
    last = TryProgram(commandLine.substr(0, i), program);
    if (last == error::kSuccess) {
      return last;
    }
  }
  return last;
}

std::unique_ptr<IProcess> FakeProcesses::Create(const ProcessStart& start, ErrorCode& error) {
  SeamCalls::Count();
  ProcessStartRecord record;
  record.bufferSize = start.commandLine.size();
  record.creationFlags = start.creationFlags;
  record.folder = start.folder;
  record.showMode = start.showMode;
  const auto zero = std::find(start.commandLine.begin(), start.commandLine.end(), L'\0');
  if (zero == start.commandLine.end()) {
    record.error = error::kInvalidParameter;
  } else {
    record.commandLine.assign(start.commandLine.begin(), zero);
    if (createFailure_ != error::kSuccess) {
      record.error = createFailure_;
    } else if (start.folder && (fs_.GetAttributes(*start.folder) == attr::kInvalid ||
                                (fs_.GetAttributes(*start.folder) & attr::kDirectory) == 0)) {
      record.error = kDirectoryInvalid;
    } else {
      record.error = Resolve(record.commandLine, record.program);
    }
  }
  if (record.error != error::kSuccess) {
    record.program.clear();
    error = record.error;
    starts_.push_back(std::move(record));
    return nullptr;
  }
  record.workingFolder = start.folder ? fs_.FullPath(*start.folder) : CurrentFolder();
  FakeProgram program;
  if (const auto it = programs_.find(FoldCase(record.program)); it != programs_.end()) {
    program = it->second;
  }
  starts_.push_back(record);
  auto process = std::make_unique<Process>(state_, program.exitCode, program.runMilliseconds);
  if (program.onStart) {
    program.onStart(record);
  }
  error = error::kSuccess;
  return process;
}

ErrorCode FakeProcesses::SetCurrentFolder(const std::wstring& path) {
  SeamCalls::Count();
  folderChanges_.push_back(path);
  if (auto* memory = dynamic_cast<MemoryFileSystem*>(&fs_)) {
    return memory->SetCurrentFolder(path);
  }
  const std::uint32_t attributes = fs_.GetAttributes(path);
  if (attributes == attr::kInvalid) {
    return error::kFileNotFound;
  }
  if ((attributes & attr::kDirectory) == 0) {
    return kDirectoryInvalid;
  }
  currentFolder_ = fs_.FullPath(path);
  // Like GetCurrentDirectoryW: no trailing separator except on a drive's root.
  while (currentFolder_.size() > 3 && currentFolder_.back() == L'\\') {
    currentFolder_.pop_back();
  }
  return error::kSuccess;
}

std::wstring FakeProcesses::CurrentFolder() {
  SeamCalls::Count();
  if (auto* memory = dynamic_cast<MemoryFileSystem*>(&fs_)) {
    return memory->CurrentFolder();
  }
  return currentFolder_;
}

}  // namespace os::testing
