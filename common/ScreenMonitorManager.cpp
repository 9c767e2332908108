#include "ScreenMonitorManager.h"

#include <stdexcept>
#include <string>

namespace vr {

std::unique_ptr<TmyScreen> myScreen;

namespace {

// The toolkit's standard cursors and the system cursors (IDC_...) they stand for.
struct CursorPair {
  TCursor toolkit;
  int system;
};
constexpr CursorPair kSystemCursors[] = {
    {crArrow, 32512}, {-3, 32515},  {-4, 32513},  {-6, 32643},          {-7, 32645},
    {-8, 32642},      {-9, 32644},  {-10, 32516}, {crHourGlass, 32514}, {-18, 32648},
    {-19, 32650},     {-20, 32651}, {-21, 32649}, {-22, 32646},
};

// 0 (the default arrow) for crDefault and for any cursor that is no standard one.
int SystemCursor(TCursor cursor) {
  for (const CursorPair& pair : kSystemCursors) {
    if (pair.toolkit == cursor) {
      return pair.system;
    }
  }
  return 0;
}

TMonitor ToMonitor(const os::MonitorInfo& info) {
  TMonitor monitor;
  monitor.Handle = info.handle;
  monitor.Left = info.bounds.left;
  monitor.Top = info.bounds.top;
  monitor.Width = info.bounds.Width();
  monitor.Height = info.bounds.Height();
  return monitor;
}

}  // namespace

TmyScreen::TmyScreen(os::IDisplay& screen) : FScreen(screen) {
  FCursor = crDefault;  // nothing has set a cursor yet
  MonitorCount = static_cast<int>(FScreen.Monitors().size());
  Width = FScreen.SystemMetric(os::metric::kCxScreen);
  Height = FScreen.SystemMetric(os::metric::kCyScreen);
  os::Rect area;
  if (FScreen.WorkArea(area)) {
    WorkAreaWidth = area.Width();
    WorkAreaHeight = area.Height();
  } else {  // no work area known: the whole screen
    WorkAreaWidth = Width;
    WorkAreaHeight = Height;
  }
  PixelsPerInch = FScreen.ScreenDeviceCaps(os::caps::kLogPixelsY);
}

TMonitor TmyScreen::GetMonitor(int Index) const {
  const auto monitors = FScreen.Monitors();
  if (Index < 0 || static_cast<std::size_t>(Index) >= monitors.size()) {
    throw std::out_of_range("no monitor number " + std::to_string(Index));
  }
  return ToMonitor(monitors[static_cast<std::size_t>(Index)]);
}

void TmyScreen::SetCursor(TCursor Value) {
  FCursor = Value;
  try {
    FScreen.SetCursor(SystemCursor(Value));
  } catch (...) {  // the cursor is a nicety: never let it end an operation
  }
}

void TmyScreen::Select(std::uint8_t Index) {
  const auto monitors = FScreen.Monitors();
  const int count = static_cast<int>(monitors.size());
  Monitornumber = Index > count - 1 ? 0 : Index;

  unsigned dpi = 0;
  if (count > 0) {
    const TMonitor chosen = ToMonitor(monitors[static_cast<std::size_t>(Monitornumber)]);
    // The monitor's full bounds, work area included, for all four.
    WorkAreaWidth = chosen.Width;
    WorkAreaHeight = chosen.Height;
    Width = chosen.Width;
    Height = chosen.Height;
  }
  if (FScreen.HasMonitorDpi()) {
    // Windows 8.1 and later: the monitor's effective resolution; 0 when the query fails.
    unsigned dpiX = 0;
    unsigned dpiY = 0;
    if (count > 0 &&
        FScreen.MonitorDpi(monitors[static_cast<std::size_t>(Monitornumber)].handle, dpiX, dpiY)) {
      dpi = dpiY;
    }
  } else {
    const int logPixels = FScreen.ScreenDeviceCaps(os::caps::kLogPixelsY);
    dpi = logPixels > 0 ? static_cast<unsigned>(logPixels) : 0;
  }
  ScaleKoef = static_cast<double>(dpi) / 96.0;
}

void InitializeScreen(os::IDisplay& display) {
  myScreen = std::make_unique<TmyScreen>(display);
}

void FinalizeScreen() {
  myScreen.reset();
}

void SelectMonitor(std::uint8_t Index) {
  if (!myScreen) {
    throw std::logic_error("SelectMonitor before InitializeScreen");
  }
  myScreen->Select(Index);
}

}  // namespace vr
