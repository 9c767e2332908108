#pragma once
// A scripted display for native tests: the screen's device capabilities and metrics, the work
// area, the monitors in enumeration order with their effective pixels per inch, and whether
// GetDpiForMonitor exists at all. By default: one 1280x1024 monitor at 96 pixels per inch with a
// 40-pixel task bar, GetDpiForMonitor present. Records the cursors set.
#include <cstdint>
#include <map>
#include <vector>

#include "os/Display.h"

namespace os::testing {

class FakeDisplay final : public IDisplay {
 public:
  FakeDisplay();

  int ScreenDeviceCaps(int index) override;
  int SystemMetric(int index) override;
  bool WorkArea(Rect& area) override;
  std::vector<MonitorInfo> Monitors() override;
  bool HasMonitorDpi() override;
  bool MonitorDpi(std::uintptr_t monitor, unsigned& dpiX, unsigned& dpiY) override;
  void SetCursor(int cursor) override;

  // --- Set-up ---
  // The screen's logical pixels per inch (LOGPIXELSX and LOGPIXELSY alike).
  void SetLogPixels(int dpi);
  void SetDeviceCaps(int index, int value) { caps_[index] = value; }
  // The screen's device context cannot be had: every capability reads 0.
  void FailDeviceContext(bool fail = true) { dcFails_ = fail; }
  // SM_CXSCREEN and SM_CYSCREEN.
  void SetScreenSize(int width, int height);
  // Any other metric; SM_CMONITORS follows the monitors unless set here.
  void SetMetric(int index, int value) { metrics_[index] = value; }
  void SetWorkArea(const Rect& area) { workArea_ = area; }
  void FailWorkArea(bool fail = true) { workAreaFails_ = fail; }
  // Replaces the monitors with none.
  void ClearMonitors() { monitors_.clear(); }
  // Adds a monitor after the others; returns its handle.
  std::uintptr_t AddMonitor(const Rect& bounds, const Rect& workArea, unsigned dpi,
                            bool primary = false);
  // Before Windows 8.1 shcore.dll has no GetDpiForMonitor.
  void SetMonitorDpiAvailable(bool available) { dpiAvailable_ = available; }
  // GetDpiForMonitor fails for this monitor.
  void FailMonitorDpi(std::uintptr_t monitor) { dpiFailures_.push_back(monitor); }
  // Setting the cursor throws std::runtime_error.
  void FailCursor(bool fail = true) { cursorFails_ = fail; }

  // --- Inspection ---
  const std::vector<int>& CursorsSet() const { return cursors_; }
  int MonitorDpiQueries() const { return dpiQueries_; }
  int DeviceCapsQueries() const { return capsQueries_; }

 private:
  struct Monitor {
    MonitorInfo info;
    unsigned dpi = 96;
  };

  std::map<int, int> caps_;
  std::map<int, int> metrics_;
  Rect workArea_;
  std::vector<Monitor> monitors_;
  std::vector<std::uintptr_t> dpiFailures_;
  std::vector<int> cursors_;
  std::uintptr_t nextHandle_ = 0x10001;
  bool dcFails_ = false;
  bool workAreaFails_ = false;
  bool dpiAvailable_ = true;
  bool cursorFails_ = false;
  int dpiQueries_ = 0;
  int capsQueries_ = 0;
};

}  // namespace os::testing
