// The screen manager's rules on the scripted display: several monitors in an order that does
// not start with the primary one, pixels per inch per monitor, systems without GetDpiForMonitor,
// and the failures a test session cannot produce.
#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>

#include "ScreenMonitorManager.h"
#include "os/testing/FakeDisplay.h"

namespace {

using os::Rect;
using os::testing::FakeDisplay;

class ScreenFaultTest : public ::testing::Test {
 protected:
  void TearDown() override { vr::FinalizeScreen(); }

  // A 1920x1080 primary monitor at 96 enumerated second, and a 1280x1024 one at 120 to its left
  // enumerated first, with a task bar of its own.
  void TwoMonitors() {
    display_.ClearMonitors();
    display_.SetScreenSize(1920, 1080);
    display_.SetWorkArea(Rect{0, 0, 1920, 1040});
    display_.AddMonitor(Rect{-1280, -200, 0, 824}, Rect{-1280, -200, 0, 784}, 120);
    display_.AddMonitor(Rect{0, 0, 1920, 1080}, Rect{0, 0, 1920, 1040}, 96, true);
  }

  FakeDisplay display_;
};

TEST_F(ScreenFaultTest, CreationReadsTheScreenNotAMonitor) {
  TwoMonitors();
  display_.SetLogPixels(120);
  vr::InitializeScreen(display_);
  const vr::TmyScreen& s = *vr::myScreen;
  EXPECT_EQ(&s.FScreen, &display_);
  EXPECT_EQ(s.MonitorCount, 2);
  EXPECT_EQ(s.Width, 1920);
  EXPECT_EQ(s.Height, 1080);
  EXPECT_EQ(s.WorkAreaWidth, 1920);
  EXPECT_EQ(s.WorkAreaHeight, 1040);
  EXPECT_EQ(s.PixelsPerInch, 120);
  EXPECT_EQ(s.Monitornumber, 0);
  EXPECT_EQ(s.ScaleKoef, 0.0);
  EXPECT_EQ(display_.MonitorDpiQueries(), 0);
}

TEST_F(ScreenFaultTest, WithoutAWorkAreaTheWholeScreenCounts) {
  display_.FailWorkArea();
  vr::InitializeScreen(display_);
  EXPECT_EQ(vr::myScreen->WorkAreaWidth, 1280);
  EXPECT_EQ(vr::myScreen->WorkAreaHeight, 1024);
}

struct SelectCase {
  int index;
  int monitor;
  int width;
  int height;
  double scale;
};

void PrintTo(const SelectCase& c, std::ostream* os) {
  *os << "SelectMonitor(" << c.index << ")";
}

class SelectMonitorTest : public ScreenFaultTest,
                          public ::testing::WithParamInterface<SelectCase> {};

TEST_P(SelectMonitorTest, TakesTheChosenMonitorsFullBoundsAndResolution) {
  const SelectCase& c = GetParam();
  TwoMonitors();
  vr::InitializeScreen(display_);
  vr::SelectMonitor(static_cast<std::uint8_t>(c.index));
  const vr::TmyScreen& s = *vr::myScreen;
  EXPECT_EQ(s.Monitornumber, c.monitor);
  EXPECT_EQ(s.Width, c.width);
  EXPECT_EQ(s.Height, c.height);
  // The full bounds, not the monitor's work area.
  EXPECT_EQ(s.WorkAreaWidth, c.width);
  EXPECT_EQ(s.WorkAreaHeight, c.height);
  EXPECT_DOUBLE_EQ(s.ScaleKoef, c.scale);
  EXPECT_EQ(s.MonitorCount, 2);
  EXPECT_EQ(s.PixelsPerInch, 96);
}

INSTANTIATE_TEST_SUITE_P(, SelectMonitorTest,
                         ::testing::Values(SelectCase{0, 0, 1280, 1024, 1.25},
                                           SelectCase{1, 1, 1920, 1080, 1.0},
                                           SelectCase{2, 0, 1280, 1024, 1.25},
                                           SelectCase{5, 0, 1280, 1024, 1.25},
                                           SelectCase{255, 0, 1280, 1024, 1.25}));

TEST_F(ScreenFaultTest, GetMonitorGivesThePositionOnTheVirtualDesktop) {
  TwoMonitors();
  vr::InitializeScreen(display_);
  vr::SelectMonitor(0);
  const vr::TMonitor m = vr::myScreen->GetMonitor(vr::myScreen->Monitornumber);
  EXPECT_EQ(m.Left, -1280);
  EXPECT_EQ(m.Top, -200);
  EXPECT_EQ(m.Width, 1280);
  EXPECT_EQ(m.Height, 1024);
  const vr::TMonitor primary = vr::myScreen->Monitors(1);
  EXPECT_EQ(primary.Left, 0);
  EXPECT_EQ(primary.Width, 1920);
  EXPECT_THROW(vr::myScreen->GetMonitor(2), std::out_of_range);
}

// A monitor added after creation counts for SelectMonitor, not for MonitorCount.
TEST_F(ScreenFaultTest, SelectMonitorCountsTheMonitorsOfNow) {
  vr::InitializeScreen(display_);
  display_.AddMonitor(Rect{1280, 0, 3200, 1200}, Rect{1280, 0, 3200, 1200}, 144);
  vr::SelectMonitor(1);
  EXPECT_EQ(vr::myScreen->Monitornumber, 1);
  EXPECT_EQ(vr::myScreen->Width, 1920);
  EXPECT_EQ(vr::myScreen->Height, 1200);
  EXPECT_DOUBLE_EQ(vr::myScreen->ScaleKoef, 1.5);
  EXPECT_EQ(vr::myScreen->MonitorCount, 1);
}

struct DpiCase {
  const char* name;
  bool available;  // GetDpiForMonitor exists (Windows 8.1 and later)
  bool queryFails;
  int screenLogPixels;
  double scale;
  int queries;
};

void PrintTo(const DpiCase& c, std::ostream* os) {
  *os << c.name;
}

class ScaleKoefTest : public ScreenFaultTest, public ::testing::WithParamInterface<DpiCase> {};

TEST_P(ScaleKoefTest, MonitorResolutionWhereKnownElseTheScreens) {
  const DpiCase& c = GetParam();
  TwoMonitors();  // monitor 0 at 120
  display_.SetLogPixels(c.screenLogPixels);
  display_.SetMonitorDpiAvailable(c.available);
  if (c.queryFails) {
    display_.FailMonitorDpi(display_.Monitors()[0].handle);
  }
  vr::InitializeScreen(display_);
  vr::SelectMonitor(0);
  EXPECT_DOUBLE_EQ(vr::myScreen->ScaleKoef, c.scale);
  EXPECT_EQ(display_.MonitorDpiQueries(), c.queries);
  EXPECT_EQ(vr::myScreen->Width, 1280) << "the size does not depend on the resolution";
}

INSTANTIATE_TEST_SUITE_P(, ScaleKoefTest,
                         ::testing::Values(DpiCase{"MonitorAt120", true, false, 96, 1.25, 1},
                                           DpiCase{"QueryFailsGivesZero", true, true, 120, 0.0, 1},
                                           DpiCase{"OlderSystemAt96", false, false, 96, 1.0, 0},
                                           DpiCase{"OlderSystemAt120", false, false, 120, 1.25, 0},
                                           DpiCase{"OlderSystemAt144", false, false, 144, 1.5, 0},
                                           DpiCase{"OlderSystemNoDc", false, false, 0, 0.0, 0}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ScreenFaultTest, NoMonitorsKeepsTheScreenFigures) {
  display_.ClearMonitors();
  vr::InitializeScreen(display_);
  vr::SelectMonitor(0);
  const vr::TmyScreen& s = *vr::myScreen;
  EXPECT_EQ(s.MonitorCount, 0);
  EXPECT_EQ(s.Monitornumber, 0);
  EXPECT_EQ(s.Width, 1280);
  EXPECT_EQ(s.WorkAreaHeight, 984);
  EXPECT_EQ(s.ScaleKoef, 0.0);
  EXPECT_THROW(s.GetMonitor(0), std::out_of_range);
}

struct CursorCase {
  vr::TCursor cursor;
  int system;  // IDC_..., 0 for the default arrow
};

void PrintTo(const CursorCase& c, std::ostream* os) {
  *os << "cursor " << c.cursor;
}

class CursorTest : public ScreenFaultTest, public ::testing::WithParamInterface<CursorCase> {};

TEST_P(CursorTest, StoredAndSetAsTheSystemCursor) {
  vr::InitializeScreen(display_);
  vr::myScreen->SetCursor(GetParam().cursor);
  EXPECT_EQ(vr::myScreen->GetCursor(), GetParam().cursor);
  EXPECT_EQ(vr::myScreen->FCursor, GetParam().cursor);
  ASSERT_EQ(display_.CursorsSet().size(), 1u);
  EXPECT_EQ(display_.CursorsSet()[0], GetParam().system);
}

INSTANTIATE_TEST_SUITE_P(
    , CursorTest,
    ::testing::Values(CursorCase{vr::crDefault, 0}, CursorCase{vr::crHourGlass, 32514},
                      CursorCase{vr::crArrow, 32512}, CursorCase{-4, 32513}, CursorCase{-21, 32649},
                      // no standard cursor: the default arrow
                      CursorCase{-1, 0}, CursorCase{7, 0}, CursorCase{-32768, 0}));

TEST_F(ScreenFaultTest, AFailingCursorIsIgnored) {
  display_.FailCursor();
  vr::InitializeScreen(display_);
  EXPECT_NO_THROW(vr::myScreen->SetCursor(vr::crHourGlass));
  EXPECT_EQ(vr::myScreen->GetCursor(), vr::crHourGlass);
}

TEST_F(ScreenFaultTest, InitializeReplacesAndFinalizeReleases) {
  vr::InitializeScreen(display_);
  vr::SelectMonitor(0);
  EXPECT_EQ(vr::myScreen->ScaleKoef, 1.0);
  FakeDisplay other;
  other.SetScreenSize(800, 600);
  vr::InitializeScreen(other);
  EXPECT_EQ(&vr::myScreen->FScreen, &other);
  EXPECT_EQ(vr::myScreen->Width, 800);
  EXPECT_EQ(vr::myScreen->ScaleKoef, 0.0);
  vr::FinalizeScreen();
  EXPECT_EQ(vr::myScreen, nullptr);
  EXPECT_THROW(vr::SelectMonitor(0), std::logic_error);
}

}  // namespace
