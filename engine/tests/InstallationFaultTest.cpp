// Installation runs against faults only the in-memory file system can inject: read errors in
// the middle of a copy, a database that cannot be renamed, a "lastnum.dta" that cannot be
// written.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "Error.h"
#include "Raised.h"
#include "RecordingProgress.h"
#include "TestMedium.h"
#include "engine/FileOperations.h"
#include "engine/Installation.h"
#include "engine/ProgressLines.h"
#include "os/FileReplace.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::testing::WriteBytes;
using Lines = std::vector<std::wstring>;

std::wstring Done(const std::wstring& line) {
  return line + std::wstring(lines::kDone);
}
std::wstring Failed(const std::wstring& line) {
  return line + std::wstring(lines::kFailed);
}

class InstallationFaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(fs_.CreateFolder(L"C:\\medium"), 0u);
    testing::BuildMedium(fs_, L"C:\\medium\\");
    request_.Fcopyfrom = L"C:\\medium\\";
    request_.TargetPath = L"C:\\Virelta\\";
  }
  bool Run() {
    progress_ = testing::RecordingProgress();
    return RunInstallation(request_, progress_, platform_.Get());
  }

  os::testing::MemoryPlatform platform_;
  os::testing::MemoryFileSystem& fs_ = platform_.fs;
  InstallRequest request_;
  testing::RecordingProgress progress_;
};

TEST_F(InstallationFaultTest, AFailedComplexLibraryIsMarkedAndTheRunGoesOn) {
  fs_.FailReadAfter(L"C:\\medium\\UDF\\VrEcgUdf.Dll", 3, os::error::kReadFault);
  EXPECT_TRUE(Run());
  const Lines tail(progress_.lines.end() - 4, progress_.lines.end());
  EXPECT_EQ(tail, (Lines{Done(lines::CopyingFile(L"VrCommonUdf.Dll")),
                         Failed(lines::CopyingFile(L"VrEcgUdf.Dll")),
                         Done(lines::CopyingFile(L"VrPatientUdf.Dll")),
                         Done(lines::CopyingFile(L"VrReportUdf.Dll"))}));
  EXPECT_TRUE(fs_.Exists(L"C:\\Virelta\\Settings\\lastnum.dta"));
  EXPECT_FALSE(progress_.busy);
}

TEST_F(InstallationFaultTest, AFailedCopyOfAnyOtherSetEndsTheRun) {
  struct Case {
    std::wstring source;
    std::wstring name;
  };
  const Case cases[] = {
      {L"C:\\medium\\DTAfb\\R40.FDB", L"R40.FDB"},
      {L"C:\\medium\\Firebird\\icuin30.Dll", L"icuin30.Dll"},
      {L"C:\\medium\\Firebird\\intl\\fbintl.conf", L"fbintl.conf"},
      {L"C:\\medium\\Firebird\\udf\\ib_udf.sql", L"ib_udf.sql"},
  };
  int target = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs_.ClearFaults();
    fs_.FailReadAfter(c.source, 2, os::error::kReadFault);
    request_.TargetPath = L"C:\\Target" + std::to_wstring(++target) + L"\\";
    EXPECT_FALSE(Run());
    EXPECT_EQ(progress_.lines.back(), Failed(lines::CopyingFile(c.name)));
    EXPECT_EQ(progress_.calls.back(), L"SetBusy false");
    EXPECT_FALSE(fs_.Exists(request_.TargetPath + L"Settings\\lastnum.dta"));
  }
}

TEST_F(InstallationFaultTest, ADatabaseThatCannotBeKeptIsNotTouched) {
  ASSERT_TRUE(Run());
  WriteBytes(fs_, L"C:\\Virelta\\DTAfb\\R40.FDB", "the operator's database");
  os::ErrorCode error = 0;
  // Open elsewhere without sharing: the rename is refused.
  const auto holder = fs_.Open(L"C:\\Virelta\\DTAfb\\R40.FDB", os::Access::kRead, os::Share::kNone,
                               os::Disposition::kOpenExisting, error);
  ASSERT_NE(holder, nullptr);

  EXPECT_FALSE(Run());
  EXPECT_EQ(progress_.lines, (Lines{Done(std::wstring(lines::kCreatingSettings)),
                                    Failed(lines::BackingUpFile(L"R40.FDB"))}));
  EXPECT_EQ(progress_.calls.back(), L"SetBusy false");
  EXPECT_TRUE(progress_.errors.empty());
  EXPECT_EQ(progress_.reasons,
            Lines{FailureText(fs_, L"C:\\Virelta\\DTAfb\\R40.FDB", os::error::kSharingViolation)});
  EXPECT_EQ(fs_.Content(L"C:\\Virelta\\DTAfb\\R40.FDB"), "the operator's database");
  std::vector<os::FindEntry> entries;
  fs_.Find(L"C:\\Virelta\\DTAfb\\*", entries);
  EXPECT_EQ(entries.size(), 3u);  // ".", ".." and the database alone
}

