#pragma once
// Watching a run from outside: what the engine shows, writes and starts, told to an observer as
// it happens, without the engine knowing. ObservingProgress stands between the engine and the
// real progress interface, ObservedPlatform between the engine and the computer; both pass
// everything through unchanged (the progress list stays the same) and tell the observer after
// each call. The console installer's installation record is such an observer.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/InstallProgress.h"
#include "os/Platform.h"

namespace engine {

class IRunObserver {
 public:
  virtual ~IRunObserver() = default;
  // A progress line added or rewritten (a completion word appended): its whole text now.
  virtual void ProgressLine(int index, const std::wstring& text) = 0;
  virtual void Question(const std::wstring& text, bool yes) = 0;
  // An error shown to the operator, or the system's reason for a step that failed.
  virtual void Error(const std::wstring& text) = 0;
  // Something beside the installation that failed without failing it.
  virtual void Warning(const std::wstring& text) = 0;
  // A file written and closed, copied by the system or by the shell: its path, size and the
  // SHA-256 of its content (nothing, with the reason, when it could not be taken).
  virtual void FileWritten(const std::wstring& path, std::uint64_t size,
                           const std::optional<os::Sha256Digest>& digest,
                           const std::wstring& digestError) = 0;
  virtual void FileRenamed(const std::wstring& from, const std::wstring& to) = 0;
  virtual void FileRemoved(const std::wstring& path) = 0;
  // A program started by the run has ended with its exit code, or could not be started.
  virtual void ProgramEnded(const std::wstring& commandLine, std::uint32_t exitCode) = 0;
  virtual void ProgramNotStarted(const std::wstring& commandLine, const std::wstring& reason) = 0;
};

class ObservingProgress final : public IInstallProgress {
 public:
  ObservingProgress(IInstallProgress& inner, IRunObserver& observer)
      : inner_(inner), observer_(observer) {}

  int Add(const std::wstring& text) override;
  std::wstring Get(int index) override { return inner_.Get(index); }
  void Put(int index, const std::wstring& text) override;
  void ProcessMessages() override { inner_.ProcessMessages(); }
  void Repaint() override { inner_.Repaint(); }
  void ShowError(const std::wstring& text) override;
  bool Confirm(const std::wstring& text) override;
  void SetBusy(bool busy) override { inner_.SetBusy(busy); }
  void CopyProgress(int index, std::uint64_t done, std::uint64_t total) override {
    inner_.CopyProgress(index, done, total);
  }
  void FailureReason(const std::wstring& text) override;
  void Warning(const std::wstring& text) override;

 private:
  IInstallProgress& inner_;
  IRunObserver& observer_;
};

// The base's seam with its file system, shell, processes, XML documents and shell links watched;
// everything else is the base's own.
class ObservedPlatform {
 public:
  ObservedPlatform(os::Platform& base, IRunObserver& observer);
  ~ObservedPlatform();
  ObservedPlatform(const ObservedPlatform&) = delete;
  ObservedPlatform& operator=(const ObservedPlatform&) = delete;

  os::Platform& Get() { return *platform_; }

 private:
  struct Parts;
  std::unique_ptr<Parts> parts_;
  std::unique_ptr<os::Platform> platform_;
};

}  // namespace engine
