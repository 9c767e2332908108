#pragma once
// The operations the engine needs from the user interface: the wizard's main window implements
// them on its progress list and message boxes; the console installer and the tests have their
// own. The engine only appends lines and rewrites lines it appended in the same run.
#include <cstdint>
#include <string>
#include <string_view>

#include "os/FileSystem.h"

namespace engine {

class IInstallProgress {
 public:
  virtual ~IInstallProgress() = default;

  // Appends a line; returns its zero-based index.
  virtual int Add(const std::wstring& text) = 0;
  virtual std::wstring Get(int index) = 0;
  virtual void Put(int index, const std::wstring& text) = 0;
  // Lets the window handle its pending messages (painting, input), then returns.
  virtual void ProcessMessages() = 0;
  // Repaints the progress list at once, handling no other message.
  virtual void Repaint() = 0;
  // Modal error box ("Error", one "OK" button).
  virtual void ShowError(const std::wstring& text) = 0;
  // Modal question ("Confirm", "&Yes" and "&No"); true only for "&Yes".
  virtual bool Confirm(const std::wstring& text) = 0;
  // True: the window refuses to close and shows the hourglass; false: closable, default cursor.
  virtual void SetBusy(bool busy) = 0;
  // Between the blocks of a long copy: `done` of `total` bytes of the file on line `index` are
  // copied. The line itself is not touched; a window may show the share and stay responsive.
  virtual void CopyProgress(int /*index*/, std::uint64_t /*done*/, std::uint64_t /*total*/) {}
  // Why the step just reported as failed (a folder not created, a copy marked "ОШИБКА!!!")
  // failed: "\"<path>\": <the system's text>". No line of the list; a window may ignore it.
  virtual void FailureReason(const std::wstring& /*text*/) {}
  // Something beside the installation that failed without failing it (the uninstall entry, the
  // record of the installed files): no line of the list; the console installer says it on
  // standard error, a window may ignore it.
  virtual void Warning(const std::wstring& /*text*/) {}
};

// "\"<full path>\": <the system's text for the error>", for FailureReason.
std::wstring FailureText(os::IFileSystem& fs, const std::wstring& path, os::ErrorCode error);

// Appends a completion word to line `index`, directly after its dots.
void CompleteLine(IInstallProgress& progress, int index, std::wstring_view word);

// The busy region of a run: entered on construction, left on Leave() or, at the latest, on
// destruction, so that an early return or an error passing through always leaves it.
class BusyRegion {
 public:
  explicit BusyRegion(IInstallProgress& progress);
  BusyRegion(const BusyRegion&) = delete;
  BusyRegion& operator=(const BusyRegion&) = delete;
  ~BusyRegion();

  void Leave();

 private:
  IInstallProgress& progress_;
  bool inside_ = true;
};

}  // namespace engine