// A reinstallation whose new database cannot be had keeps the one in use under its own name, with
// no partial copy and no dated copy beside it: the medium's database missing or unreadable (the
// run raises before anything is renamed), a read error or a full disk part-way (the line is
// marked, the run ends), a temporary copy that cannot be created (the run raises). A first
// installation that fails likewise leaves no database at all.
TEST_F(InstallationFaultTest, AFailedDatabaseCopyLeavesTheDatabaseInUse) {
  const std::wstring medium = L"C:\\medium\\DTAfb\\R40.FDB";
  const std::wstring live = L"C:\\Virelta\\DTAfb\\R40.FDB";
  const std::wstring partial = live + L".tmp";
  const std::string operators(3000, 'o');
  WriteBytes(fs_, medium, std::string(2000, 'm'));
  struct Case {
    const char* what;
    std::function<void()> arrange;
    const wchar_t* raised;  // the start of the message; null when the run ends with the line
  };
  const Case cases[] = {
      {"medium database missing", [&] { fs_.FailOpen(medium, os::error::kFileNotFound); },
       L"Cannot open file \"C:\\medium\\DTAfb\\R40.FDB\". The system cannot find the file"},
      {"medium database unreadable", [&] { fs_.FailOpen(medium, os::error::kAccessDenied); },
       L"Cannot open file \"C:\\medium\\DTAfb\\R40.FDB\". Access is denied."},
      {"read error part-way", [&] { fs_.FailReadAfter(medium, 5, os::error::kReadFault); },
       nullptr},
      // Room for the settings files, not for the new database.
      {"disk full part-way", [&] { fs_.SetCapacity(fs_.UsedBytes() + 500); }, nullptr},
      {"no temporary copy", [&] { fs_.FailOpen(partial, os::error::kAccessDenied); },
       L"Cannot create file \"C:\\Virelta\\DTAfb\\R40.FDB.tmp\". Access is denied."},
  };
  for (const bool reinstall : {true, false}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.what) + (reinstall ? ", reinstallation" : ", first installation"));
      fs_.ClearFaults();
      ASSERT_EQ(fs_.SetCurrentFolder(L"C:\\"), 0u);  // the release step left it in the target
      ASSERT_EQ(os::testing::RemoveTree(fs_, L"C:\\Virelta"), 0u);
      ASSERT_TRUE(Run());
      if (reinstall) {
        WriteBytes(fs_, live, operators);
      } else {
        ASSERT_EQ(fs_.RemoveFile(live), 0u);
      }
      c.arrange();
      std::wstring message;
      bool completed = true;
      progress_ = testing::RecordingProgress();
      try {
        completed = RunInstallation(request_, progress_, platform_.Get());
      } catch (const OperatorError& e) {
        message = e.Message();
        completed = false;
      }
      EXPECT_FALSE(completed);
      if (c.raised != nullptr) {
        EXPECT_TRUE(message.starts_with(c.raised)) << text::ToUtf8(message);
      } else {
        EXPECT_EQ(message, L"");
        ASSERT_FALSE(progress_.lines.empty());
        EXPECT_EQ(progress_.lines.back(), Failed(lines::CopyingFile(L"R40.FDB")));
      }
      EXPECT_FALSE(progress_.busy);
      EXPECT_EQ(fs_.Content(live), reinstall ? std::optional(operators) : std::nullopt);
      EXPECT_FALSE(fs_.Exists(partial));
      std::vector<os::FindEntry> entries;
      fs_.Find(L"C:\\Virelta\\DTAfb\\*", entries);
      EXPECT_EQ(entries.size(), reinstall ? 3u : 2u);  // ".", ".." and the database alone
    }
  }
}

