#include "os/testing/FakeDisplay.h"

#include <algorithm>
#include <stdexcept>

#include "os/testing/SeamCalls.h"

namespace os::testing {

FakeDisplay::FakeDisplay() {
  SetLogPixels(96);
  SetScreenSize(1280, 1024);
  workArea_ = Rect{0, 0, 1280, 984};
  AddMonitor(Rect{0, 0, 1280, 1024}, workArea_, 96, true);
}

void FakeDisplay::SetLogPixels(int dpi) {
  caps_[caps::kLogPixelsX] = dpi;
  caps_[caps::kLogPixelsY] = dpi;
}

void FakeDisplay::SetScreenSize(int width, int height) {
  metrics_[metric::kCxScreen] = width;
  metrics_[metric::kCyScreen] = height;
}

int FakeDisplay::ScreenDeviceCaps(int index) {
  SeamCalls::Count();
  ++capsQueries_;
  if (dcFails_) {
    return 0;
  }
  const auto found = caps_.find(index);
  return found == caps_.end() ? 0 : found->second;
}

int FakeDisplay::SystemMetric(int index) {
  SeamCalls::Count();
  const auto found = metrics_.find(index);
  if (found != metrics_.end()) {
    return found->second;
  }
  if (index == metric::kCMonitors) {
    return static_cast<int>(monitors_.size());
  }
  return 0;  // what GetSystemMetrics answers for an unknown index
}

bool FakeDisplay::WorkArea(Rect& area) {
  SeamCalls::Count();
  if (workAreaFails_) {
    return false;
  }
  area = workArea_;
  return true;
}

std::vector<MonitorInfo> FakeDisplay::Monitors() {
  SeamCalls::Count();
  std::vector<MonitorInfo> result;
  for (const Monitor& monitor : monitors_) {
    result.push_back(monitor.info);
  }
  return result;
}

std::uintptr_t FakeDisplay::AddMonitor(const Rect& bounds, const Rect& workArea, unsigned dpi,
                                       bool primary) {
  Monitor monitor;
  monitor.info.handle = nextHandle_++;
  monitor.info.bounds = bounds;
  monitor.info.workArea = workArea;
  monitor.info.primary = primary;
  monitor.dpi = dpi;
  monitors_.push_back(monitor);
  return monitor.info.handle;
}

bool FakeDisplay::HasMonitorDpi() {
  SeamCalls::Count();
  return dpiAvailable_;
}

bool FakeDisplay::MonitorDpi(std::uintptr_t monitor, unsigned& dpiX, unsigned& dpiY) {
  SeamCalls::Count();
  ++dpiQueries_;
  if (!dpiAvailable_ ||
      std::find(dpiFailures_.begin(), dpiFailures_.end(), monitor) != dpiFailures_.end()) {
    return false;
  }
  for (const Monitor& m : monitors_) {
    if (m.info.handle == monitor) {
      dpiX = m.dpi;
      dpiY = m.dpi;
      return true;
    }
  }
  return false;  // E_INVALIDARG for a handle that is no monitor
}

void FakeDisplay::SetCursor(int cursor) {
  SeamCalls::Count();
  if (cursorFails_) {
    throw std::runtime_error("the cursor cannot be set");
  }
  cursors_.push_back(cursor);
}

}  // namespace os::testing
