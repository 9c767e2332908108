#pragma once
// Plain geometry of the wizard's forms, free of Windows so that the forms' rules are tested
// natively: a point and the scaling of a length designed at another resolution.

namespace ui {

struct Point {
  int x = 0;
  int y = 0;
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

}  // namespace ui