// While the new database is being copied, the live name holds no partial file: a run killed
// then leaves the operator's database under its dated name, and the next run keeps no truncated
// copy as its newest backup.
TEST_F(InstallationFaultTest, DuringTheCopyTheLiveNameHoldsNoPartialDatabase) {
  const std::wstring live = L"C:\\Virelta\\DTAfb\\R40.FDB";
  WriteBytes(fs_, L"C:\\medium\\DTAfb\\R40.FDB", std::string(kCopyBlockSize + 10, 'm'));
  ASSERT_TRUE(Run());
  WriteBytes(fs_, live, "the operator's database");
  struct Watching : testing::RecordingProgress {
    std::function<void()> onBlock;
    void CopyProgress(int index, std::uint64_t done, std::uint64_t total) override {
      RecordingProgress::CopyProgress(index, done, total);
      onBlock();
    }
  } watching;
  int blocks = 0;
  watching.onBlock = [&] {
    if (++blocks > 2) {
      return;  // the database's two blocks; the other files follow
    }
    EXPECT_FALSE(fs_.Exists(live));
    std::vector<os::FindEntry> entries;
    fs_.Find(L"C:\\Virelta\\DTAfb\\R40_*.FDB", entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(fs_.Content(L"C:\\Virelta\\DTAfb\\" + entries[0].name), "the operator's database");
  };
  ASSERT_TRUE(RunInstallation(request_, watching, platform_.Get()));
  EXPECT_GE(blocks, 2);
  EXPECT_EQ(fs_.Content(live)->size(), kCopyBlockSize + 10);
  EXPECT_EQ(watching.copyReports[1].done, kCopyBlockSize + 10);
}

TEST_F(InstallationFaultTest, ALastNumberFileThatCannotBeWrittenIsLeftOut) {
  struct Case {
    const char* what;
    bool failOpen;
  };
  const Case cases[] = {{"create", true}, {"write", false}};
  int target = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    request_.TargetPath = L"C:\\Target" + std::to_wstring(++target) + L"\\";
    const std::wstring lastnum = request_.TargetPath + L"Settings\\lastnum.dta";
    // The record is written beside the file first, and takes its name only when whole.
    const std::wstring written = os::ReplacementFileName(lastnum);
    fs_.ClearFaults();
    if (c.failOpen) {
      fs_.FailOpen(written, os::error::kAccessDenied);
    } else {
      fs_.FailWriteAfter(written, 6, os::error::kDiskFull);
    }
    EXPECT_TRUE(Run());
    EXPECT_FALSE(fs_.Exists(lastnum));
    EXPECT_FALSE(fs_.Exists(written));
    EXPECT_EQ(progress_.lines.back(), Done(lines::CopyingFile(L"VrReportUdf.Dll")));
    EXPECT_TRUE(progress_.errors.empty());
  }
}

// What a stopped run leaves under the kit's temporary names never blocks a later run: a plain
// file, read-only too, is replaced; a folder is named with the system's reason (a raised error,
// or the step's line marked and the reason beside it), and only the step it is in fails.
TEST_F(InstallationFaultTest, LeftoversUnderTemporaryNamesAreReplacedOrNamed) {
  struct Case {
    const wchar_t* leftover;
    bool folder, completes;
    const wchar_t* raised;
  };
  const Case cases[] = {
      {L"DTAfb\\R40.FDB.tmp", false, true, L""},
      {L"Settings\\lastnum.dta.tmp", false, true, L""},
      {L"Settings\\virelta.ini.tmp", false, true, L""},
      {L"DTAfb\\R40.FDB.tmp", true, false, L""},
      {L"Settings\\lastnum.dta.tmp", true, true, L""},
      {L"Settings\\virelta.ini.tmp", true, false,
       L"Cannot create file \"C:\\Target6\\Settings\\virelta.ini.tmp\"."},
  };
  int target = 0;
  for (const Case& c : cases) {
    request_.TargetPath = L"C:\\Target" + std::to_wstring(++target) + L"\\";
    const std::wstring leftover = request_.TargetPath + c.leftover;
    SCOPED_TRACE(text::ToUtf8(leftover) + (c.folder ? " (folder)" : ""));
    ASSERT_TRUE(ForceFolders(fs_, request_.TargetPath + L"DTAfb") &&
                ForceFolders(fs_, request_.TargetPath + L"Settings"));
    if (c.folder) {
      ASSERT_EQ(fs_.CreateFolder(leftover), 0u);
    } else {
      WriteBytes(fs_, leftover, "left by a stopped run");
      ASSERT_EQ(fs_.SetAttributes(leftover, os::attr::kReadOnly), 0u);
    }
    bool completed = false;
    progress_ = testing::RecordingProgress();
    const std::wstring raised = testing::RaisedMessage(
        [&] { completed = RunInstallation(request_, progress_, platform_.Get()); });
    EXPECT_TRUE(raised.starts_with(*c.raised ? c.raised : L"(nothing raised)"))
        << text::ToUtf8(raised);
    EXPECT_EQ(completed, c.completes);
    EXPECT_EQ(fs_.Exists(leftover), c.folder);
    EXPECT_EQ(fs_.Exists(leftover.substr(0, leftover.size() - 4)), !c.folder);
    if (c.folder && !*c.raised) {
      ASSERT_EQ(progress_.reasons.size(), 1u);
      EXPECT_TRUE(progress_.reasons[0].starts_with(L"\"" + leftover + L"\": "));
      EXPECT_EQ(progress_.lines.back() == Failed(lines::CopyingFile(L"R40.FDB")), !c.completes);
    }
  }
}

}  // namespace
}  // namespace engine
