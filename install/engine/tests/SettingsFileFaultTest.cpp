// The settings-file writer against faults only the in-memory file system can inject.
#include <gtest/gtest.h>

#include "Raised.h"
#include "engine/SettingsFile.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"

namespace engine {
namespace {

using testing::RaisedMessage;

constexpr wchar_t kFile[] = L"C:\\virelta.ini";
constexpr char kBefore[] = "[options]\r\nFilterType=3\r\n\r\n[Printer]\r\nName=A4\r\n\r\n";

class SettingsFileFaultTest : public ::testing::Test {
 protected:
  void SetUp() override { os::testing::WriteBytes(fs_, kFile, kBefore); }
  std::wstring Message(const wchar_t* what, os::ErrorCode code) {
    return std::wstring(what) + L" \"C:\\virelta.ini\". " + fs_.ErrorText(code);
  }
  os::testing::MemoryFileSystem fs_;
  os::testing::FakeLocale locale_;
};

// A file that is there but cannot be read is not rewritten from nothing.
TEST_F(SettingsFileFaultTest, AFileThatCannotBeReadRaisesBeforeAnythingIsWritten) {
  struct Case {
    bool failOpen;
    os::ErrorCode code;
  };
  const Case cases[] = {{true, os::error::kSharingViolation}, {false, os::error::kReadFault}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    fs_.ClearFaults();
    if (c.failOpen) {
      fs_.FailOpen(kFile, c.code);
    } else {
      fs_.FailReadAfter(kFile, 10, c.code);
    }
    EXPECT_EQ(RaisedMessage([&] { SettingsFile(fs_, locale_, kFile); }),
              Message(L"Cannot open file", c.code));
    EXPECT_EQ(fs_.Content(kFile), kBefore);
  }
}

TEST_F(SettingsFileFaultTest, AWriteErrorRaisesTheCreateError) {
  SettingsFile settings(fs_, locale_, kFile);
  settings.WriteInteger(L"options", L"FilterType", 0);
  fs_.FailWriteAfter(kFile, 5, os::error::kDiskFull);
  EXPECT_EQ(RaisedMessage([&] { settings.UpdateFile(); }),
            Message(L"Cannot create file", os::error::kDiskFull));
  EXPECT_EQ(fs_.OpenHandleCount(), 0u);
}

}  // namespace
}  // namespace engine
