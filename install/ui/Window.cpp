#include "ui/Window.h"

#include "Error.h"
#include "ScreenMonitorManager.h"
#include "ui/Application.h"
#include "ui/Controls.h"
#include "ui/Gdi.h"

namespace ui {

Window::~Window() {
  if (window_ != nullptr) {
    const HWND window = window_;
    window_ = nullptr;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    ::DestroyWindow(window);
  }
}

void Window::RegisterWindowClass(const wchar_t* className, UINT style) {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  const HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (::GetClassInfoExW(instance, className, &windowClass)) {
    return;
  }
  windowClass = WNDCLASSEXW{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = style;
  windowClass.lpfnWndProc = &Window::Procedure;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  windowClass.lpszClassName = className;
  if (::RegisterClassExW(&windowClass) == 0) {
    throw OperatorError(L"Не удалось зарегистрировать класс окна " + std::wstring(className));
  }
}

void Window::Create(const wchar_t* className, const std::wstring& title, DWORD style, DWORD exStyle,
                    const Bounds& bounds, HWND parent) {
  const HWND window = ::CreateWindowExW(exStyle, className, title.c_str(), style, bounds.left,
                                        bounds.top, bounds.width, bounds.height, parent, nullptr,
                                        ::GetModuleHandleW(nullptr), this);
  if (window == nullptr) {
    throw OperatorError(L"Не удалось создать окно " + std::wstring(className));
  }
  window_ = window;
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefaultHandling(message, wParam, lParam);
}

LRESULT Window::DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

bool Window::DialogFace(UINT message, WPARAM wParam, LRESULT& result) {
  if (message == WM_CTLCOLORSTATIC) {
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    result = reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
    return true;
  }
  if (message == WM_ERASEBKGND) {
    RECT area;
    ::GetClientRect(window_, &area);
    ::FillRect(reinterpret_cast<HDC>(wParam), &area, ::GetSysColorBrush(COLOR_BTNFACE));
    result = 1;
    return true;
  }
  return false;
}

bool Window::ControlClicked(WPARAM wParam, LPARAM lParam) {
  const Control* control = Control::From(reinterpret_cast<HWND>(lParam));
  return control != nullptr && HIWORD(wParam) == BN_CLICKED && control->OnClick();
}

Form::Form(int designedPpi)
    : designedPpi_(designedPpi),
      ppi_(vr::myScreen && vr::myScreen->PixelsPerInch > 0 ? vr::myScreen->PixelsPerInch : 96) {}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  auto* self = reinterpret_cast<Window*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) {
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  if (message == WM_NCDESTROY) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    self->window_ = nullptr;
    self->OnDestroyed();
    return ::DefWindowProcW(window, message, wParam, lParam);
  }
  try {
    return self->HandleMessage(message, wParam, lParam);
  } catch (...) {
    Application::Instance().HandleException();
    return 0;
  }
}

void Container::Create(const wchar_t* className, const std::wstring& name, const Bounds& bounds,
                       HWND parent, bool visible) {
  RegisterWindowClass(className);
  Window::Create(className, name,
                 WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0),
                 WS_EX_CONTROLPARENT, bounds, parent);
}

void Container::SetColor(COLORREF color) {
  color_ = color;
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

void Container::SetBorder(COLORREF color) {
  hasBorder_ = true;
  borderColor_ = color;
  ::InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT Container::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND: {
      RECT area;
      ::GetClientRect(Handle(), &area);
      const Brush fill(::CreateSolidBrush(color_));
      ::FillRect(reinterpret_cast<HDC>(wParam), &area, fill.Get());
      if (hasBorder_) {
        const Brush frame(::CreateSolidBrush(borderColor_));
        ::FrameRect(reinterpret_cast<HDC>(wParam), &area, frame.Get());
      }
      return 1;
    }
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
      return ::SendMessageW(::GetAncestor(Handle(), GA_ROOT), message, wParam, lParam);
    default:
      return DefaultHandling(message, wParam, lParam);
  }
}

}  // namespace ui
