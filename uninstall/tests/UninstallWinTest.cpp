// Uninstall.exe under Wine after InstallCli.exe --yes from a copy of the sample medium (without
// its fonts, so the Windows fonts folder stays as it is): the entry the installation wrote and
// Wine's own list of programs, InstallCli --verify after one changed byte, the quiet removal that
// keeps the clinic's data, the changed library and an added file, and the window driven once,
// with its screenshot kept.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SampleMedium.h"
#include "WindowDriver.h"
#include "engine/FileOperations.h"
#include "engine/InstalledFiles.h"
#include "engine/UninstallEntry.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "os/win32/Win32FileSystem.h"
#include "os/win32/Win32Registry.h"
#include "text/Utf.h"

namespace uninstall {
namespace {

using std::wstring;
using uidriver::Process;

class UninstallUnderWine : public ::testing::Test {
 protected:
  void SetUp() override {
    scratch_ = env_->NewScratchFolder();
    medium_ = scratch_ + L"medium\\";
    target_ = scratch_ + L"Virelta\\";
    ASSERT_EQ(fs_.CreateFolder(medium_), 0u);
    engine::CopyFolderTree(fs_, os::testing::WithoutTrailingBackslash(medium::SampleMediumFolder()),
                           os::testing::WithoutTrailingBackslash(medium_));
    for (const os::FindEntry& font : Found(medium_ + L"fonts\\*")) {
      ::DeleteFileW((medium_ + L"fonts\\" + font.name).c_str());
    }
    ASSERT_TRUE(engine::FileExists(fs_, medium_ + L"Uninstall.exe"));
  }
  void TearDown() override {
    engine::RemoveUninstallEntry(registry_, os::RegistryRoot::kLocalMachine);
  }

  std::vector<os::FindEntry> Found(const wstring& pattern) {
    std::vector<os::FindEntry> entries;
    fs_.Find(pattern, entries);
    return entries;
  }
  // Runs a program to its end; its output (standard output and error) goes to `output`.
  DWORD RunToEnd(const wstring& program, const wstring& arguments, std::string* output = nullptr) {
    auto process = Process::Start(program, arguments, scratch_, scratch_ + L"output.txt");
    EXPECT_TRUE(process && process->WaitForExit(120000)) << text::ToUtf8(program);
    if (output != nullptr && process) {
      *output = process->Output();
    }
    return process ? process->ExitCode().value_or(999) : 999;
  }
  DWORD Install() {
    return RunToEnd(medium_ + L"InstallCli.exe", L"--yes --no-driver \"" + target_ + L"\"");
  }
  // Every file left below the target, relative, sorted.
  std::vector<wstring> Left() {
    std::vector<wstring> files;
    for (const engine::FoundFile& found : engine::FilesBelow(fs_, target_)) {
      files.push_back(found.path);
    }
    std::sort(files.begin(), files.end());
    return files;
  }

  std::unique_ptr<os::testing::TestEnvironment> env_ = os::testing::MakeTestEnvironment();
  os::win32::Win32FileSystem fs_;
  os::win32::Win32Registry registry_;
  wstring scratch_, medium_, target_;
};

TEST_F(UninstallUnderWine, InstallsVerifiesAndUninstallsQuietlyKeepingTheClinicsData) {
  ASSERT_EQ(Install(), 0u);
  const auto entry = engine::ReadUninstallEntry(registry_, os::RegistryRoot::kLocalMachine);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->DisplayName,
            L"Комплекс суточного мониторирования электрокардиограмм \u00ABВирельта\u00BB");
  EXPECT_EQ(entry->DisplayVersion, L"01.01.13");  // V010113: 1 January 2013, the newest set
  EXPECT_EQ(entry->InstallLocation, target_);
  EXPECT_EQ(entry->QuietUninstallString, L"\"" + target_ + L"Uninstall.exe\" /quiet");
  EXPECT_EQ(entry->InstallDate.size(), 8u);
  EXPECT_GT(entry->EstimatedSize, 0u);
  os::ErrorCode error = 0;
  const auto key = registry_.OpenKey(os::RegistryRoot::kLocalMachine, engine::kUninstallKey,
                                     os::keyaccess::kRead | os::keyaccess::kView32, error);
  ASSERT_TRUE(key);
  std::uint32_t flag = 0;
  EXPECT_EQ(key->ReadNumber(L"NoRepair", flag), 0u);
  EXPECT_EQ(flag, 1u);
  // The 32-bit view only, as the shipped 32-bit program writes it.
  EXPECT_FALSE(registry_.OpenKey(os::RegistryRoot::kLocalMachine, engine::kUninstallKey,
                                 os::keyaccess::kRead | 0x0100, error));
  std::string listed;
  EXPECT_EQ(RunToEnd(L"C:\\windows\\system32\\uninstaller.exe", L"--list", &listed), 0u);
  EXPECT_NE(listed.find("Virelta"), std::string::npos) << listed;

