// The test environment on the in-memory double: drive C:, scratch folders C:\scratch\1\,
// C:\scratch\2\, ...
#include <stdexcept>
#include <string>

#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"
#include "os/testing/TestEnvironment.h"

namespace os::testing {
namespace {

constexpr wchar_t kScratchRoot[] = L"C:\\scratch\\";

class MemoryEnvironment final : public TestEnvironment {
 public:
  MemoryEnvironment() {
    if (fs_.CreateFolder(kScratchRoot) != error::kSuccess) {
      throw std::runtime_error("cannot create the scratch root");
    }
  }
  ~MemoryEnvironment() override { RemoveTree(fs_, kScratchRoot); }

  IFileSystem& Fs() override { return fs_; }

  std::wstring NewScratchFolder() override {
    const std::wstring folder = kScratchRoot + std::to_wstring(++count_) + L"\\";
    const ErrorCode error = fs_.CreateFolder(folder);
    if (error != error::kSuccess) {
      throw std::runtime_error("cannot create a scratch folder: Windows error " +
                               std::to_string(error));
    }
    return folder;
  }

  bool IsDouble() const override { return true; }

 private:
  MemoryFileSystem fs_;
  unsigned count_ = 0;
};

}  // namespace

std::unique_ptr<TestEnvironment> MakeTestEnvironment() {
  return std::make_unique<MemoryEnvironment>();
}

bool RunningUnderWine() {
  return false;
}

}  // namespace os::testing
