#pragma once
// Installation runs in a test: a medium built in a scratch folder (TestMedium.h), a request for
// the target folder "Virelta\" beside it, and every run recorded by a fresh RecordingProgress.
#include <gtest/gtest.h>

#include <string>

#include "Raised.h"
#include "RecordingProgress.h"
#include "TestMedium.h"
#include "engine/Installation.h"

namespace engine::testing {

class InstallationFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = platform_.NewScratchFolder();
    medium_ = root_ + L"medium\\";
    ASSERT_EQ(fs().CreateFolder(medium_), 0u);
    BuildMedium(fs(), medium_);
    request_.TargetPath = root_ + L"Virelta\\";
    request_.Fcopyfrom = medium_;
  }

  os::IFileSystem& fs() { return platform_.Fs(); }
  std::wstring Target(const std::wstring& relative) { return request_.TargetPath + relative; }
  std::wstring Medium(const std::wstring& relative) { return medium_ + relative; }

  bool Run() {
    progress_ = RecordingProgress();
    return RunInstallation(request_, progress_, platform_.Get());
  }
  // The message of the error the run raises.
  std::wstring RunRaising() {
    progress_ = RecordingProgress();
    return RaisedMessage([&] { RunInstallation(request_, progress_, platform_.Get()); });
  }

  TestPlatform platform_;
  std::wstring root_;
  std::wstring medium_;
  InstallRequest request_;
  RecordingProgress progress_;
};

}  // namespace engine::testing
