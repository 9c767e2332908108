// Installation runs over a medium built in the test: natively on the seam's doubles with a clock
// the test sets, under Wine on the real file system and clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "InstallationFixture.h"
#include "engine/FileOperations.h"
#include "engine/Installation.h"
#include "engine/InstalledFiles.h"
#include "engine/LastNumberFile.h"
#include "engine/PackageLayout.h"
#include "engine/ProgressLines.h"
#include "os/testing/FileHelpers.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::testing::ReadBytes;
using os::testing::WriteBytes;
using testing::MediumContent;
using Lines = std::vector<std::wstring>;

const os::LocalTime kInstallTime{2026, 1, 15, 14, 30, 0, 0};

bool IsFinishingStepsFile(const std::wstring& name) {
  return name == layout::kReleaseInfoFile || name == layout::kUpdaterSettingsFile ||
         name == L"ReleaseSet.txt" || name == kInstalledFilesRecord;
}

std::wstring Done(const std::wstring& line) {
  return line + std::wstring(lines::kDone);
}
std::wstring Copied(std::wstring_view name) {
  return Done(lines::CopyingFile(name));
}

// The copy lines of every file set after the database, for the given server family.
Lines CopyLinesAfterDatabase(int family) {
  Lines result;
  for (const auto name : layout::ServerFiles(family)) {
    result.push_back(Copied(name));
  }
  for (const auto name : layout::kInternationalFiles) {
    result.push_back(Copied(name));
  }
  for (const auto name : layout::kServerFunctionFiles) {
    result.push_back(Copied(name));
  }
  for (const auto name : layout::kComplexFunctionFiles) {
    result.push_back(Copied(name));
  }
  return result;
}

class InstallationTest : public testing::InstallationFixture {
 protected:
  void SetUp() override {
    InstallationFixture::SetUp();
    if (Clock()) {
      Clock()->SetNow(kInstallTime);
    }
  }

  os::testing::FakeLocale* Clock() { return platform_.Clock(); }

