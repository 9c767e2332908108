#pragma once
// The wizard window's painted picture: the paper texture, the title band with the logo and the
// title artwork, and the two panels under the information text and the page control. Composed
// from the seven artwork bitmaps whenever the painting surface changes size.
#include <cstdint>
#include <vector>

#include "ui/Geometry.h"

namespace wizard {

// A 32-bit picture: pixels 0xAARRGGBB, row by row from the top.
struct Bitmap32 {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

// The window's artwork as loaded (every pixel opaque).
struct Artwork {
  Bitmap32 BG_bmp;
  Bitmap32 Panels_bmp;
  Bitmap32 Logo_bmp;
  Bitmap32 Title_pnl_l_bmp;
  Bitmap32 Title_pnl_r_bmp;
  Bitmap32 Title_pnl_m_bmp;
  Bitmap32 Title_bmp;
};

using ui::Bounds;

// The composed picture of a W x H surface and where the two content controls go.
struct Composition {
  Bitmap32 buffer;
  Bounds richEdit;
  Bounds pages;
};

// Composes the picture: the texture tiled from (0, 0), the title band's ends and middle columns,
// the logo, the title artwork centred, the panels at (-3, 95). Every image is copied opaquely
// and clipped to the surface.
Composition BGResize(int W, int H, const Artwork& art);

// A pixel drawn over opaque white with its alpha, as an opaque 0xFFRRGGBB.
std::uint32_t BlendOverWhite(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a);

// The title colour: the top-left pixel of the title artwork as a Windows colour value
// (0x00BBGGRR). Black for an empty bitmap.
std::uint32_t TitleColour(const Bitmap32& title);

}  // namespace wizard
