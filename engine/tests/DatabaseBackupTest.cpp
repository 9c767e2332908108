// The dated backup of a database that a reinstallation replaces.
#include <gtest/gtest.h>

#include "engine/DatabaseBackup.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"

namespace engine {
namespace {

using os::testing::ReadBytes;
using os::testing::WriteBytes;

const os::LocalTime kTime{2026, 1, 15, 14, 30, 0, 0};

TEST(DatedBackupName, PutsDateTimeAndAttemptBeforeTheExtension) {
  struct Case {
    std::wstring name;
    os::LocalTime time;
    int attempt;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"R40.FDB", kTime, 1, L"R40_20260115_143000.FDB"},
      {L"R40.FDB", kTime, 2, L"R40_20260115_143000_2.FDB"},
      {L"R40.FDB", kTime, 12, L"R40_20260115_143000_12.FDB"},
      {L"R40.FDB", {2026, 3, 5, 4, 3, 2, 999}, 1, L"R40_20260305_040302.FDB"},
      {L"data.old.fdb", kTime, 1, L"data.old_20260115_143000.fdb"},
      {L"R40", kTime, 3, L"R40_20260115_143000_3"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DatedBackupName(c.name, c.time, c.attempt), c.expected);
  }
}

class DatabaseBackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    folder_ = env_->NewScratchFolder();
    locale_.SetNow(kTime);
  }
  os::IFileSystem& fs() { return env_->Fs(); }
  std::unique_ptr<os::testing::TestEnvironment> env_;
  os::testing::FakeLocale locale_;
  std::wstring folder_;
};

TEST_F(DatabaseBackupTest, TakesTheFirstFreeNameAndOverwritesNothing) {
  WriteBytes(fs(), folder_ + L"R40_20260115_143000.FDB", "first backup");
  WriteBytes(fs(), folder_ + L"R40_20260115_143000_2.FDB", "second backup");
  WriteBytes(fs(), folder_ + L"R40.FDB", "database");

  EXPECT_EQ(BackUpByRenaming(fs(), locale_, folder_, L"R40.FDB"),
            folder_ + L"R40_20260115_143000_3.FDB");
  EXPECT_EQ(ReadBytes(fs(), folder_ + L"R40_20260115_143000_3.FDB"), "database");
  EXPECT_EQ(ReadBytes(fs(), folder_ + L"R40_20260115_143000.FDB"), "first backup");
  EXPECT_EQ(ReadBytes(fs(), folder_ + L"R40_20260115_143000_2.FDB"), "second backup");
  EXPECT_EQ(fs().GetAttributes(folder_ + L"R40.FDB"), os::attr::kInvalid);
}

TEST_F(DatabaseBackupTest, AMissingFileIsNotBackedUp) {
  EXPECT_EQ(BackUpByRenaming(fs(), locale_, folder_, L"R40.FDB"), std::nullopt);
  EXPECT_EQ(fs().GetAttributes(folder_ + L"R40_20260115_143000.FDB"), os::attr::kInvalid);
}

}  // namespace
}  // namespace engine
