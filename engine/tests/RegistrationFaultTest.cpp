// What a complete installation leaves for the system and for its removal: the record of the
// kit's files (never the clinic's) and the uninstall entry, where the user may write it; and what
// a run that does not complete, or a registry that refuses, leaves.
#include <gtest/gtest.h>

#include <set>

#include "InstallationFixture.h"
#include "TestMedium.h"
#include "engine/InstalledFiles.h"
#include "engine/PackageLayout.h"
#include "engine/RerunRule.h"
#include "engine/UninstallEntry.h"
#include "os/testing/FileHelpers.h"

namespace engine::testing {
namespace {

using os::RegistryRoot;

class RegistrationTest : public InstallationFixture {
 protected:
  os::testing::MemoryRegistry& Registry() { return platform_.Doubles().registry; }
  std::wstring Full(const std::wstring& relative) { return fs().FullPath(Target(relative)); }
};

TEST_F(RegistrationTest, ACompleteRunRecordsTheKitsFilesAndRegistersTheComplex) {
  os::testing::WriteBytes(fs(), Medium(L"Uninstall.exe"), "uninstaller");
  ASSERT_EQ(fs().CreateFolder(request_.TargetPath), 0u);
  os::testing::WriteBytes(fs(), Target(L"Notes.txt"), "the clinic's own");
  platform_.Clock()->SetNow({2026, 3, 9, 10, 0, 0, 0});
  ASSERT_TRUE(Run());
  EXPECT_TRUE(progress_.warnings.empty());

  std::wstring error;
  const auto record = ReadInstalledFiles(fs(), request_.TargetPath, error);
  ASSERT_TRUE(record) << text::ToUtf8(error);
  std::set<std::wstring> listed;
  std::uint64_t bytes = 0;
  for (const InstalledFile& file : record->files) {
    listed.insert(file.path);
    bytes += file.size;
    EXPECT_EQ(CompareInstalledFile(fs(), platform_.Get().crypto, request_.TargetPath, file),
              FileState::kSame)
        << text::ToUtf8(file.path);
  }
  for (const wchar_t* kit :
       {L"Uninstall.exe", L"fbclient.Dll", L"intl\\fbintl.dll", L"udf\\fbudf.dll",
        L"backup\\V150612\\Install.cmd", L"ReleaseInfo", L"Updater.exe.cfg"}) {
    EXPECT_EQ(listed.count(kit), 1u) << text::ToUtf8(kit);
  }
  for (const wchar_t* kept : {L"Notes.txt", L"DTAfb\\R40.FDB", L"Settings\\virelta.ini",
                              L"Settings\\lastnum.dta", L"InstalledFiles.sha256"}) {
    EXPECT_EQ(listed.count(kept), 0u) << text::ToUtf8(kept);
  }

  const auto entry = ReadUninstallEntry(Registry(), RegistryRoot::kLocalMachine);
  ASSERT_TRUE(entry);
  const std::wstring product = text::FromUtf8(VR_TEST_PRODUCT_NAME);
  EXPECT_EQ(entry->DisplayName,
            text::FromUtf8(VR_TEST_PRODUCT_DESCRIPTION) + L" \u00AB" + product + L"\u00BB");
  EXPECT_EQ(entry->DisplayVersion, L"15.06.12");
  EXPECT_EQ(entry->InstallLocation, fs().FullPath(request_.TargetPath));
  EXPECT_EQ(entry->InstallDate, L"20260309");
  EXPECT_EQ(entry->UninstallString, L"\"" + Full(L"Uninstall.exe") + L"\"");
  EXPECT_EQ(entry->QuietUninstallString, L"\"" + Full(L"Uninstall.exe") + L"\" /quiet");
  EXPECT_FALSE(entry->Publisher.empty());
  EXPECT_TRUE(entry->HelpLink.starts_with(L"https://"));
  const std::uint64_t database = os::testing::ReadBytes(fs(), Target(L"DTAfb\\R40.FDB"))->size();
  EXPECT_EQ(entry->EstimatedSize, (bytes + database + 1023) / 1024);
  for (const wchar_t* flag : {L"NoModify", L"NoRepair"}) {
    EXPECT_EQ(Registry().Number(RegistryRoot::kLocalMachine, kUninstallKey, flag), 1u);
  }
  EXPECT_FALSE(Registry().KeyExists(RegistryRoot::kCurrentUser, kUninstallKey));
}

// An unattended rerun has nothing to do only over a complete installation from the same medium:
// the same manifest, or without one the same newest release set; anything else installs.
TEST_F(RegistrationTest, TheRerunRuleKnowsACompleteInstallationFromTheSameMedium) {
  os::Platform& platform = platform_.Get();
  const auto installed = [&] {
    return CompleteInstallationFromMedium(platform, Full(L""), medium_);
  };
  os::testing::WriteBytes(fs(), Medium(L"Uninstall.exe"), "uninstaller");
  EXPECT_FALSE(installed()) << "nothing installed yet";
  ASSERT_TRUE(Run());
  EXPECT_EQ(installed(), L"выпуск 15.06.12, носитель без SHA256SUMS");
  EXPECT_FALSE(CompleteInstallationFromMedium(platform, Full(L"") + L"Other\\", medium_));
  // A newer release set on the medium is another medium.
  ASSERT_EQ(fs().CreateFolder(Medium(L"backup\\V010113")), 0u);
  EXPECT_FALSE(installed());
  ASSERT_EQ(fs().RemoveFolder(Medium(L"backup\\V010113")), 0u);
  ASSERT_TRUE(installed());

  // With a manifest: the record must name it; an installation from before it does not.
  WriteManifest(fs(), platform.crypto, medium_);
  EXPECT_FALSE(installed());
  ASSERT_TRUE(Run());
  const std::optional<std::wstring> same = installed();
  ASSERT_TRUE(same);
  EXPECT_TRUE(same->starts_with(L"выпуск 15.06.12, носитель с SHA256SUMS ")) << text::ToUtf8(*same);
  os::testing::WriteBytes(fs(), Medium(L"README.txt"), "a later pressing");
  WriteManifest(fs(), platform.crypto, medium_);
  EXPECT_FALSE(installed()) << "another manifest";
  ASSERT_TRUE(Run());
  ASSERT_TRUE(installed());

  // Without its record or its uninstall entry an installation is not known as complete.
  const std::string record = *os::testing::ReadBytes(fs(), Target(L"InstalledFiles.sha256"));
  ASSERT_EQ(fs().RemoveFile(Target(L"InstalledFiles.sha256")), 0u);
  EXPECT_FALSE(installed());
  os::testing::WriteBytes(fs(), Target(L"InstalledFiles.sha256"), record);
  ASSERT_TRUE(installed());
  ASSERT_EQ(RemoveUninstallEntry(Registry(), RegistryRoot::kLocalMachine), 0u);
  EXPECT_FALSE(installed());
}

TEST_F(RegistrationTest, TheEntryGoesWhereTheUserMayWriteAndNeverFailsTheRun) {
  struct Case {
    const char* name;
    bool denyMachine;
    bool denyUser;
    bool copyPhaseFails;
    std::optional<RegistryRoot> written;  // where a new entry stands afterwards
  };
  const Case cases[] = {
      {"an administrator", false, false, false, RegistryRoot::kLocalMachine},
      {"a user without administrative rights", true, false, false, RegistryRoot::kCurrentUser},
      {"a registry that refuses both", true, true, false, std::nullopt},
      {"a run that ends in the copy phase", false, false, true, std::nullopt},
  };
  const std::wstring uninstall = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
  const auto clean = Registry().TakeImage();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    request_.TargetPath = platform_.NewScratchFolder();
    Registry().PutBack(clean);
    // An entry of an earlier installation, under the user's key: only a complete run changes it.
    Registry().SetString(RegistryRoot::kCurrentUser, kUninstallKey, L"DisplayName", L"earlier");
    Registry().SetString(RegistryRoot::kCurrentUser, kUninstallKey, L"DisplayVersion", L"01.01.13");
    if (c.denyMachine) {
      Registry().DenyWrite(RegistryRoot::kLocalMachine, uninstall);
    }
    if (c.denyUser) {
      Registry().FailWrites(RegistryRoot::kCurrentUser, kUninstallKey, os::error::kAccessDenied);
    }
    if (c.copyPhaseFails) {
      platform_.Doubles().fs.FailReadAfter(Medium(L"Firebird\\fbclient.Dll"), 0,
                                           os::error::kReadFault);
    }
    EXPECT_EQ(Run(), !c.copyPhaseFails);
    platform_.Doubles().fs.ClearFaults();
    // Only a registry that refuses is said.
    EXPECT_EQ(progress_.warnings.size(), c.copyPhaseFails || c.written ? 0u : 1u);

    const auto machine = ReadUninstallEntry(Registry(), RegistryRoot::kLocalMachine);
    const auto user = ReadUninstallEntry(Registry(), RegistryRoot::kCurrentUser);
    EXPECT_EQ(machine.has_value(), c.written == RegistryRoot::kLocalMachine);
    ASSERT_TRUE(user);
    const bool userWritten = c.written == RegistryRoot::kCurrentUser;
    EXPECT_EQ(user->DisplayVersion, userWritten ? L"15.06.12" : L"01.01.13");
    EXPECT_EQ(user->DisplayName == L"earlier", !userWritten);
    std::wstring error;
    EXPECT_EQ(ReadInstalledFiles(fs(), request_.TargetPath, error).has_value(), !c.copyPhaseFails);
  }
}

}  // namespace
}  // namespace engine::testing
