#include <gtest/gtest.h>

#include "Error.h"
#include "RecordingProgress.h"
#include "engine/CopyStep.h"
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

TEST_F(CopyStepTest, ARaisedCopyLeavesTheLineWithoutCompletion) {
  EXPECT_THROW(CopyFileStep(progress_, env_->Fs(), L"icuuc30.Dll", root_ + L"icuuc30.Dll",
                            root_ + L"copy.Dll"),
               OperatorError);
  EXPECT_EQ(progress_.lines, std::vector<std::wstring>{L"Копирование файла icuuc30.Dll...."});
}

}  // namespace
}  // namespace engine
