#include "MainBackgroundRules.h"

#include <algorithm>

namespace wizard {

namespace {

constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFFu;

// Copies the source bitmap's pixels into the buffer at (x, y), clipped to the buffer.
void Draw(Bitmap32& buffer, const Bitmap32& source, int x, int y) {
  const int fromX = std::max(0, -x);
  const int fromY = std::max(0, -y);
  const int toX = std::min(source.width, buffer.width - x);
  const int toY = std::min(source.height, buffer.height - y);
  if (fromX >= toX) {
    return;
  }
  for (int row = fromY; row < toY; ++row) {
    const auto first = source.pixels.begin() + static_cast<std::ptrdiff_t>(row) * source.width;
    std::copy(
        first + fromX, first + toX,
        buffer.pixels.begin() + static_cast<std::ptrdiff_t>(row + y) * buffer.width + x + fromX);
  }
}

// One pixel of the mix of a colour channel with white: the channel where alpha is 255, white
// where it is 0, rounded to the nearest.
std::uint32_t MixWithWhite(std::uint32_t channel, std::uint32_t alpha) {
  return (channel * alpha + 255u * (255u - alpha) + 127u) / 255u;
}

}  // namespace

Composition BGResize(int W, int H, const Artwork& art) {
  Composition result;
  result.buffer.width = std::max(0, W);
  result.buffer.height = std::max(0, H);
  result.buffer.pixels.assign(static_cast<std::size_t>(result.buffer.width) *
                                  static_cast<std::size_t>(result.buffer.height),
                              kOpaqueWhite);
  Bitmap32& buffer = result.buffer;

  // The texture: a tile whose origin lies on the right or lower edge is clipped away entirely.
  if (art.BG_bmp.width > 0 && art.BG_bmp.height > 0) {
    for (int y = 0; y <= H; y += art.BG_bmp.height) {
      for (int x = 0; x <= W; x += art.BG_bmp.width) {
        Draw(buffer, art.BG_bmp, x, y);
      }
    }
  }

  // The title band: both ends, then the middle columns between them.
  const int L = art.Title_pnl_l_bmp.width;
  const int R = W - art.Title_pnl_r_bmp.width;
  Draw(buffer, art.Title_pnl_l_bmp, 0, 0);
  Draw(buffer, art.Title_pnl_r_bmp, R, 0);
  if (R - 1 >= L) {
    for (int x = L; x <= R - 1; ++x) {
      Draw(buffer, art.Title_pnl_m_bmp, x, 0);
    }
  }

  Draw(buffer, art.Logo_bmp, L - 5, 15);
  // C++ division truncates toward zero, so a surface narrower than the title gives the same
  // position on both sides of zero as the window toolkit's "div".
  Draw(buffer, art.Title_bmp, (W - art.Title_bmp.width) / 2, 20);
  Draw(buffer, art.Panels_bmp, -3, 95);

  result.richEdit = Bounds{16, 110, 282, 441};
  result.pages = Bounds{320, 110, 619, 441};
  return result;
}

std::uint32_t BlendOverWhite(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
  return 0xFF000000u | (MixWithWhite(r, a) << 16) | (MixWithWhite(g, a) << 8) | MixWithWhite(b, a);
}

std::uint32_t TitleColour(const Bitmap32& title) {
  if (title.width <= 0 || title.height <= 0 || title.pixels.empty()) {
    return 0;
  }
  const std::uint32_t argb = title.pixels.front();
  const std::uint32_t r = (argb >> 16) & 0xFFu;
  const std::uint32_t g = (argb >> 8) & 0xFFu;
  const std::uint32_t b = argb & 0xFFu;
  return r | (g << 8) | (b << 16);
}

}  // namespace wizard
