#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "MainBackgroundRules.h"

namespace wizard {
namespace {

// Every pixel of the synthetic artwork tells which picture it comes from and where in it:
// picture number in bits 20-23, source row in bits 10-19, source column in bits 0-9.
enum Picture : std::uint32_t { kBg = 1, kPanels, kLogo, kPnlL, kPnlR, kPnlM, kTitle };

Bitmap32 Tagged(Picture picture, int width, int height) {
  Bitmap32 bitmap{width, height, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bitmap.pixels.push_back(0xFF000000u | (picture << 20) |
                              (static_cast<std::uint32_t>(y) << 10) |
                              static_cast<std::uint32_t>(x));
    }
  }
  return bitmap;
}

Artwork SyntheticArtwork() {
  return Artwork{Tagged(kBg, 128, 128),  Tagged(kPanels, 958, 472), Tagged(kLogo, 72, 70),
                 Tagged(kPnlL, 22, 100), Tagged(kPnlR, 22, 100),    Tagged(kPnlM, 1, 100),
                 Tagged(kTitle, 500, 66)};
}

struct Source {
  std::uint32_t picture, x, y;
  bool operator==(const Source&) const = default;
};

Source At(const Bitmap32& buffer, int x, int y) {
  const std::uint32_t p = buffer.pixels.at(static_cast<std::size_t>(y) * buffer.width + x);
  return {(p >> 20) & 0xF, p & 0x3FF, (p >> 10) & 0x3FF};
}

std::string Describe(const Source& s) {
  return std::to_string(s.picture) + "@" + std::to_string(s.x) + "," + std::to_string(s.y);
}

struct Sample {
  int x, y;
  Source expected;
};

struct Case {
  const char* name;
  int W, H;
  std::vector<Sample> samples;
  bool middleColumns;  // whether any pixel comes from the title band's middle column
};

TEST(BackgroundTest, ComposesThePicturesAtTheirPlacesClippedToTheSurface) {
  const Artwork art = SyntheticArtwork();
  // clang-format off
  const std::vector<Sample> fullSize = {
      {0, 0, {kPnlL, 0, 0}}, {21, 99 - 5, {kPnlL, 21, 94}}, {22, 0, {kPnlM, 0, 0}},
      {931, 50, {kPnlM, 0, 50}}, {932, 0, {kPnlR, 0, 0}}, {953, 94, {kPnlR, 21, 94}},
      {16, 15, {kPnlL, 16, 15}}, {17, 15, {kLogo, 0, 0}}, {88, 84, {kLogo, 71, 69}},
      {89, 84, {kPnlM, 0, 84}}, {226, 20, {kPnlM, 0, 20}}, {227, 20, {kTitle, 0, 0}},
      {726, 85, {kTitle, 499, 65}}, {727, 85, {kPnlM, 0, 85}}, {500, 86, {kPnlM, 0, 86}},
      {0, 95, {kPanels, 3, 0}}, {953, 95, {kPanels, 956, 0}}, {953, 566, {kPanels, 956, 471}},
      {0, 566, {kPanels, 3, 471}}, {0, 567, {kBg, 0, 567 - 512}},
      {953, 578, {kBg, 953 - 896, 578 - 512}}, {500, 570, {kBg, 500 - 384, 570 - 512}},
  };
  // clang-format on
  const std::vector<Case> cases = {
      {"window client area 954 x 579: the texture only in the lowest 12 rows", 954, 579, fullSize,
       true},
      {"no gap between the band's ends: no middle column",
       44,
       100,
       {{21, 5, {kPnlL, 21, 5}}, {22, 5, {kPnlR, 0, 5}}, {43, 5, {kPnlR, 21, 5}}},
       false},
      {"a gap of one column",
       45,
       100,
       {{21, 5, {kPnlL, 21, 5}}, {22, 5, {kPnlM, 0, 5}}, {23, 5, {kPnlR, 0, 5}}},
       true},
      {"narrower than the title: x = (101 - 500) div 2 = -199, clipped on both sides",
       101,
       200,
       {{0, 20, {kTitle, 199, 0}},
        {100, 20, {kTitle, 299, 0}},
        {100, 85, {kTitle, 299, 65}},
        {0, 86, {kPnlL, 0, 86}},
        {0, 95, {kPanels, 3, 0}},
        {100, 199, {kPanels, 103, 104}}},
       true},
      {"a tile whose origin is the right and lower edge, and panels cut at the bottom",
       256,
       128,
       {{255, 127, {kPanels, 258, 32}}, {0, 127, {kPanels, 3, 32}}},
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Composition result = BGResize(c.W, c.H, art);
    ASSERT_EQ(result.buffer.width, c.W);
    ASSERT_EQ(result.buffer.height, c.H);
    ASSERT_EQ(result.buffer.pixels.size(), static_cast<std::size_t>(c.W) * c.H);
    for (const Sample& s : c.samples) {
      EXPECT_EQ(Describe(At(result.buffer, s.x, s.y)), Describe(s.expected))
          << "at " << s.x << "," << s.y;
    }
    const bool anyMiddle = std::any_of(result.buffer.pixels.begin(), result.buffer.pixels.end(),
                                       [](std::uint32_t p) { return ((p >> 20) & 0xF) == kPnlM; });
    EXPECT_EQ(anyMiddle, c.middleColumns);
    EXPECT_EQ(result.richEdit.left, 16);
    EXPECT_EQ(result.richEdit.top, 110);
    EXPECT_EQ(result.richEdit.width, 282);
    EXPECT_EQ(result.richEdit.height, 441);
    EXPECT_EQ(result.pages.left, 320);
    EXPECT_EQ(result.pages.top, 110);
    EXPECT_EQ(result.pages.width, 619);
    EXPECT_EQ(result.pages.height, 441);
  }
}

TEST(BackgroundTest, BlendsOverWhiteByAlphaAndTakesTheTitleColourFromTheTopLeftPixel) {
  struct Blend {
    std::uint8_t r, g, b, a;
    std::uint32_t expected;
  };
  for (const Blend& c : std::vector<Blend>{{12, 34, 56, 255, 0xFF0C2238},
                                           {12, 34, 56, 0, 0xFFFFFFFF},
                                           {200, 100, 50, 51, 0xFFF4E0D6},
                                           {0, 0, 0, 128, 0xFF7F7F7F},
                                           {0, 255, 0, 1, 0xFFFEFFFE}}) {
    EXPECT_EQ(BlendOverWhite(c.r, c.g, c.b, c.a), c.expected)
        << int(c.r) << "," << int(c.g) << "," << int(c.b) << " alpha " << int(c.a);
  }
  Bitmap32 title{2, 1, {0xFFECECEB, 0xFF000000}};
  EXPECT_EQ(TitleColour(title), 0x00EBECECu);
  title.pixels[0] = 0xFF112233;
  EXPECT_EQ(TitleColour(title), 0x00332211u);
}

}  // namespace
}  // namespace wizard