  // One changed byte: --verify names the file and exits 3; the run's own files are intact.
  std::string verified;
  EXPECT_EQ(RunToEnd(medium_ + L"InstallCli.exe", L"--verify \"" + target_ + L"\"", &verified), 0u)
      << verified;
  const wstring library = L"udf\\VrReportUdf.Dll";
  std::string bytes = *os::testing::ReadBytes(fs_, target_ + library);
  bytes[0] ^= 1;
  os::testing::WriteBytes(fs_, target_ + library, bytes);
  EXPECT_EQ(RunToEnd(medium_ + L"InstallCli.exe", L"--verify \"" + target_ + L"\"", &verified), 3u);
  EXPECT_EQ(verified.find(text::ToUtf8(L"Файл изменён: " + library)), 0u) << verified;

  os::testing::WriteBytes(fs_, target_ + L"Notes.txt", "the operator's");
  os::testing::WriteBytes(fs_, target_ + L"DTAfb\\R40_2026-12-01_0900.FDB", "a dated copy");
  std::string removal;
  EXPECT_EQ(RunToEnd(target_ + L"Uninstall.exe", L"/quiet", &removal), 0u) << removal;
  // The uninstaller's own file goes a moment after its end.
  EXPECT_TRUE(uidriver::WaitFor(
      [&] { return !engine::FileExists(fs_, target_ + L"Uninstall.exe"); }, 10000));
  EXPECT_EQ(Left(), (std::vector<wstring>{L"DTAfb\\R40.FDB", L"DTAfb\\R40_2026-12-01_0900.FDB",
                                          L"Notes.txt", L"Settings\\lastnum.dta",
                                          L"Settings\\virelta.ini", library}))
      << removal;
  EXPECT_FALSE(engine::ReadUninstallEntry(registry_, os::RegistryRoot::kLocalMachine));
  EXPECT_FALSE(engine::FolderExists(fs_, target_ + L"backup"));
}

TEST_F(UninstallUnderWine, TheWindowShowsWhatGoesAndWhatStaysAndRemovesOnRequest) {
  ASSERT_EQ(Install(), 0u);
  const auto window = [](const Process& process) {
    HWND found = nullptr;
    uidriver::WaitFor(
        [&] {
          const auto windows = uidriver::TopLevelWindows(process.Id(), L"VireltaUninstall");
          found = windows.empty() ? nullptr : windows.front();
          return found != nullptr && uidriver::IsShown(found);
        },
        20000);
    return found;
  };
  auto cancelled = Process::Start(target_ + L"Uninstall.exe", L"", scratch_);
  ASSERT_TRUE(cancelled);
  HWND shown = window(*cancelled);
  ASSERT_NE(shown, nullptr);
  const auto edits = uidriver::Descendants(shown, L"Edit", true);
  ASSERT_EQ(edits.size(), 1u);
  const wstring plan = uidriver::Text(edits.front());
  EXPECT_NE(plan.find(L"Будет удалено"), wstring::npos) << text::ToUtf8(plan);
  EXPECT_NE(plan.find(L"база данных клиники"), wstring::npos) << text::ToUtf8(plan);
  std::string error;
  EXPECT_TRUE(uidriver::SaveScreenPng(
      uidriver::WindowRect(shown),
      os::testing::WinePathOfBuildFile(VIRELTA_TEST_SCREENSHOTS_DIR) + L"\\uninstall-window.png",
      error))
      << error;
  uidriver::Click(uidriver::ShownChild(shown, L"Button", L"Отмена"));
  ASSERT_TRUE(cancelled->WaitForExit(20000));
  EXPECT_EQ(cancelled->ExitCode(), 4u);
  EXPECT_TRUE(engine::ReadUninstallEntry(registry_, os::RegistryRoot::kLocalMachine));

  auto removing = Process::Start(target_ + L"Uninstall.exe", L"", scratch_);
  ASSERT_TRUE(removing);
  shown = window(*removing);
  ASSERT_NE(shown, nullptr);
  uidriver::Click(uidriver::ShownChild(shown, L"Button", L"Удалить"));
  HWND close = nullptr;
  EXPECT_TRUE(uidriver::WaitFor(
      [&] { return (close = uidriver::ShownChild(shown, L"Button", L"Закрыть")) != nullptr; },
      20000));
  const wstring result = uidriver::Text(uidriver::Descendants(shown, L"Edit", true).front());
  EXPECT_NE(result.find(L"Комплекс удалён."), wstring::npos) << text::ToUtf8(result);
  uidriver::Click(close);
  ASSERT_TRUE(removing->WaitForExit(20000));
  EXPECT_EQ(removing->ExitCode(), 0u);
  EXPECT_FALSE(engine::ReadUninstallEntry(registry_, os::RegistryRoot::kLocalMachine));
}

}  // namespace
}  // namespace uninstall
