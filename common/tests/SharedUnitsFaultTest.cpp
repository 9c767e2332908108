// The shared units start in their order and are released in reverse, also when one fails.
#include <gtest/gtest.h>

#include "Error.h"
#include "SharedUnits.h"
#include "VR_Common_Const.h"
#include "VR_Common_Var.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "unitMyLog.h"

namespace {

using os::testing::MemoryPlatform;
using os::testing::WriteBytes;

class SharedUnitsTest : public ::testing::Test {
 protected:
  SharedUnitsTest() {
    platform.system.SetModuleFileName(L"C:\\Kit\\Install.exe");
    platform.fs.CreateFolder(L"C:\\Kit");
    platform.fs.CreateFolder(L"C:\\Kit\\Settings");
  }
  MemoryPlatform platform;
};

TEST_F(SharedUnitsTest, EachUnitSeesWhatTheOneBeforeItSet) {
  // The language chosen by the settings file decides which file the lookup texts come from, and
  // the log lies in the program's folder.
  WriteBytes(platform.fs, L"C:\\Kit\\Settings\\virelta.ini",
             "[options]\r\nLanguageSetting=ENG\r\n");
  WriteBytes(platform.fs, L"C:\\Kit\\Settings\\EngView.lng",
             "[VR_Messages]\r\nNormo=Normosthenic\r\n");
  {
    const vr::SharedUnits units(platform.Get());
    EXPECT_EQ(vr::ProgramDir, L"C:\\Kit\\");
    EXPECT_EQ(vr::LanguageCode, L"ENG");
    ASSERT_NE(vr::MyLog, nullptr);
    EXPECT_EQ(vr::MyLog->LogFileName, L"C:\\Kit\\Quelvix.log");
    EXPECT_EQ(vr::ConstitutionNames[0], L"Normosthenic");
  }
  EXPECT_EQ(vr::MyLog, nullptr);
  EXPECT_EQ(vr::ProgramDir, L"");
  EXPECT_EQ(vr::LanguageCode, L"");
  EXPECT_EQ(vr::ConstitutionNames[0], L"Нормостеник");
}

TEST_F(SharedUnitsTest, AFailingLogReleasesThePathsAgain) {
  WriteBytes(platform.fs, L"C:\\Kit\\Quelvix.log", "old line\r\n");
  platform.fs.FailOpen(L"C:\\Kit\\Quelvix.log", os::error::kAccessDenied);
  EXPECT_THROW(vr::SharedUnits units(platform.Get()), OperatorError);
  EXPECT_EQ(vr::MyLog, nullptr);
  EXPECT_EQ(vr::ProgramDir, L"");
}

}  // namespace