  // The files (not folders) directly in a target folder, sorted; without the ones that the
  // updater and the release set bring into the target folder itself.
  std::vector<std::wstring> FilesIn(const std::wstring& folder) {
    std::vector<os::FindEntry> entries;
    fs().Find(folder + L"*", entries);
    std::vector<std::wstring> names;
    for (const auto& entry : entries) {
      if ((entry.attributes & os::attr::kDirectory) == 0 &&
          (folder != request_.TargetPath || !IsFinishingStepsFile(entry.name))) {
        names.push_back(entry.name);
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  void MakeTargetFolder() { ASSERT_EQ(fs().CreateFolder(request_.TargetPath), 0u); }

  void MakeReadOnly(const std::wstring& path) {
    ASSERT_EQ(fs().SetAttributes(path, os::attr::kReadOnly), 0u);
  }
};

TEST_F(InstallationTest, ACompleteRunReportsEveryStepAndInstallsEveryFile) {
  ASSERT_TRUE(Run());

  Lines expected = {L"Каталог создан...", Done(std::wstring(lines::kCreatingSettings)),
                    L"Каталог <DTAfb> создан...", Copied(L"R40.FDB")};
  const Lines copies = CopyLinesAfterDatabase(0);
  expected.insert(expected.end(), copies.begin(), copies.end());
  EXPECT_EQ(progress_.lines, expected);
  EXPECT_TRUE(progress_.errors.empty());
  EXPECT_FALSE(progress_.busy);

  // Every call in order: the busy region starts after the settings file, before the first line
  // of the copy phase, and ends after the last file.
  Lines calls = {L"Add Каталог создан...",
                 L"ProcessMessages",
                 L"SetBusy true",
                 L"ProcessMessages",
                 L"Add Создание настроечных файлов....",
                 L"ProcessMessages",
                 L"Put 1 Создание настроечных файлов....Завершено",
                 L"Add Каталог <DTAfb> создан...",
                 L"ProcessMessages"};
  for (size_t line = 3; line < expected.size(); ++line) {
    const std::wstring started = expected[line].substr(0, expected[line].size() - 9);
    calls.push_back(L"Add " + started);
    calls.push_back(L"ProcessMessages");
    calls.push_back(L"Put " + std::to_wstring(line) + L" " + expected[line]);
  }
  calls.push_back(L"SetBusy false");
  // The finishing steps: the test medium has no fonts, and the driver question is answered "No".
  calls.push_back(L"Confirm " + std::wstring(lines::kDriverQuestion));
  EXPECT_EQ(progress_.calls, calls);

  EXPECT_EQ(ReadBytes(fs(), Target(L"DTAfb\\R40.FDB")), "DTAfb\\R40.FDB");
  EXPECT_EQ(ReadBytes(fs(), Target(L"intl\\fbintl.dll")), "Firebird\\intl\\fbintl.dll");
  EXPECT_EQ(ReadBytes(fs(), Target(L"udf\\ib_udf2.sql")), "Firebird\\udf\\ib_udf2.sql");
  EXPECT_EQ(ReadBytes(fs(), Target(L"udf\\VrReportUdf.Dll")), "UDF\\VrReportUdf.Dll");
  EXPECT_EQ(FilesIn(Target(L"udf\\")).size(), 9u);
  EXPECT_EQ(FilesIn(Target(L"intl\\")).size(), 2u);
  EXPECT_EQ(ReadBytes(fs(), Target(L"Settings\\virelta.ini")),
            "[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n");
  const auto lastNumber = ReadBytes(fs(), Target(L"Settings\\lastnum.dta"));
  if (Clock()) {
    const LastNumberRecord record = MakeLastNumberRecord(kInstallTime);
    EXPECT_EQ(lastNumber, std::string(record.begin(), record.end()));
  } else {  // stamped with the real clock
    ASSERT_EQ(lastNumber.value_or("").size(), kLastNumberRecordSize);
    EXPECT_EQ(lastNumber->substr(0, 6), std::string(6, '\0'));
  }
  EXPECT_EQ(fs().GetAttributes(Target(L"btooth.ini")), os::attr::kInvalid);
}

TEST_F(InstallationTest, TheWindowsFamilyChoosesTheServerFiles) {
  struct Case {
    int family;
    size_t count;
    bool withBackupTool;
  };
  const Case cases[] = {{0, 12, true}, {1, 10, false}, {2, 10, false}, {-1, 10, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.family);
    request_.TargetPath = platform_.NewScratchFolder();
    request_.WindowsFamily = c.family;
    ASSERT_TRUE(Run());

    std::vector<std::wstring> expected;
    for (const auto name : layout::ServerFiles(c.family)) {
      expected.emplace_back(name);
      EXPECT_EQ(ReadBytes(fs(), Target(std::wstring(name))),
                MediumContent(L"Firebird\\" + std::wstring(name)));
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(request_.TargetPath), expected);
    EXPECT_EQ(expected.size(), c.count);
    EXPECT_EQ(FileExists(fs(), Target(L"gbak.exe")), c.withBackupTool);
    EXPECT_EQ(FileExists(fs(), Target(L"gds32.dll")), c.withBackupTool);

    const Lines copies = CopyLinesAfterDatabase(c.family);
    EXPECT_EQ(
        Lines(progress_.lines.end() - static_cast<long>(copies.size()), progress_.lines.end()),
        copies);
  }
}

TEST_F(InstallationTest, TheTargetFolderIsCreatedOneLevelDeep) {
  struct Case {
    std::wstring target;
    bool exists;
    bool completes;
    Lines firstLines;
  };
  const std::wstring settingsDone = Done(std::wstring(lines::kCreatingSettings));
  const Case cases[] = {
      {L"New\\", false, true, {L"Каталог создан...", settingsDone}},
      {L"Existing\\", true, true, {settingsDone}},
      {L"Missing\\Parent\\", false, false, {L"Ошибка при создании каталога!"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    request_.TargetPath = root_ + c.target;
    if (c.exists) {
      MakeTargetFolder();
    }
    EXPECT_EQ(Run(), c.completes);
    ASSERT_GE(progress_.lines.size(), c.firstLines.size());
    EXPECT_EQ(Lines(progress_.lines.begin(),
                    progress_.lines.begin() + static_cast<long>(c.firstLines.size())),
              c.firstLines);
    EXPECT_FALSE(progress_.busy);
    if (!c.completes) {
      EXPECT_EQ(progress_.calls, (Lines{L"ShowError Ошибка при создании каталога!",
                                        L"Add Ошибка при создании каталога!"}));
      EXPECT_EQ(progress_.lines.size(), 1u);
      EXPECT_EQ(fs().GetAttributes(root_ + L"Missing"), os::attr::kInvalid);
    }
  }
}

TEST_F(InstallationTest, ADatabaseFolderThatCannotBeCreatedEndsTheRun) {
  MakeTargetFolder();
  WriteBytes(fs(), Target(L"DTAfb"), "a file in the folder's place");
  EXPECT_FALSE(Run());
  EXPECT_EQ(progress_.lines, (Lines{Done(std::wstring(lines::kCreatingSettings)),
                                    L"Ошибка при создании каталога <DTAfb>!"}));
  EXPECT_EQ(progress_.errors, Lines{L"Ошибка при создании каталога <DTAfb>!"});
  EXPECT_EQ(progress_.calls.back(), L"SetBusy false");
  EXPECT_FALSE(progress_.busy);
}

TEST_F(InstallationTest, AMissingServerFileRaisesAndLeavesItsLineOpen) {
  ASSERT_EQ(fs().RemoveFile(Medium(L"Firebird\\ib_util.Dll")), 0u);
  EXPECT_EQ(RunRaising(), L"Cannot open file \"" + fs().FullPath(Medium(L"Firebird\\ib_util.Dll")) +
                              L"\". " + fs().ErrorText(os::error::kFileNotFound));
  const Lines tail(progress_.lines.end() - 4, progress_.lines.end());
  EXPECT_EQ(tail, (Lines{Copied(L"aliases.conf"), Copied(L"firebird.conf"), Copied(L"fbclient.Dll"),
                         lines::CopyingFile(L"ib_util.Dll")}));
  EXPECT_EQ(progress_.lines.size(), 8u);  // nothing after the failing file
  EXPECT_EQ(progress_.calls.back(), L"SetBusy false");
  EXPECT_FALSE(progress_.busy);
  EXPECT_FALSE(FileExists(fs(), Target(L"ib_util.Dll")));
  EXPECT_FALSE(FolderExists(fs(), Target(L"intl\\")));
}

TEST_F(InstallationTest, AMissingComplexLibraryRaisesToo) {
  // Only a copy that returns false lets the run go on; one that cannot open its source raises.
  ASSERT_EQ(fs().RemoveFile(Medium(L"UDF\\VrEcgUdf.Dll")), 0u);
  EXPECT_EQ(RunRaising(), L"Cannot open file \"" + fs().FullPath(Medium(L"UDF\\VrEcgUdf.Dll")) +
                              L"\". " + fs().ErrorText(os::error::kFileNotFound));
  EXPECT_EQ(progress_.lines.back(), lines::CopyingFile(L"VrEcgUdf.Dll"));
  EXPECT_FALSE(progress_.busy);
  EXPECT_FALSE(FileExists(fs(), Target(L"Settings\\lastnum.dta")));
}

TEST_F(InstallationTest, AMainSettingsFileThatCannotBeWrittenRaisesBeforeTheBusyRegion) {
  MakeTargetFolder();
  ASSERT_EQ(fs().CreateFolder(Target(L"Settings\\")), 0u);
  const std::wstring ini = Target(L"Settings\\virelta.ini");
  WriteBytes(fs(), ini, "[options]\r\nFilterType=3\r\n\r\n");
  MakeReadOnly(ini);
  EXPECT_EQ(RunRaising(), L"Cannot create file \"" + fs().FullPath(ini) + L"\". " +
                              fs().ErrorText(os::error::kAccessDenied));
  EXPECT_TRUE(progress_.calls.empty());
  EXPECT_EQ(ReadBytes(fs(), ini), "[options]\r\nFilterType=3\r\n\r\n");
}

TEST_F(InstallationTest, AMissingSettingsFolderIsMadeForTheMainSettingsFile) {
  MakeTargetFolder();  // as a caller that did not make "Settings\" leaves it
  ASSERT_TRUE(Run());
  EXPECT_EQ(progress_.lines.front(), Done(std::wstring(lines::kCreatingSettings)));
  EXPECT_EQ(ReadBytes(fs(), Target(L"Settings\\virelta.ini")),
            "[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n");
}

TEST_F(InstallationTest, TheEditionGetsItsSettingsFile) {
  struct Case {
    bool edition;
    std::optional<std::string> before;
    std::optional<std::string> after;
  };
  const Case cases[] = {
      {false, std::nullopt, std::nullopt},
      {true, std::nullopt, "[Common]\r\nDisk=I\r\n\r\n"},
      {false, "[Common]\r\nDisk=C\r\n", "[Common]\r\nDisk=C\r\n"},
      {true, "[Other]\r\nA=1\r\n\r\n[common]\r\nPort=3\r\ndisk=C\r\n",
       "[Other]\r\nA=1\r\n\r\n[common]\r\nPort=3\r\nDisk=I\r\n\r\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before.value_or("(none)"));
    request_.TargetPath = platform_.NewScratchFolder();
    request_.EditionFlag = c.edition;
    if (c.before) {
      WriteBytes(fs(), Target(L"btooth.ini"), *c.before);
    }
    EXPECT_TRUE(Run());
    EXPECT_EQ(ReadBytes(fs(), Target(L"btooth.ini")), c.after);
  }
}

TEST_F(InstallationTest, AnEditionFileThatCannotBeWrittenRaisesAfterEveryFile) {
  MakeTargetFolder();
  WriteBytes(fs(), Target(L"btooth.ini"), "[Common]\r\nDisk=C\r\n\r\n");
  MakeReadOnly(Target(L"btooth.ini"));
  request_.EditionFlag = true;
  EXPECT_EQ(RunRaising(), L"Cannot create file \"" + fs().FullPath(Target(L"btooth.ini")) +
                              L"\". " + fs().ErrorText(os::error::kAccessDenied));
  EXPECT_EQ(progress_.lines.back(), Copied(L"VrReportUdf.Dll"));
  EXPECT_EQ(progress_.calls.back(), L"SetBusy false");
  EXPECT_TRUE(FileExists(fs(), Target(L"Settings\\lastnum.dta")));
}

TEST_F(InstallationTest, AReinstallationKeepsTheOldDatabaseAndTheSettings) {
  ASSERT_TRUE(Run());
  const auto lastNumber = ReadBytes(fs(), Target(L"Settings\\lastnum.dta"));
  WriteBytes(fs(), Target(L"DTAfb\\R40.FDB"), "the operator's first database");
  WriteBytes(fs(), Target(L"Settings\\virelta.ini"),
             "[options]\r\nFilterType=3\r\nDebugPrint=1\r\n\r\n[Printer]\r\nName=A4\r\n\r\n");
  if (Clock()) {
    Clock()->Advance(24LL * 3600 * 1000);  // a later day: lastnum.dta would differ
  }

  ASSERT_TRUE(Run());
  Lines expected = {Done(std::wstring(lines::kCreatingSettings)),
                    Done(lines::BackingUpFile(L"R40.FDB")), Copied(L"R40.FDB")};
  const Lines copies = CopyLinesAfterDatabase(0);
  expected.insert(expected.end(), copies.begin(), copies.end());
  EXPECT_EQ(progress_.lines, expected);
  EXPECT_EQ(ReadBytes(fs(), Target(L"Settings\\lastnum.dta")), lastNumber);
  EXPECT_EQ(ReadBytes(fs(), Target(L"Settings\\virelta.ini")),
            "[options]\r\nFilterType=0\r\nDebugPrint=1\r\nHardwareType=1\r\n\r\n"
            "[Printer]\r\nName=A4\r\n\r\n");

  // Once more (natively within the same second): the first backup stays, the second gets a name
  // of its own.
  WriteBytes(fs(), Target(L"DTAfb\\R40.FDB"), "the operator's second database");
  ASSERT_TRUE(Run());
  EXPECT_EQ(progress_.lines[1], Done(lines::BackingUpFile(L"R40.FDB")));
  EXPECT_EQ(ReadBytes(fs(), Target(L"DTAfb\\R40.FDB")), "DTAfb\\R40.FDB");

  std::map<std::wstring, std::string> backups;
  for (const auto& name : FilesIn(Target(L"DTAfb\\"))) {
    if (name != L"R40.FDB") {
      EXPECT_TRUE(name.starts_with(L"R40_") && name.ends_with(L".FDB"));
      backups[name] = ReadBytes(fs(), Target(L"DTAfb\\" + name)).value_or("");
    }
  }
  if (Clock()) {
    EXPECT_EQ(backups, (std::map<std::wstring, std::string>{
                           {L"R40_20260116_143000.FDB", "the operator's first database"},
                           {L"R40_20260116_143000_2.FDB", "the operator's second database"}}));
  } else {
    std::set<std::string> contents;
    for (const auto& [name, content] : backups) {
      contents.insert(content);
    }
    EXPECT_EQ(contents, (std::set<std::string>{"the operator's first database",
                                               "the operator's second database"}));
  }
}

// A reinstallation from a medium that lacks its database raises the open error before the
// database in use is touched: it stays under its own name, with no dated copy beside it.
TEST_F(InstallationTest, AMediumWithoutItsDatabaseLeavesTheDatabaseInUse) {
  ASSERT_TRUE(Run());
  WriteBytes(fs(), Target(L"DTAfb\\R40.FDB"), "the operator's database");
  fs().SetAttributes(Medium(L"DTAfb\\R40.FDB"), os::attr::kNormal);
  ASSERT_EQ(fs().RemoveFile(Medium(L"DTAfb\\R40.FDB")), 0u);
  const std::wstring message = RunRaising();
  EXPECT_TRUE(message.starts_with(L"Cannot open file \"" +
                                  fs().FullPath(Medium(L"DTAfb\\R40.FDB")) + L"\". "))
      << text::ToUtf8(message);
  EXPECT_EQ(ReadBytes(fs(), Target(L"DTAfb\\R40.FDB")), "the operator's database");
  EXPECT_EQ(FilesIn(Target(L"DTAfb\\")), std::vector<std::wstring>{L"R40.FDB"});
  EXPECT_FALSE(progress_.busy);
}

// After the copy phase: the release sets and the updater's files land in the target, the
// updater's files writable although the medium has them read-only, the newest set's script runs
// (under Wine through the real command interpreter) and its level is written; the target stays
// the current folder. Target folders whose names hold the command interpreter's own characters
// run the script all the same.
TEST_F(InstallationTest, ACompleteRunInstallsTheReleaseSetAndItsLevel) {
  for (const wchar_t* folder : {L"Virelta\\", L"Кардио&Холтер\\", L"A^B (1)\\"}) {
    SCOPED_TRACE(text::ToUtf8(folder));
    request_.TargetPath = root_ + folder;
    ASSERT_TRUE(Run());
    EXPECT_EQ(ReadBytes(fs(), Target(L"backup\\V150612\\Install.cmd")),
              std::string(testing::kReleaseScript));
    const auto info = ReadBytes(fs(), Target(L"ReleaseInfo")).value_or("");
    EXPECT_NE(info.find("<Level>150612</Level>"), std::string::npos) << info;
    EXPECT_NE(info.find("<Version>1</Version>"), std::string::npos) << info;
    EXPECT_EQ(ReadBytes(fs(), Target(L"Updater.exe.cfg")),
              std::string(testing::kMediumUpdaterSettings));
    for (const wchar_t* file : {L"ReleaseInfo", L"Updater.exe.cfg"}) {
      EXPECT_EQ(fs().GetAttributes(Target(file)) & os::attr::kReadOnly, 0u) << text::ToUtf8(file);
      EXPECT_NE(fs().GetAttributes(Medium(L"Updater\\") + file) & os::attr::kReadOnly, 0u);
    }
    EXPECT_EQ(os::testing::WithoutTrailingBackslash(platform_.Get().processes.CurrentFolder()),
              os::testing::WithoutTrailingBackslash(request_.TargetPath));
    if (!Clock()) {  // the real script ran and left its mark
      EXPECT_EQ(ReadBytes(fs(), Target(L"ReleaseSet.txt")), "V150612\r\n");
    }
  }
}

}  // namespace
}  // namespace engine
