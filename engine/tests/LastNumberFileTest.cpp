// "lastnum.dta": the record's bytes, and the file written only where none is.
#include <gtest/gtest.h>

#include "engine/LastNumberFile.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"

namespace engine {
namespace {

using os::testing::ReadBytes;

const os::LocalTime kNewYear2015Noon{2015, 1, 1, 12, 0, 0, 0};
const std::string kNewYear2015NoonRecord("\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\xB0\x82\xE4\x40",
                                         14);

TEST(LastNumberRecord, CountsDaysSinceTheEndOf1899WithTheTimeAsFraction) {
  struct Case {
    os::LocalTime time;
    double days;
  };
  const Case cases[] = {
      {{1899, 12, 30, 0, 0, 0, 0}, 0.0},
      {{1900, 1, 1, 6, 0, 0, 0}, 2.25},
      {kNewYear2015Noon, 42005.5},
      {{2024, 2, 29, 18, 0, 0, 0}, 45351.75},
      {{1999, 12, 31, 23, 59, 59, 999}, 36525.99999998843},
      {{2026, 1, 15, 14, 30, 0, 500}, 46037.604172453704},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.days);
    EXPECT_DOUBLE_EQ(DaysSince1899(c.time), c.days);
  }
}

TEST(LastNumberRecord, IsFourteenLittleEndianBytes) {
  const LastNumberRecord record = MakeLastNumberRecord(kNewYear2015Noon);
  EXPECT_EQ(std::string(record.begin(), record.end()), kNewYear2015NoonRecord);
  // A millisecond later the double's last bits move, and only they.
  os::LocalTime later = kNewYear2015Noon;
  later.milliseconds = 1;
  const LastNumberRecord next = MakeLastNumberRecord(later);
  EXPECT_EQ(std::string(next.begin() + 10, next.end()), "\xB0\x82\xE4\x40");
  EXPECT_NE(std::string(next.begin() + 6, next.begin() + 10), std::string(4, '\0'));
}

class LastNumberFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    file_ = env_->NewScratchFolder() + L"lastnum.dta";
    locale_.SetNow(kNewYear2015Noon);
  }
  std::unique_ptr<os::testing::TestEnvironment> env_;
  os::testing::FakeLocale locale_;
  std::wstring file_;
};

TEST_F(LastNumberFileTest, IsWrittenOnceAndNeverChanged) {
  EXPECT_TRUE(WriteLastNumberFileIfMissing(env_->Fs(), locale_, file_));
  EXPECT_EQ(ReadBytes(env_->Fs(), file_), kNewYear2015NoonRecord);

  locale_.Advance(3'600'000);
  EXPECT_FALSE(WriteLastNumberFileIfMissing(env_->Fs(), locale_, file_));
  EXPECT_EQ(ReadBytes(env_->Fs(), file_), kNewYear2015NoonRecord);

  // Whatever the complex has made of it since stays as well.
  os::testing::WriteBytes(env_->Fs(), file_, "counted on");
  EXPECT_FALSE(WriteLastNumberFileIfMissing(env_->Fs(), locale_, file_));
  EXPECT_EQ(ReadBytes(env_->Fs(), file_), "counted on");
}

TEST_F(LastNumberFileTest, AMissingFolderIsNoError) {
  const std::wstring file = file_ + L"\\..\\missing\\lastnum.dta";
  EXPECT_FALSE(WriteLastNumberFileIfMissing(env_->Fs(), locale_, file));
  EXPECT_EQ(env_->Fs().GetAttributes(file), os::attr::kInvalid);
}

}  // namespace
}  // namespace engine
