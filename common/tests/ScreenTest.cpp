// The screen manager on whatever display the test runs with: natively the display double (one
// 1280x1024 monitor at 96 pixels per inch), under Wine the real display of the test session
// (one Xvfb screen of 1280x1024). The expectations are the same on both.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "ScreenMonitorManager.h"
#ifdef _WIN32
#include "os/win32/Win32Display.h"
#else
#include "os/testing/FakeDisplay.h"
#endif

namespace {

std::unique_ptr<os::IDisplay> MakeDisplay() {
#ifdef _WIN32
  return std::make_unique<os::win32::Win32Display>();
#else
  return std::make_unique<os::testing::FakeDisplay>();
#endif
}

class ScreenTest : public ::testing::Test {
 protected:
  void SetUp() override { display_ = MakeDisplay(); }
  void TearDown() override { vr::FinalizeScreen(); }

  std::unique_ptr<os::IDisplay> display_;
};

TEST_F(ScreenTest, CreationTakesThePrimaryScreenAndItsWorkArea) {
  vr::InitializeScreen(*display_);
  ASSERT_NE(vr::myScreen, nullptr);
  const vr::TmyScreen& s = *vr::myScreen;
  EXPECT_EQ(s.MonitorCount, 1);
  EXPECT_EQ(s.Width, 1280);
  EXPECT_EQ(s.Height, 1024);
  os::Rect area;
  ASSERT_TRUE(display_->WorkArea(area));
  EXPECT_EQ(s.WorkAreaWidth, area.Width());
  EXPECT_EQ(s.WorkAreaHeight, area.Height());
  EXPECT_GT(s.WorkAreaWidth, 0);
  EXPECT_LE(s.WorkAreaWidth, s.Width);
  EXPECT_LE(s.WorkAreaHeight, s.Height);
  EXPECT_EQ(s.PixelsPerInch, display_->ScreenDeviceCaps(os::caps::kLogPixelsY));
  EXPECT_GE(s.PixelsPerInch, 96);
  EXPECT_EQ(s.Monitornumber, 0);
  EXPECT_EQ(s.ScaleKoef, 0.0);
  EXPECT_EQ(s.GetCursor(), vr::crDefault);
}

TEST_F(ScreenTest, SelectingTheOnlyMonitorTakesItsFullBounds) {
  vr::InitializeScreen(*display_);
  const int logPixels = vr::myScreen->PixelsPerInch;
  vr::SelectMonitor(0);
  const vr::TmyScreen& s = *vr::myScreen;
  EXPECT_EQ(s.Monitornumber, 0);
  const vr::TMonitor m = s.GetMonitor(s.Monitornumber);
  EXPECT_EQ(m.Left, 0);
  EXPECT_EQ(m.Top, 0);
  EXPECT_EQ(m.Width, 1280);
  EXPECT_EQ(m.Height, 1024);
  EXPECT_EQ(s.Width, 1280);
  EXPECT_EQ(s.WorkAreaWidth, 1280);
  EXPECT_EQ(s.Height, 1024);
  EXPECT_EQ(s.WorkAreaHeight, 1024);
  // One monitor: its own resolution is the screen's.
  EXPECT_DOUBLE_EQ(s.ScaleKoef, logPixels / 96.0);
  EXPECT_EQ(s.MonitorCount, 1);
  EXPECT_EQ(s.PixelsPerInch, logPixels);
}

TEST_F(ScreenTest, SelectingAMonitorBeyondTheLastTakesTheFirst) {
  vr::InitializeScreen(*display_);
  for (const std::uint8_t index : {1, 2, 255}) {
    vr::SelectMonitor(index);
    EXPECT_EQ(vr::myScreen->Monitornumber, 0) << int{index};
    EXPECT_EQ(vr::myScreen->Width, 1280) << int{index};
  }
}

TEST_F(ScreenTest, MonitorsAreIndexedFromZeroAndNoFurther) {
  vr::InitializeScreen(*display_);
  EXPECT_EQ(vr::myScreen->Monitors(0).Width, vr::myScreen->GetMonitor(0).Width);
  EXPECT_THROW(vr::myScreen->GetMonitor(1), std::out_of_range);
  EXPECT_THROW(vr::myScreen->GetMonitor(-1), std::out_of_range);
}

TEST_F(ScreenTest, CursorIsKept) {
  vr::InitializeScreen(*display_);
  vr::myScreen->SetCursor(vr::crHourGlass);
  EXPECT_EQ(vr::myScreen->GetCursor(), vr::crHourGlass);
  vr::myScreen->SetCursor(vr::crDefault);
  EXPECT_EQ(vr::myScreen->GetCursor(), vr::crDefault);
}

TEST_F(ScreenTest, SelectMonitorNeedsTheInstance) {
  vr::FinalizeScreen();
  EXPECT_THROW(vr::SelectMonitor(0), std::logic_error);
}

}  // namespace
