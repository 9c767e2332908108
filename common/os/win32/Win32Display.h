#pragma once
#include "os/Display.h"
#include "os/win32/SystemLibrary.h"

namespace os::win32 {

// The display seam on the Win32 API. GetDpiForMonitor is looked up in shcore.dll on first use
// and the library kept until the object goes.
class Win32Display final : public IDisplay {
 public:
  Win32Display() = default;
  Win32Display(const Win32Display&) = delete;
  Win32Display& operator=(const Win32Display&) = delete;

  int ScreenDeviceCaps(int index) override;
  int SystemMetric(int index) override;
  bool WorkArea(Rect& area) override;
  std::vector<MonitorInfo> Monitors() override;
  bool HasMonitorDpi() override;
  bool MonitorDpi(std::uintptr_t monitor, unsigned& dpiX, unsigned& dpiY) override;
  void SetCursor(int cursor) override;

 private:
  using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
  GetDpiForMonitorFn GetDpiForMonitor();

  LibraryModule shcore_;
  GetDpiForMonitorFn getDpiForMonitor_ = nullptr;
  bool lookedUp_ = false;
};

}  // namespace os::win32
