#pragma once
// The display seam: the screen's device capabilities and metrics, and the monitors.
#include <cstdint>
#include <vector>

namespace os {

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

struct MonitorInfo {
  std::uintptr_t handle = 0;  // HMONITOR
  Rect bounds;                // rcMonitor: the monitor on the virtual desktop
  Rect workArea;              // rcWork
  bool primary = false;
};

namespace caps {
constexpr int kLogPixelsX = 88;
constexpr int kLogPixelsY = 90;
}  // namespace caps

namespace metric {
constexpr int kCxScreen = 0;
constexpr int kCyScreen = 1;
constexpr int kCMonitors = 80;
}  // namespace metric

class IDisplay {
 public:
  virtual ~IDisplay() = default;
  // GetDeviceCaps on the whole screen's device context (GetDC with no window, released again);
  // 0 when the device context cannot be had.
  virtual int ScreenDeviceCaps(int index) = 0;
  // GetSystemMetrics.
  virtual int SystemMetric(int index) = 0;
  // SystemParametersInfoW(SPI_GETWORKAREA): the primary screen less the task bar.
  virtual bool WorkArea(Rect& area) = 0;
  // EnumDisplayMonitors with GetMonitorInfoW, in the order the system enumerates them.
  virtual std::vector<MonitorInfo> Monitors() = 0;
  // GetDpiForMonitor(MDT_EFFECTIVE_DPI), looked up at run time in shcore.dll (Windows 8.1 and
  // later). False when the function is absent or the query fails.
  virtual bool HasMonitorDpi() = 0;
  virtual bool MonitorDpi(std::uintptr_t monitor, unsigned& dpiX, unsigned& dpiY) = 0;
  // The program's cursor (a system cursor id such as IDC_WAIT, or 0 for the default arrow).
  virtual void SetCursor(int cursor) = 0;
};

}  // namespace os
