#include "os/win32/Win32Display.h"

namespace os::win32 {
namespace {

// The whole screen's device context, released when it goes out of scope.
class ScreenDc {
 public:
  ScreenDc() : dc_(::GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_ != nullptr) {
      ::ReleaseDC(nullptr, dc_);
    }
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

Rect FromRect(const RECT& r) {
  return Rect{r.left, r.top, r.right, r.bottom};
}

BOOL CALLBACK CollectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& monitors = *reinterpret_cast<std::vector<MonitorInfo>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  MonitorInfo entry;
  entry.handle = reinterpret_cast<std::uintptr_t>(monitor);
  if (::GetMonitorInfoW(monitor, &info)) {
    entry.bounds = FromRect(info.rcMonitor);
    entry.workArea = FromRect(info.rcWork);
    entry.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
  }
  monitors.push_back(entry);
  return TRUE;
}

constexpr int kMdtEffectiveDpi = 0;  // MONITOR_DPI_TYPE MDT_EFFECTIVE_DPI

}  // namespace

int Win32Display::ScreenDeviceCaps(int index) {
  const ScreenDc dc;
  if (dc.Get() == nullptr) {
    return 0;
  }
  return ::GetDeviceCaps(dc.Get(), index);
}

int Win32Display::SystemMetric(int index) {
  return ::GetSystemMetrics(index);
}

bool Win32Display::WorkArea(Rect& area) {
  RECT r{};
  if (!::SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) {
    return false;
  }
  area = FromRect(r);
  return true;
}

std::vector<MonitorInfo> Win32Display::Monitors() {
  std::vector<MonitorInfo> monitors;
  if (!::EnumDisplayMonitors(nullptr, nullptr, CollectMonitor,
                             reinterpret_cast<LPARAM>(&monitors))) {
    monitors.clear();
  }
  return monitors;
}

Win32Display::GetDpiForMonitorFn Win32Display::GetDpiForMonitor() {
  if (!lookedUp_) {
    lookedUp_ = true;
    shcore_.Reset(LoadSystemLibrary(L"shcore.dll"));
    getDpiForMonitor_ = ProcAddress<GetDpiForMonitorFn>(shcore_.Get(), "GetDpiForMonitor");
  }
  return getDpiForMonitor_;
}

bool Win32Display::HasMonitorDpi() {
  return GetDpiForMonitor() != nullptr;
}

bool Win32Display::MonitorDpi(std::uintptr_t monitor, unsigned& dpiX, unsigned& dpiY) {
  const GetDpiForMonitorFn function = GetDpiForMonitor();
  if (function == nullptr) {
    return false;
  }
  UINT x = 0;
  UINT y = 0;
  if (FAILED(function(reinterpret_cast<HMONITOR>(monitor), kMdtEffectiveDpi, &x, &y))) {
    return false;
  }
  dpiX = x;
  dpiY = y;
  return true;
}

void Win32Display::SetCursor(int cursor) {
  const int id = cursor == 0 ? 32512 : cursor;  // 0: the arrow (IDC_ARROW)
  // System cursors are shared: nothing to release.
  const HCURSOR handle = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(id));
  if (handle != nullptr) {
    ::SetCursor(handle);
  }
}

}  // namespace os::win32
