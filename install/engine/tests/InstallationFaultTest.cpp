// Installation runs against faults only the in-memory file system can inject: read errors in
// the middle of a copy, a database that cannot be renamed, a "lastnum.dta" that cannot be
// written.
#include <gtest/gtest.h>

#include "RecordingProgress.h"
#include "TestMedium.h"
#include "engine/Installation.h"
#include "engine/ProgressLines.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"

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
  EXPECT_EQ(fs_.Content(L"C:\\Virelta\\DTAfb\\R40.FDB"), "the operator's database");
  std::vector<os::FindEntry> entries;
  fs_.Find(L"C:\\Virelta\\DTAfb\\*", entries);
  EXPECT_EQ(entries.size(), 3u);  // ".", ".." and the database alone
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
    fs_.ClearFaults();
    if (c.failOpen) {
      fs_.FailOpen(lastnum, os::error::kAccessDenied);
    } else {
      fs_.FailWriteAfter(lastnum, 6, os::error::kDiskFull);
    }
    EXPECT_TRUE(Run());
    EXPECT_FALSE(fs_.Exists(lastnum));
    EXPECT_EQ(progress_.lines.back(), Done(lines::CopyingFile(L"VrReportUdf.Dll")));
    EXPECT_TRUE(progress_.errors.empty());
  }
}

}  // namespace
}  // namespace engine
