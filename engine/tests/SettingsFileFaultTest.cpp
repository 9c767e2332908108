// The settings-file writer against faults only the in-memory file system can inject.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Raised.h"
#include "engine/SettingsFile.h"
#include "os/FileReplace.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"
#include "text/Utf.h"

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

// A rewrite that cannot be completed leaves the file as it was, byte for byte, and no temporary
// file beside it: the disk full after every possible number of bytes, a write error, a temporary
// file that cannot be created, a replacement the system refuses, a read-only file.
TEST_F(SettingsFileFaultTest, ARewriteThatFailsKeepsTheOldContent) {
  const std::wstring temporary = os::ReplacementFileName(kFile);
  struct Case {
    std::string what;
    std::function<void()> arrange;
    os::ErrorCode code;
  };
  std::vector<Case> cases;
  const std::size_t newSize =
      std::string("[options]\r\nFilterType=0\r\n\r\n[Printer]\r\nName=A4\r\n\r\n").size();
  for (std::size_t room = 0; room < newSize; ++room) {
    cases.push_back({"disk full after " + std::to_string(room),
                     [&, room] { fs_.SetCapacity(fs_.UsedBytes() + room); }, os::error::kDiskFull});
  }
  cases.push_back({"write fault", [&] { fs_.FailWriteAfter(temporary, 5, os::error::kWriteFault); },
                   os::error::kWriteFault});
  cases.push_back({"no temporary file", [&] { fs_.FailOpen(temporary, os::error::kAccessDenied); },
                   os::error::kAccessDenied});
  cases.push_back({"replacement refused",
                   [&] { fs_.FailReplace(kFile, os::error::kSharingViolation); },
                   os::error::kSharingViolation});
  cases.push_back({"read-only",
                   [&] { ASSERT_EQ(fs_.SetAttributes(kFile, os::attr::kReadOnly), 0u); },
                   os::error::kAccessDenied});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    fs_.ClearFaults();
    ASSERT_EQ(fs_.SetAttributes(kFile, os::attr::kArchive), 0u);
    SettingsFile settings(fs_, locale_, kFile);
    settings.WriteInteger(L"options", L"FilterType", 0);
    c.arrange();
    EXPECT_EQ(RaisedMessage([&] { settings.UpdateFile(); }),
              Message(L"Cannot create file", c.code));
    EXPECT_EQ(fs_.Content(kFile), kBefore);
    EXPECT_FALSE(fs_.Exists(temporary));
    EXPECT_EQ(fs_.OpenHandleCount(), 0u);
  }
  // With room for it, the same rewrite lands whole.
  fs_.ClearFaults();
  ASSERT_EQ(fs_.SetAttributes(kFile, os::attr::kArchive), 0u);
  fs_.SetCapacity(fs_.UsedBytes() + newSize);
  SettingsFile settings(fs_, locale_, kFile);
  settings.WriteInteger(L"options", L"FilterType", 0);
  settings.UpdateFile();
  EXPECT_EQ(fs_.Content(kFile), "[options]\r\nFilterType=0\r\n\r\n[Printer]\r\nName=A4\r\n\r\n");
  EXPECT_FALSE(fs_.Exists(temporary));
}

// With UTF-8 as the ANSI code page the file stays ANSI, that is UTF-8; a failing conversion
// makes it UTF-16 rather than losing anything.
TEST_F(SettingsFileFaultTest, AUtf8AnsiCodePageAndAFailingConversionLoseNothing) {
  for (const bool fail : {false, true}) {
    SCOPED_TRACE(fail);
    locale_.SetCodePage(65001);
    locale_.FailConversions(fail);
    SettingsFile settings(fs_, locale_, kFile);
    settings.WriteString(L"Printer", L"Name", L"Принтер ✓");
    settings.UpdateFile();
    const std::string text =
        "[options]\r\nFilterType=3\r\n\r\n[Printer]\r\nName=" + text::ToUtf8(L"Принтер ✓") +
        "\r\n\r\n";
    if (fail) {
      EXPECT_EQ(fs_.Content(kFile).value_or("").substr(0, 2), "\xFF\xFE");
    } else {
      EXPECT_EQ(fs_.Content(kFile), text);
    }
    EXPECT_EQ(SettingsFile(fs_, locale_, kFile).ReadString(L"Printer", L"Name", L""), L"Принтер ✓");
    os::testing::WriteBytes(fs_, kFile, kBefore);
  }
}

}  // namespace
}  // namespace engine
