#pragma once
// What a test written once against the file-system seam runs on: natively the in-memory double,
// under Wine the real Win32 file system. Each test program links exactly one definition of
// MakeTestEnvironment (os/testing/MemoryEnvironment.cpp or os/testing/Win32Environment.cpp).
#include <memory>
#include <string>

#include "os/FileSystem.h"

namespace os::testing {

class TestEnvironment {
 public:
  virtual ~TestEnvironment() = default;
  virtual IFileSystem& Fs() = 0;
  // A new, empty folder for one test, as a full path ending in "\". Removed (read-only
  // entries included) when the environment is destroyed.
  virtual std::wstring NewScratchFolder() = 0;
  // True for the in-memory double, whose fault injection the test may then use.
  virtual bool IsDouble() const = 0;
};

std::unique_ptr<TestEnvironment> MakeTestEnvironment();

}  // namespace os::testing
