// Shortcuts written by the real shell link object, read back through IShellLinkW and
// IPersistFile::Load, with the folders the user's registry names.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <thread>

#include "Error.h"
#include "Raised.h"
#include "engine/Shortcut.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/ShellLinkReader.h"
#include "os/testing/TestEnvironment.h"
#include "os/win32/Win32Platform.h"

namespace engine {
namespace {

using os::testing::LoadShellLink;

constexpr wchar_t kShellFolders[] =
    L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

std::wstring UserDesktop() {
  wchar_t folder[MAX_PATH];
  if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT,
                                folder))) {
    return {};
  }
  return folder;
}

class ShortcutWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr)));
    env_ = os::testing::MakeTestEnvironment();
    root_ = env_->NewScratchFolder();
    // A program to point at; the shell resolves nothing when the path exists.
    program_ = root_ + L"Программа.exe";
    os::testing::WriteBytes(env_->Fs(), program_, "MZ");
  }
  void TearDown() override {
    env_.reset();
    ::CoUninitialize();
  }

  os::win32::Win32Platform platform_;
  std::unique_ptr<os::testing::TestEnvironment> env_;
  std::wstring root_;
  std::wstring program_;
};

TEST_F(ShortcutWinTest, TheDesktopShortcutLandsInTheFolderTheRegistryNames) {
  const std::wstring desktop = UserDesktop();
  ASSERT_FALSE(desktop.empty());
  // The shell keeps "Shell Folders" in step with its folders: the value names the same folder.
  HKEY key = nullptr;
  ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kShellFolders, 0, KEY_READ, &key), ERROR_SUCCESS);
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  const LONG read =
      ::RegQueryValueExW(key, L"Desktop", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
  ::RegCloseKey(key);
  ASSERT_EQ(read, ERROR_SUCCESS);
  ASSERT_EQ(::lstrcmpiW(value, desktop.c_str()), 0);

  const std::wstring target = root_;  // ends in "\"
  // A name of this process's own: other test programs write desktop shortcuts at the same time.
  const std::wstring product = L"Вирельта " + std::to_wstring(::GetCurrentProcessId());
  CreateDesktopShortcut(platform_.Get(), target, L"Программа.exe",
                        L"Комплекс суточного мониторирования электрокардиограмм", product);
  const std::wstring file = desktop + L"\\" + product + L".lnk";
  const auto link = LoadShellLink(file);
  ::DeleteFileW(file.c_str());
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->path, program_);
  EXPECT_EQ(link->arguments, L"");
  EXPECT_EQ(link->description,
            L"Комплекс суточного мониторирования электрокардиограмм \"" + product + L"\"");
  EXPECT_EQ(link->workingDirectory, root_);
}

TEST_F(ShortcutWinTest, AnyFolderGetsAShortcutWithArgumentsAndWorkingFolder) {
  std::wstring linkFile;
  CreateShortcut(platform_.Get(), program_, ShortcutLocation::OtherFolder,
                 root_.substr(0, root_.size() - 1), L"C:\\windows", L"/mode 2", L"Проба",
                 L"Ярлык 2.5", linkFile);
  EXPECT_EQ(linkFile, root_ + L"Ярлык 2.lnk");
  const auto link = LoadShellLink(linkFile);
  ASSERT_TRUE(link.has_value());
  EXPECT_EQ(link->path, program_);
  EXPECT_EQ(link->arguments, L"/mode 2");
  EXPECT_EQ(link->description, L"Проба");
  EXPECT_EQ(link->workingDirectory, L"C:\\windows");
}

TEST_F(ShortcutWinTest, AMissingSubFolderIsNotCreatedAndNothingIsReported) {
  std::wstring linkFile;
  CreateShortcut(platform_.Get(), program_, ShortcutLocation::OtherFolder, root_ + L"Нет", L"", L"",
                 L"", L"", linkFile);
  EXPECT_EQ(linkFile, root_ + L"Нет\\Программа.lnk");
  EXPECT_EQ(::GetFileAttributesW((root_ + L"Нет").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(ShortcutWinTest, QuickLaunchCreatesTheGrpConvKey) {
  constexpr wchar_t kGrpConv[] = L"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv";
  ::RegDeleteTreeW(HKEY_CURRENT_USER, kGrpConv);
  ::RegDeleteKeyW(HKEY_CURRENT_USER, kGrpConv);
  std::wstring linkFile = L"(unchanged)";
  CreateShortcut(platform_.Get(), program_, ShortcutLocation::QuickLaunch, L"", L"", L"", L"", L"",
                 linkFile);
  EXPECT_EQ(linkFile, L"(unchanged)");  // no "MapGroups" below it, so no folder
  HKEY key = nullptr;
  EXPECT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, kGrpConv, 0, KEY_READ, &key), ERROR_SUCCESS);
  if (key != nullptr) {
    ::RegCloseKey(key);
  }
}

TEST_F(ShortcutWinTest, WithoutComTheLinkObjectCannotBeMadeAndThatIsRaised) {
  std::wstring message;
  std::wstring linkFile = L"(unchanged)";
  // A new thread has no COM of its own.
  std::thread([&] {
    message = testing::RaisedMessage([&] {
      CreateShortcut(platform_.Get(), program_, ShortcutLocation::OtherFolder, root_, L"", L"", L"",
                     L"", linkFile);
    });
  }).join();
  EXPECT_NE(message, L"(nothing raised)");
  EXPECT_FALSE(message.empty());
  EXPECT_EQ(linkFile, L"(unchanged)");
}

}  // namespace
}  // namespace engine
