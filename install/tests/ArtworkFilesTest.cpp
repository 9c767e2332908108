#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "PngFile.h"

namespace wizard::testing {
namespace {

constexpr std::uint32_t kFace = 0xFFECECEB;  // RGB (236, 236, 235), opaque

struct Expected {
  const char* file;
  std::uint32_t width, height;
  int colourType;
  bool opaque;  // every pixel's alpha 255
};

// Every pixel of the rectangle x0..x1, y0..y1 (inclusive) is `colour`.
void ExpectFilled(const PngFile& png, std::uint32_t x0, std::uint32_t y0, std::uint32_t x1,
                  std::uint32_t y1, std::uint32_t colour, const char* what) {
  int wrong = 0;
  for (std::uint32_t y = y0; y <= y1; ++y) {
    for (std::uint32_t x = x0; x <= x1; ++x) {
      if (png.At(x, y) != colour && wrong++ == 0) {
        ADD_FAILURE() << what << ": pixel " << x << "," << y << " is " << std::hex << png.At(x, y);
      }
    }
  }
  EXPECT_EQ(wrong, 0) << what;
}

TEST(ArtworkFilesTest, TheCommittedPicturesHaveTheirSizesColourTypesAndPlainEncoding) {
  const std::vector<Expected> files = {
      {"background.png", 128, 128, 2, true}, {"main.png", 958, 472, 6, false},
      {"logo.png", 72, 70, 6, true},         {"title_pnl_l.png", 22, 100, 6, false},
      {"title_pnl_m.png", 1, 100, 6, false}, {"title_pnl_r.png", 22, 100, 6, false},
      {"title.png", 500, 66, 6, true},       {"glyph0.png", 16, 16, 6, false},
      {"glyph1.png", 16, 16, 6, false},      {"glyph2.png", 16, 16, 6, false},
      {"glyph3.png", 16, 16, 6, false},
  };
  for (const Expected& e : files) {
    SCOPED_TRACE(e.file);
    const PngFile png = ReadArtwork(e.file);
    EXPECT_EQ(png.width, e.width);
    EXPECT_EQ(png.height, e.height);
    EXPECT_EQ(png.bitDepth, 8);
    EXPECT_EQ(png.colourType, e.colourType);
    EXPECT_EQ(png.interlace, 0);
    // No gamma or colour profile chunks: the system decoder would correct the colours by them.
    for (const std::string& chunk : png.chunks) {
      EXPECT_TRUE(chunk == "IHDR" || chunk == "IDAT" || chunk == "IEND") << chunk;
    }
    ASSERT_EQ(png.pixels.size(), std::size_t(e.width) * e.height);
    const bool opaque = std::all_of(png.pixels.begin(), png.pixels.end(),
                                    [](std::uint32_t p) { return (p >> 24) == 255; });
    EXPECT_EQ(opaque, e.opaque);
  }
}

TEST(ArtworkFilesTest, TheFacesUnderTheControlsAndBehindTheTitleHaveTheTitleColour) {
  const PngFile title = ReadArtwork("title.png");
  EXPECT_EQ(title.At(0, 0), kFace);
  EXPECT_EQ(title.At(499, 65), kFace);

  // The panels are drawn at (-3, 95): the information text (16, 110, 282 x 441) and the page
  // control (320, 110, 619 x 441) lie on the panels' faces; the ground around them is clear.
  const PngFile panels = ReadArtwork("main.png");
  ExpectFilled(panels, 16 + 3, 110 - 95, 16 + 3 + 281, 110 - 95 + 440, kFace, "information text");
  ExpectFilled(panels, 320 + 3, 110 - 95, 320 + 3 + 618, 110 - 95 + 440, kFace, "page control");
  EXPECT_EQ(panels.At(0, 0) >> 24, 0u);
  EXPECT_EQ(panels.At(957, 0) >> 24, 0u);
  EXPECT_EQ(panels.At(0, 471) >> 24, 0u);

  // The logo (17, 15, 72 x 70) and the title (227, 20, 500 x 66) lie on the band's face, which
  // fades out above the panels (y 95).
  const PngFile middle = ReadArtwork("title_pnl_m.png");
  ExpectFilled(middle, 0, 15, 0, 85, kFace, "title band");
  EXPECT_EQ(middle.At(0, 0) >> 24, 0u);
  EXPECT_LT(middle.At(0, 95) >> 24, 8u);
  const PngFile left = ReadArtwork("title_pnl_l.png");
  ExpectFilled(left, 17, 15, 21, 84, kFace, "left end of the band under the logo");
  const PngFile logo = ReadArtwork("logo.png");
  EXPECT_EQ(logo.At(0, 0), kFace);
  EXPECT_EQ(logo.At(71, 69), kFace);
}

}  // namespace
}  // namespace wizard::testing
