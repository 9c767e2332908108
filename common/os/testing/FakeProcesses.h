#pragma once
// The process double over the in-memory file system. A command line is resolved the way
// CreateProcessW resolves one without an application name: a quoted first token is the program;
// an unquoted line is tried at each blank in turn ("C:\Program Files\A\B.exe" tries
// "C:\Program.exe" first), ".exe" added to a name without extension. The program must exist as a
// file; .exe, .com, .cmd and .bat files run, others fail with ERROR_BAD_EXE_FORMAT. A started
// program does what the test scripted for its path (by default: exit code 0, ends at once). Its
// run time passes only while its caller waits. The current folder is the in-memory file
// system's own (relative paths follow it); over another file system it is kept here, starting
// from that file system's idea of ".". Not thread-safe.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/FileSystem.h"
#include "os/Process.h"

namespace os::testing {

// One successful or failed Create, as the caller made it.
struct ProcessStartRecord {
  std::wstring commandLine;  // up to the buffer's first zero
  std::size_t bufferSize = 0;
  std::uint32_t creationFlags = 0;
  std::optional<std::wstring> folder;
  std::uint16_t showMode = 0;
  std::wstring program;        // the file the command line resolved to; empty when none
  std::wstring workingFolder;  // where the program started: `folder`, or the current folder
  ErrorCode error = error::kSuccess;
};

struct FakeProgram {
  std::uint32_t exitCode = 0;
  // How long it runs, in milliseconds of its caller's waiting.
  std::uint32_t runMilliseconds = 0;
  // Called when it starts, with the record of the start (to write files, for example).
  std::function<void(const ProcessStartRecord&)> onStart;
};

class FakeProcesses final : public IProcesses {
 public:
  explicit FakeProcesses(IFileSystem& fs);
  ~FakeProcesses() override;
  FakeProcesses(const FakeProcesses&) = delete;
  FakeProcesses& operator=(const FakeProcesses&) = delete;

  std::unique_ptr<IProcess> Create(const ProcessStart& start, ErrorCode& error) override;
  ErrorCode SetCurrentFolder(const std::wstring& path) override;
  std::wstring CurrentFolder() override;

  // --- Scripting ---
  // What the program at this full path (compared like Windows compares names) does.
  void SetProgram(const std::wstring& path, FakeProgram program);
  // Every Create fails with `code` (0: no longer).
  void FailCreate(ErrorCode code) { createFailure_ = code; }
  // Every wait reports WAIT_FAILED.
  void FailWaits(bool fail) { state_->failWaits = fail; }
  // GetExitCodeProcess fails.
  void FailExitCode(bool fail) { state_->failExitCode = fail; }

  // --- Inspection ---
  const std::vector<ProcessStartRecord>& Starts() const { return starts_; }
  // The time-out of every wait, in order.
  const std::vector<std::uint32_t>& Waits() const { return state_->waits; }
  // Process and thread handles not yet closed (two per started process).
  std::size_t OpenHandleCount() const { return state_->openHandles; }
  // Every SetCurrentFolder call's path, in order.
  const std::vector<std::wstring>& FolderChanges() const { return folderChanges_; }

 private:
  struct State {
    std::vector<std::uint32_t> waits;
    std::size_t openHandles = 0;
    bool failWaits = false;
    bool failExitCode = false;
  };
  class Process;

  // The program a command line names, or the error CreateProcessW gives.
  ErrorCode Resolve(const std::wstring& commandLine, std::wstring& program);
  ErrorCode TryProgram(std::wstring name, std::wstring& program);

  IFileSystem& fs_;
  std::wstring currentFolder_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
  std::map<std::wstring, FakeProgram> programs_;
  std::vector<ProcessStartRecord> starts_;
  std::vector<std::wstring> folderChanges_;
  ErrorCode createFailure_ = error::kSuccess;
};

}  // namespace os::testing
