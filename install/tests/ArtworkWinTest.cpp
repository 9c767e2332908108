#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Error.h"
#include "PngFile.h"
#include "PngResource.h"
#include "text/Utf.h"

namespace wizard {
namespace {

using testing::PngFile;
using testing::ReadArtwork;

class ArtworkWinTest : public ::testing::Test {
 protected:
  GdiPlusSession gdiPlus_;
};

// What the decoded file says each loaded pixel is: the window's pictures blended over white,
// the glyphs with their own alpha.
void ExpectPixelsFromFile(const Bitmap32& loaded, const std::string& file, bool blended) {
  SCOPED_TRACE(file);
  const PngFile png = ReadArtwork(file);
  ASSERT_EQ(loaded.width, static_cast<int>(png.width));
  ASSERT_EQ(loaded.height, static_cast<int>(png.height));
  ASSERT_EQ(loaded.pixels.size(), png.pixels.size());
  int wrong = 0;
  for (std::size_t i = 0; i < png.pixels.size(); ++i) {
    const std::uint32_t p = png.pixels[i];
    const std::uint32_t expected = blended
                                       ? BlendOverWhite(std::uint8_t(p >> 16), std::uint8_t(p >> 8),
                                                        std::uint8_t(p), std::uint8_t(p >> 24))
                                       : p;
    if (loaded.pixels[i] != expected && wrong++ == 0) {
      ADD_FAILURE() << "pixel " << i % png.width << "," << i / png.width << " is " << std::hex
                    << loaded.pixels[i] << ", expected " << expected;
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST_F(ArtworkWinTest, TheSevenPicturesLoadOverWhiteAndTheGlyphsWithTheirAlpha) {
  const Artwork art = LoadArtwork();
  ExpectPixelsFromFile(art.BG_bmp, "background.png", true);
  ExpectPixelsFromFile(art.Panels_bmp, "main.png", true);
  ExpectPixelsFromFile(art.Logo_bmp, "logo.png", true);
  ExpectPixelsFromFile(art.Title_pnl_l_bmp, "title_pnl_l.png", true);
  ExpectPixelsFromFile(art.Title_pnl_r_bmp, "title_pnl_r.png", true);
  ExpectPixelsFromFile(art.Title_pnl_m_bmp, "title_pnl_m.png", true);
  ExpectPixelsFromFile(art.Title_bmp, "title.png", true);
  // The panels' transparent ground turns white.
  EXPECT_EQ(art.Panels_bmp.pixels.front(), 0xFFFFFFFFu);
  EXPECT_EQ(TitleColour(art.Title_bmp), static_cast<std::uint32_t>(RGB(236, 236, 235)));

  const std::vector<Bitmap32> glyphs = LoadGlyphs();
  ASSERT_EQ(glyphs.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    ExpectPixelsFromFile(glyphs[i], "glyph" + std::to_string(i) + ".png", false);
  }
}

TEST_F(ArtworkWinTest, AMissingOrUndecodablePictureRaisesAnErrorNamingIt) {
  struct Case {
    const wchar_t* name;
    const wchar_t* expected;
  };
  for (const Case& c : std::vector<Case>{
           {L"NO_SUCH_PICTURE", L"В программе установки нет ресурса \"NO_SUCH_PICTURE\"."},
           {L"INFO",
            L"Изображение \"INFO\" из ресурсов программы установки не удалось прочитать."}}) {
    try {
      LoadPngResource(c.name);
      ADD_FAILURE() << "no error for " << text::ToUtf8(c.name);
    } catch (const OperatorError& error) {
      EXPECT_EQ(error.Message(), c.expected);
    }
  }
}

TEST_F(ArtworkWinTest, TheInformationDocumentIsRichTextInAsciiWithTheMakersContacts) {
  const std::string info = LoadResourceBytes(L"INFO");
  EXPECT_EQ(info.rfind("{\\rtf1", 0), 0u);
  EXPECT_EQ(info.back() == '\n' ? info[info.size() - 2] : info.back(), '}');
  for (char c : info) {
    ASSERT_GE(static_cast<unsigned char>(c), 10) << "control character in the document";
    ASSERT_LT(static_cast<unsigned char>(c), 128) << "a byte that depends on the code page";
  }
  // "Вирельта", the support telephone and e-mail from info/contacts.txt, in Tahoma.
  for (const char* part : {"\\u1042?\\u1080?\\u1088?\\u1077?\\u1083?\\u1100?\\u1090?\\u1072?",
                           "8 (800) 555-31-24", "support@virelta.example.ru", "Tahoma"}) {
    EXPECT_NE(info.find(part), std::string::npos) << part;
  }
}

}  // namespace
}  // namespace wizard
