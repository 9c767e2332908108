#pragma once
// Plain geometry of the wizard's forms, free of Windows so that the forms' rules are tested
// natively: a point, a rectangle by its origin and size, the scaling of a length designed at
// another resolution, centring, and the docking of a form's controls along its edges.
#include <vector>

namespace ui {

struct Point {
  int x = 0;
  int y = 0;
};

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int Right() const { return left + width; }
  int Bottom() const { return top + height; }
};

// A length designed at `designedPpi` on a screen of `ppi`, rounded half away from zero as
// MulDiv rounds.
constexpr int ScaleDesigned(int length, int ppi, int designedPpi) {
  if (designedPpi == 0) {
    return length;
  }
  const long long scaled = static_cast<long long>(length) * ppi;
  const long long half = designedPpi / 2;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / designedPpi
                                      : -((-scaled + half) / designedPpi));
}

// Where a length `inner` starts when centred in `outer` starting at `start`; the division
// truncates toward zero.
constexpr int CentredStart(int start, int outer, int inner) {
  return start + (outer - inner) / 2;
}

// A control docked along an edge of its parent's client area: controls are placed in the order
// given, each taking its size (a height for the top and bottom, a width for the left and right)
// from what the earlier ones left; one that fills takes the rest. Hidden controls take nothing.
enum class Dock { kTop, kBottom, kLeft, kRight, kFill };
struct Docked {
  Dock dock;
  int size = 0;
  bool visible = true;
};
std::vector<Bounds> DockLayout(Bounds area, const std::vector<Docked>& controls);

}  // namespace ui
