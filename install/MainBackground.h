#pragma once
// The main window's painted background: the seven pictures, loaded once when the window is
// created, composed into one 32-bit off-screen buffer whenever the painting surface changes size,
// and copied from there to the screen on every paint. Also where the two content controls lie
// and the title colour they take.
#include <windows.h>

#include <memory>
#include <string>

#include "MainBackgroundRules.h"
#include "PngResource.h"
#include "ui/Window.h"

namespace wizard {

class MainBackground {
 public:
  MainBackground();

  // Loads the seven pictures (BG_bmp to Title_bmp). Raises OperatorError for a missing or
  // undecodable one.
  void LoadImages();
  // BGResize: composes the picture for a surface of W × H and repaints `window`.
  void Resize(HWND window, int W, int H);
  void Paint(HDC dc, const RECT& area) const;

  ui::Bounds RichEditBounds() const { return composition_.richEdit; }
  ui::Bounds PagesBounds() const { return composition_.pages; }
  // The top-left pixel of the title artwork.
  COLORREF TitleColor() const { return static_cast<COLORREF>(TitleColour(art_.Title_bmp)); }

  // The information document shown beside the pages (RCDATA "INFO", rich text).
  static std::string InformationDocument() { return LoadResourceBytes(L"INFO"); }

 private:
  GdiPlusSession gdiPlus_;
  Artwork art_;
  Composition composition_;
};

}  // namespace wizard
