// The test environment on the real Win32 file system: scratch folders in a folder of this
// process under the temporary folder, removed with everything in them at the end.
#include <windows.h>

#include <stdexcept>
#include <string>

#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "os/win32/Win32FileSystem.h"

namespace os::testing {
namespace {

class Win32Environment final : public TestEnvironment {
 public:
  Win32Environment() {
    wchar_t temp[MAX_PATH + 1];
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    if (length == 0 || length > MAX_PATH) {
      throw std::runtime_error("GetTempPathW failed");
    }
    // Several environments may live in one process (one per test): a counter keeps them apart,
    // the process id keeps parallel test programs apart.
    static unsigned sequence = 0;
    const std::wstring base = std::wstring(temp, length) + L"virelta-test-" +
                              std::to_wstring(::GetCurrentProcessId()) + L"-";
    for (;;) {
      root_ = base + std::to_wstring(++sequence) + L"\\";
      const ErrorCode error = fs_.CreateFolder(root_);
      if (error == error::kSuccess) {
        break;
      }
      if (error != error::kAlreadyExists) {  // left over by an earlier process of the same id
        throw std::runtime_error("cannot create the scratch root: Windows error " +
                                 std::to_string(error));
      }
    }
  }
  ~Win32Environment() override { RemoveTree(fs_, root_); }

  IFileSystem& Fs() override { return fs_; }

  std::wstring NewScratchFolder() override {
    const std::wstring folder = root_ + std::to_wstring(++count_) + L"\\";
    const ErrorCode error = fs_.CreateFolder(folder);
    if (error != error::kSuccess) {
      throw std::runtime_error("cannot create a scratch folder: Windows error " +
                               std::to_string(error));
    }
    return folder;
  }

  bool IsDouble() const override { return false; }

 private:
  win32::Win32FileSystem fs_;
  std::wstring root_;
  unsigned count_ = 0;
};

}  // namespace

std::unique_ptr<TestEnvironment> MakeTestEnvironment() {
  return std::make_unique<Win32Environment>();
}

bool RunningUnderWine() {
  // Wine's ntdll exports wine_get_version; Windows' does not.
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace os::testing
