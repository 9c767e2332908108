// The yardstick of the start-up benchmark: the least a Win32 window program does before its
// first frame. One window with the wizard's client size, centred, painted with one brush.
#include <windows.h>

namespace {

constexpr wchar_t kClass[] = L"VireltaBareWindow";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(window, &paint);
      ::FillRect(dc, &paint.rcPaint, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClass;
  if (::RegisterClassW(&windowClass) == 0) {
    return 1;
  }
  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  RECT frame{0, 0, 954, 579};
  ::AdjustWindowRect(&frame, style, FALSE);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const HWND window =
      ::CreateWindowW(kClass, L"Bare window", style, (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                      (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr,
                      nullptr, instance, nullptr);
  if (window == nullptr) {
    return 1;
  }
  ::ShowWindow(window, show);
  ::UpdateWindow(window);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
