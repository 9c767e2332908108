#include <gtest/gtest.h>

#include "Error.h"
#include "RecordingProgress.h"
#include "engine/CopyStep.h"
#include "engine/FileOperations.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"

namespace engine {
namespace {

class CopyStepTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    root_ = env_->NewScratchFolder();
  }
  std::unique_ptr<os::testing::TestEnvironment> env_;
  std::wstring root_;
  testing::RecordingProgress progress_;
};

TEST_F(CopyStepTest, ReportsTheFileNameThenCompletesTheLine) {
  os::testing::WriteBytes(env_->Fs(), root_ + L"aliases.conf", "x");
  EXPECT_TRUE(CopyFileStep(progress_, env_->Fs(), L"aliases.conf", root_ + L"aliases.conf",
                           root_ + L"copy.conf"));
  EXPECT_EQ(progress_.lines,
            std::vector<std::wstring>{L"Копирование файла aliases.conf....Завершено"});
  EXPECT_EQ(progress_.calls, (std::vector<std::wstring>{
                                 L"Add Копирование файла aliases.conf....", L"ProcessMessages",
                                 L"Put 0 Копирование файла aliases.conf....Завершено"}));
}

// A copy of several blocks tells the line's index and the bytes done after each block, in rising
// order up to the file's size, always before the line is completed; the list itself ends as it
// would without the reports. One line before it shows that the index is the copy's own line.
TEST_F(CopyStepTest, ALongCopyReportsItsBlocksBeforeTheLineIsCompleted) {
  const std::uint64_t size = 2 * kCopyBlockSize + 123;
  os::testing::WriteBytes(env_->Fs(), root_ + L"R40.FDB", std::string(size, 'd'));
  progress_.Add(L"Каталог <DTAfb> создан...");
  ASSERT_TRUE(
      CopyFileStep(progress_, env_->Fs(), L"R40.FDB", root_ + L"R40.FDB", root_ + L"copy.FDB"));
  EXPECT_EQ(progress_.lines,
            (std::vector<std::wstring>{L"Каталог <DTAfb> создан...",
                                       L"Копирование файла R40.FDB....Завершено"}));
  const std::vector<std::uint64_t> expected = {kCopyBlockSize, 2 * kCopyBlockSize, size};
  ASSERT_EQ(progress_.copyReports.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const auto& report = progress_.copyReports[i];
    EXPECT_EQ(report.index, 1);
    EXPECT_EQ(report.done, expected[i]);
    EXPECT_EQ(report.total, size);
    EXPECT_EQ(report.lineText, L"Копирование файла R40.FDB....");
  }
  EXPECT_EQ(progress_.calls.back(), L"Put 1 Копирование файла R40.FDB....Завершено");
}

TEST_F(CopyStepTest, ARaisedCopyLeavesTheLineWithoutCompletion) {
  EXPECT_THROW(CopyFileStep(progress_, env_->Fs(), L"icuuc30.Dll", root_ + L"icuuc30.Dll",
                            root_ + L"copy.Dll"),
               OperatorError);
  EXPECT_EQ(progress_.lines, std::vector<std::wstring>{L"Копирование файла icuuc30.Dll...."});
}

}  // namespace
}  // namespace engine
