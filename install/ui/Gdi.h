#pragma once
// Owners of GDI objects and device contexts: each releases what it holds when it goes out of
// scope, also when an exception passes through.
#include <windows.h>

#include <string>
#include <utility>

#include "os/win32/Handle.h"

namespace ui {

using Font = os::win32::UniqueAny<HFONT, &::DeleteObject>;
using Brush = os::win32::UniqueAny<HBRUSH, &::DeleteObject>;
using Bitmap = os::win32::UniqueAny<HBITMAP, &::DeleteObject>;
using Icon = os::win32::UniqueAny<HICON, &::DestroyIcon>;

// A font by face and character height in pixels (the height of the letters, not of the cell),
// optionally bold, in the character set given.
Font MakeFont(const wchar_t* face, int pixelHeight, bool bold = false,
              BYTE charSet = DEFAULT_CHARSET);

// A window's device context for the duration of a scope (GetDC / ReleaseDC).
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_ != nullptr) {
      ::ReleaseDC(window_, dc_);
    }
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintDc() { ::EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }
  const RECT& Area() const { return paint_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// Selects an object into a device context for a scope, and the previous one back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectedObject() { ::SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The extent of a text drawn with `font` wrapped at `width` pixels (DrawTextW, DT_CALCRECT).
int WrappedTextHeight(HWND window, HFONT font, const std::wstring& text, int width);

}  // namespace ui
