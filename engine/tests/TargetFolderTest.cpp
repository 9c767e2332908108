// Leaving the path page: the field's check (pure) and the folders it creates, on the double
// natively and on the real file system under Wine.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/TargetFolder.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"

namespace engine {
namespace {

using Verdict = TargetFolderCheck::Verdict;

bool IsFolder(os::IFileSystem& fs, const std::wstring& path) {
  const std::uint32_t attributes = fs.GetAttributes(path);
  return attributes != os::attr::kInvalid && (attributes & os::attr::kDirectory) != 0;
}

TEST(CheckTargetFolder, TrimsNormalisesAndRefusesEmptyAndRoot) {
  struct Case {
    const wchar_t* field;
    Verdict verdict;
    const wchar_t* path;
  };
  const Case cases[] = {
      {L"", Verdict::kEmpty, L""},
      {L"   ", Verdict::kEmpty, L""},
      {L" \t\r\n\x01 ", Verdict::kEmpty, L""},
      {L"C:", Verdict::kDriveRoot, L"C:\\"},
      {L"C:\\", Verdict::kDriveRoot, L"C:\\"},
      {L"  C:\\  ", Verdict::kDriveRoot, L"C:\\"},
      {L"\\", Verdict::kDriveRoot, L"\\"},
      {L"ab", Verdict::kDriveRoot, L"ab\\"},  // three characters once the "\" is there
      {L"abc", Verdict::kAccepted, L"abc\\"},
      {L"D:\\X", Verdict::kAccepted, L"D:\\X\\"},
      {L"  C:\\Virelta  ", Verdict::kAccepted, L"C:\\Virelta\\"},
      {L"C:\\Virelta\\", Verdict::kAccepted, L"C:\\Virelta\\"},
      {L"C:\\Program Files\\Вирельта", Verdict::kAccepted, L"C:\\Program Files\\Вирельта\\"},
      {L"C:\\Virelta\\\\", Verdict::kAccepted, L"C:\\Virelta\\\\"},  // doubled separators stay
      // Other spellings of a root: refused, the field keeping its spelling.
      {L"\\\\?\\C:\\", Verdict::kDriveRoot, L"\\\\?\\C:\\"},
      {L"\\\\.\\d:", Verdict::kDriveRoot, L"\\\\.\\d:\\"},
      {L"C:\\.\\", Verdict::kDriveRoot, L"C:\\.\\"},
      {L"C:/", Verdict::kDriveRoot, L"C:/\\"},
      {L"C:\\\\\\", Verdict::kDriveRoot, L"C:\\\\\\"},
      {L"C:\\Virelta\\..", Verdict::kDriveRoot, L"C:\\Virelta\\..\\"},
      {L"C:\\..\\..\\.", Verdict::kDriveRoot, L"C:\\..\\..\\.\\"},
      {L"C:\\ . \\...", Verdict::kDriveRoot, L"C:\\ . \\...\\"},
      {L"\\.\\", Verdict::kDriveRoot, L"\\.\\"},
      {L"\\\\?\\UNC\\srv\\share", Verdict::kDriveRoot, L"\\\\?\\UNC\\srv\\share\\"},
      {L"\\\\srv\\share\\", Verdict::kDriveRoot, L"\\\\srv\\share\\"},
      {L"\\\\?\\Volume{1234}\\", Verdict::kDriveRoot, L"\\\\?\\Volume{1234}\\"},
      // ... and folders below a root, however spelt.
      {L"\\\\?\\C:\\Virelta", Verdict::kAccepted, L"\\\\?\\C:\\Virelta\\"},
      {L"C:\\.\\Virelta\\.", Verdict::kAccepted, L"C:\\.\\Virelta\\.\\"},
      {L"C:\\A\\..\\B", Verdict::kAccepted, L"C:\\A\\..\\B\\"},
      {L"C:Virelta", Verdict::kAccepted, L"C:Virelta\\"},  // below the drive's current folder
      {L"\\\\srv\\share\\Virelta", Verdict::kAccepted, L"\\\\srv\\share\\Virelta\\"},
      {L"..\\..", Verdict::kAccepted, L"..\\..\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.field));
    const TargetFolderCheck check = CheckTargetFolder(c.field);
    EXPECT_EQ(check.verdict, c.verdict);
    EXPECT_EQ(check.path, c.path);
    EXPECT_EQ(check.Accepted(), c.verdict == Verdict::kAccepted);
    switch (c.verdict) {
      case Verdict::kAccepted:
        EXPECT_EQ(check.message, L"");
        break;
      case Verdict::kEmpty:
        EXPECT_EQ(check.message, L"Не выбран путь для установки программы!");
        break;
      case Verdict::kDriveRoot:
        EXPECT_EQ(check.message, L"Программу нелзя устанавливать в корневой каталог!");
        break;
    }
  }
}

class AcceptTargetFolderTest : public testing::Test {
 protected:
  std::unique_ptr<os::testing::TestEnvironment> env_ = os::testing::MakeTestEnvironment();
  os::IFileSystem& fs_ = env_->Fs();
  std::wstring scratch_ = env_->NewScratchFolder();
};

TEST_F(AcceptTargetFolderTest, CreatesTheFolderAndItsSettingsFolder) {
  const TargetFolderCheck check = AcceptTargetFolder(fs_, L" " + scratch_ + L"Virelta ");
  ASSERT_TRUE(check.Accepted());
  EXPECT_EQ(check.path, scratch_ + L"Virelta\\");
  EXPECT_TRUE(IsFolder(fs_, scratch_ + L"Virelta\\"));
  EXPECT_TRUE(IsFolder(fs_, scratch_ + L"Virelta\\Settings\\"));
}

TEST_F(AcceptTargetFolderTest, KeepsWhatAnExistingInstallationHolds) {
  const std::wstring target = scratch_ + L"Virelta\\";
  ASSERT_EQ(fs_.CreateFolder(target), os::error::kSuccess);
  ASSERT_EQ(fs_.CreateFolder(target + L"Settings"), os::error::kSuccess);
  os::ErrorCode error = 0;
  ASSERT_TRUE(fs_.Open(target + L"Settings\\virelta.ini", os::Access::kReadWrite, os::Share::kNone,
                       os::Disposition::kCreateNew, error));
  EXPECT_TRUE(AcceptTargetFolder(fs_, target).Accepted());
  EXPECT_NE(fs_.GetAttributes(target + L"Settings\\virelta.ini"), os::attr::kInvalid);
}

TEST_F(AcceptTargetFolderTest, CreatesOnlyTheMissingSettingsFolder) {
  const std::wstring target = scratch_ + L"Virelta\\";
  ASSERT_EQ(fs_.CreateFolder(target), os::error::kSuccess);
  EXPECT_TRUE(AcceptTargetFolder(fs_, scratch_ + L"Virelta").Accepted());
  EXPECT_TRUE(IsFolder(fs_, target + L"Settings\\"));
}

// One level only: the installation's first step reports the missing parent later.
TEST_F(AcceptTargetFolderTest, IgnoresAFolderThatCannotBeCreated) {
  const TargetFolderCheck check = AcceptTargetFolder(fs_, scratch_ + L"A\\B");
  EXPECT_TRUE(check.Accepted());
  EXPECT_EQ(fs_.GetAttributes(scratch_ + L"A"), os::attr::kInvalid);
  EXPECT_EQ(fs_.GetAttributes(scratch_ + L"A\\B"), os::attr::kInvalid);
}

TEST_F(AcceptTargetFolderTest, IgnoresAFileInTheFolderPlace) {
  os::ErrorCode error = 0;
  ASSERT_TRUE(fs_.Open(scratch_ + L"Virelta", os::Access::kReadWrite, os::Share::kNone,
                       os::Disposition::kCreateNew, error));
  EXPECT_TRUE(AcceptTargetFolder(fs_, scratch_ + L"Virelta").Accepted());
  EXPECT_EQ(fs_.GetAttributes(scratch_ + L"Virelta") & os::attr::kDirectory, 0u);
}

TEST_F(AcceptTargetFolderTest, ADriveRootIsRefusedWithoutItsSettingsFolder) {
  if (!env_->IsDouble()) {
    GTEST_SKIP() << "only on the double: it would reach the real drive root";
  }
  EXPECT_EQ(AcceptTargetFolder(fs_, L"C:").verdict, Verdict::kDriveRoot);
  EXPECT_EQ(AcceptTargetFolder(fs_, L" ").verdict, Verdict::kEmpty);
  EXPECT_EQ(fs_.GetAttributes(L"C:\\Settings"), os::attr::kInvalid);
}

// The kit never works on itself: the medium, a folder on it or one holding it, and the Windows
// folder or one in it, however the path is spelt; a name that only starts alike is no match.
TEST_F(AcceptTargetFolderTest, ATargetOnTheMediumOrInWindowsIsRefused) {
  enum Kind { kFree, kOnMedium, kHoldsMedium, kInWindows };
  struct Case {
    const wchar_t* target;
    const wchar_t* medium;
    Kind kind;
  };
  const wchar_t* medium = L"C:\\Kit\\medium\\";
  const Case cases[] = {
      {L"C:\\Kit\\medium\\", medium, kOnMedium},
      {L"c:/KIT//Medium/.", medium, kOnMedium},
      {L"C:\\Kit\\other\\..\\medium\\x\\", medium, kOnMedium},
      {L"\\\\?\\C:\\kit\\MEDIUM\\", medium, kOnMedium},
      {L"C:\\Kit\\medium. \\Virelta\\", medium, kOnMedium},
      {L"\\\\?\\UNC\\Server\\share\\kit\\x\\", L"\\\\server\\SHARE\\kit\\", kOnMedium},
      {L"C:\\Kit\\", medium, kHoldsMedium},
      {L"C:\\KIT\\.\\", L"C:\\Kit\\medium", kHoldsMedium},
      {L"C:\\WINDOWS\\", medium, kInWindows},
      {L"C:\\Windows\\System32\\..\\Fonts\\Virelta\\", medium, kInWindows},
      {L"C:\\Kit\\mediumX\\", medium, kFree},
      {L"C:\\WindowsApps\\", medium, kFree},
  };
  const wchar_t* starts[] = {L"", L"находится на установочном носителе", L"В папке ",
                             L"является папкой Windows"};
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.target));
    const std::wstring message = TargetOnKitMessage(fs_, c.target, c.medium, L"C:\\Windows\\");
    EXPECT_EQ(message.empty(), c.kind == kFree);
    EXPECT_NE(message.find(starts[c.kind]), std::wstring::npos) << text::ToUtf8(message);
  }
}

}  // namespace
}  // namespace engine
