#include "engine/InstallProgress.h"

namespace engine {

std::wstring FailureText(os::IFileSystem& fs, const std::wstring& path, os::ErrorCode error) {
  return L"\"" + fs.FullPath(path) + L"\": " + fs.ErrorText(error);
}

void CompleteLine(IInstallProgress& progress, int index, std::wstring_view word) {
  progress.Put(index, progress.Get(index) + std::wstring(word));
}

BusyRegion::BusyRegion(IInstallProgress& progress) : progress_(progress) {
  progress_.SetBusy(true);
}

BusyRegion::~BusyRegion() {
  if (!inside_) {
    return;
  }
  try {
    Leave();
  } catch (...) {
    // A destructor may run while an error passes through: the first error is the one to report.
  }
}

void BusyRegion::Leave() {
  if (inside_) {
    inside_ = false;
    progress_.SetBusy(false);
  }
}

}  // namespace engine
