// The test environment on a dry run's view of the in-memory double: scratch folders are made on
// the base, and everything a test does in them lands in the view, so a test written against the
// file-system seam checks that the view behaves as the computer below it would.
#include <stdexcept>
#include <string>

#include "os/overlay/OverlayFileSystem.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"
#include "os/testing/TestEnvironment.h"

namespace os::testing {
namespace {

class OverlayEnvironment final : public TestEnvironment {
 public:
  OverlayEnvironment() {
    if (base_.CreateFolder(L"C:\\scratch\\") != error::kSuccess) {
      throw std::runtime_error("cannot create the scratch root");
    }
  }

  IFileSystem& Fs() override { return view_; }

  std::wstring NewScratchFolder() override {
    const std::wstring folder = L"C:\\scratch\\" + std::to_wstring(++count_) + L"\\";
    if (base_.CreateFolder(folder) != error::kSuccess) {
      throw std::runtime_error("cannot create a scratch folder");
    }
    return folder;
  }

  bool IsDouble() const override { return false; }

 private:
  MemoryFileSystem base_;
  overlay::OverlayFileSystem view_{base_};
  unsigned count_ = 0;
};

}  // namespace

std::unique_ptr<TestEnvironment> MakeTestEnvironment() {
  return std::make_unique<OverlayEnvironment>();
}

bool RunningUnderWine() {
  return false;
}

}  // namespace os::testing
