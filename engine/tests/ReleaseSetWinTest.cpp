// The release step on the real system under Wine: the newest set's "Install.cmd" runs through
// the command interpreter in its folder below a target with a blank in its path, the current
// folder ends in the target, and MSXML writes the level.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Raised.h"
#include "engine/ReleaseSet.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "os/win32/Win32Platform.h"
#include "text/Utf.h"

namespace engine {
namespace {

using testing::RaisedMessage;

constexpr char kReleaseInfo[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
    "<ROOT>\r\n"
    "  <Version>1</Version>\r\n"
    "  <Level>010111</Level>\r\n"
    "</ROOT>\r\n";

// Each script notes its folder beside itself and ends with a code that nobody examines.
constexpr char kScript[] = "@echo off\r\ncd > ran.txt\r\nexit 4\r\n";

std::wstring CurrentFolder() {
  wchar_t buffer[MAX_PATH];
  const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer);
  return std::wstring(buffer, length < MAX_PATH ? length : 0);
}

class ReleaseSetWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = CurrentFolder();
    env_ = os::testing::MakeTestEnvironment();
    const std::wstring scratch = env_->NewScratchFolder();
    ASSERT_EQ(Fs().CreateFolder(scratch + L"Program Files"), 0u);
    target_ = scratch + L"Program Files\\Virelta\\";
    ASSERT_EQ(Fs().CreateFolder(target_), 0u);
    ASSERT_EQ(Fs().CreateFolder(target_ + L"backup"), 0u);
    os::testing::WriteBytes(Fs(), target_ + L"ReleaseInfo", kReleaseInfo);
  }
  void TearDown() override {
    // The test's own current folder, so that the scratch folder can be removed.
    ::SetCurrentDirectoryW(saved_.c_str());
  }

  os::IFileSystem& Fs() { return env_->Fs(); }

  void AddSet(const std::wstring& name, std::uint32_t attributes = 0) {
    const std::wstring folder = target_ + L"backup\\" + name;
    ASSERT_EQ(Fs().CreateFolder(folder), 0u);
    os::testing::WriteBytes(Fs(), folder + L"\\Install.cmd", kScript);
    if (attributes != 0) {
      ASSERT_EQ(Fs().SetAttributes(folder, attributes | os::attr::kDirectory), 0u);
    }
  }

  std::optional<std::string> Ran(const std::wstring& name) {
    return os::testing::ReadBytes(Fs(), target_ + L"backup\\" + name + L"\\ran.txt");
  }

  std::wstring saved_;
  std::unique_ptr<os::testing::TestEnvironment> env_;
  os::win32::Win32Platform platform_;
  std::wstring target_;
};

TEST_F(ReleaseSetWinTest, TheNewestSetsScriptRunsInItsFolderAndItsLevelIsWritten) {
  AddSet(L"V311212");
  AddSet(L"B150612");
  AddSet(L"a150612");
  AddSet(L"V010113");
  AddSet(L"V010120", os::attr::kHidden);
  ApplyLatestReleaseSet(platform_.Get(), target_);

  const auto ran = Ran(L"V010113");
  ASSERT_TRUE(ran.has_value()) << "the newest set's script did not run";
  EXPECT_EQ(text::FromUtf8(*ran), target_ + L"backup\\V010113\r\n");
  for (const wchar_t* other : {L"V311212", L"B150612", L"a150612", L"V010120"}) {
    EXPECT_FALSE(Ran(other).has_value()) << text::ToUtf8(other);
  }
  EXPECT_EQ(CurrentFolder(), target_.substr(0, target_.size() - 1));
  const std::string info = os::testing::ReadBytes(Fs(), target_ + L"ReleaseInfo").value_or("");
  EXPECT_NE(info.find("<Level>010113</Level>"), std::string::npos) << info;
  EXPECT_NE(info.find("<Version>1</Version>"), std::string::npos) << info;
}

TEST_F(ReleaseSetWinTest, OfEqualDatesTheSetSortingFirstWithoutLetterCaseRuns) {
  AddSet(L"B150612");
  AddSet(L"a150612");
  ApplyLatestReleaseSet(platform_.Get(), target_);
  EXPECT_TRUE(Ran(L"a150612").has_value());
  EXPECT_FALSE(Ran(L"B150612").has_value());
  const std::string info = os::testing::ReadBytes(Fs(), target_ + L"ReleaseInfo").value_or("");
  EXPECT_NE(info.find("<Level>150612</Level>"), std::string::npos) << info;
}

TEST_F(ReleaseSetWinTest, AMissingReleaseInfoIsReportedAfterTheScriptRan) {
  AddSet(L"V150612");
  ASSERT_EQ(Fs().RemoveFile(target_ + L"ReleaseInfo"), 0u);
  EXPECT_EQ(RaisedMessage([&] { ApplyLatestReleaseSet(platform_.Get(), target_); }),
            L"Release info file does not exist");
  EXPECT_TRUE(Ran(L"V150612").has_value());
  EXPECT_EQ(CurrentFolder(), target_.substr(0, target_.size() - 1));
}

TEST_F(ReleaseSetWinTest, AWrongVersionLeavesTheFileAsItWas) {
  AddSet(L"V150612");
  const std::string content = "<ROOT><Version>2</Version><Level>010111</Level></ROOT>";
  os::testing::WriteBytes(Fs(), target_ + L"ReleaseInfo", content);
  EXPECT_EQ(RaisedMessage([&] { ApplyLatestReleaseSet(platform_.Get(), target_); }),
            L"Cannot get release information, error: unknown release file version");
  EXPECT_EQ(os::testing::ReadBytes(Fs(), target_ + L"ReleaseInfo"), content);
}

}  // namespace
}  // namespace engine
