#pragma once
// The base of the program's own window classes: the Win32 window procedure of every instance
// reaches the object's HandleMessage, and an error raised by a handler never leaves the window
// procedure: it goes to the application's top-level error handler, and the program runs on.
#include <windows.h>

#include <string>

#include "ui/Geometry.h"

namespace ui {

// Whether the window itself is to be shown (WS_VISIBLE), whether or not its parent is shown yet.
inline bool HasVisibleStyle(HWND window) {
  return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
}

class Window {
 public:
  Window() = default;
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;
  virtual ~Window();

  HWND Handle() const { return window_; }
  bool Exists() const { return window_ != nullptr; }
  void SetBounds(const Bounds& bounds) {
    ::MoveWindow(window_, bounds.left, bounds.top, bounds.width, bounds.height, TRUE);
  }

 protected:
  // Registers the class once per process: the program's own window procedure, the arrow cursor
  // and no background brush (each class paints its own).
  static void RegisterWindowClass(const wchar_t* className, UINT style = 0);
  // Creates the window; HandleMessage sees every message from WM_NCCREATE on. Throws
  // OperatorError when the system refuses.
  void Create(const wchar_t* className, const std::wstring& title, DWORD style, DWORD exStyle,
              const Bounds& bounds, HWND parent);
  // The window's messages; the default is the system's handling.
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT DefaultHandling(UINT message, WPARAM wParam, LPARAM lParam);
  // A form in the dialog face colour with its labels drawn on it: true (and `result`) when the
  // message was one of the two that paint it.
  bool DialogFace(UINT message, WPARAM wParam, LRESULT& result);
  // A click of one of the form's controls (WM_COMMAND from a control made by CreateControls)
  // goes to the control's handler: true when it had one.
  static bool ControlClicked(WPARAM wParam, LPARAM lParam);
  // The object no longer owns a window once the system destroyed it.
  virtual void OnDestroyed() {}

 private:
  static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
};

// A top-level form designed at `designedPpi` pixels per inch: its lengths are scaled to the
// resolution of the screen manager's screen.
class Form : public Window {
 protected:
  explicit Form(int designedPpi);
  int Scaled(int designed) const { return ScaleDesigned(designed, ppi_, designedPpi_); }
  int ScreenPpi() const { return ppi_; }

 private:
  int designedPpi_;
  int ppi_;
};

// A plain container for other controls (a panel, a page, the page control): it paints itself
// in one colour, lets Tab move through its children, and hands its children's notifications
// (commands, colours, drawing) to the top-level window it lies on.
class Container : public Window {
 public:
  void Create(const wchar_t* className, const std::wstring& name, const Bounds& bounds, HWND parent,
              bool visible = true);
  void SetColor(COLORREF color);
  // A frame of one pixel in `color` around the container (the path panel's border).
  void SetBorder(COLORREF color);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  COLORREF color_ = RGB(255, 255, 255);
  bool hasBorder_ = false;
  COLORREF borderColor_ = 0;
};

}  // namespace ui
