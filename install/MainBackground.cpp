#include "MainBackground.h"

namespace wizard {

MainBackground::MainBackground() = default;

void MainBackground::LoadImages() {
  art_ = LoadArtwork();
}

void MainBackground::Resize(HWND window, int W, int H) {
  composition_ = BGResize(W, H, art_);
  ::InvalidateRect(window, nullptr, FALSE);
}

void MainBackground::Paint(HDC dc, const RECT& area) const {
  const Bitmap32& buffer = composition_.buffer;
  if (buffer.pixels.empty()) {
    return;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = buffer.width;
  info.bmiHeader.biHeight = -buffer.height;  // rows from the top
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  // The whole buffer; the paint's clipping keeps the valid part untouched. 0xAARRGGBB in memory
  // is the blue, green, red, alpha order of a 32-bit device-independent bitmap.
  (void)area;
  ::SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(buffer.width), static_cast<DWORD>(buffer.height),
                      0, 0, 0, static_cast<UINT>(buffer.height), buffer.pixels.data(), &info,
                      DIB_RGB_COLORS);
}

}  // namespace wizard
