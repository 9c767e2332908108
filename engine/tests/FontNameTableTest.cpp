// Font titles read from the font file itself: made-up files that exercise every choice and every
// bound, and the real fonts the sample medium carries (natively from Debian's font packages, under
// Wine from the same files through drive Z:).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "FontFileBuilder.h"
#include "engine/FontNameTable.h"
#include "text/Utf.h"

namespace engine {
namespace {

using testing::FontFile;
using testing::MacName;
using testing::NameRecord;
using testing::PutU32;
using testing::WindowsName;

// The file with its 32-bit field at `offset` replaced.
std::string WithU32(std::string file, std::size_t offset, std::uint32_t value) {
  std::string bytes;
  PutU32(bytes, value);
  file.replace(offset, 4, bytes);
  return file;
}

std::string WithU16(std::string file, std::size_t offset, std::uint16_t value) {
  file[offset] = static_cast<char>(value >> 8);
  file[offset + 1] = static_cast<char>(value & 0xFF);
  return file;
}

// The font as the first of a collection: a "ttcf" header, the font after it, its table offsets
// (counted from the start of the collection) moved on by the header's size.
std::string Collection(const std::string& font) {
  std::string file = "ttcf";
  PutU32(file, 0x00010000);
  PutU32(file, 1);
  PutU32(file, 16);
  file += font;
  for (const std::size_t record : {16u + 12u, 16u + 28u}) {
    const auto at = record + 8;
    std::uint32_t offset = 0;
    for (int i = 0; i < 4; ++i) {
      offset = (offset << 8) | static_cast<unsigned char>(file[at + i]);
    }
    file = WithU32(file, at, offset + 16);
  }
  return file;
}

const NameRecord kArial = WindowsName(4, u"Arial");
// Where the name table's record fields and strings lie in a file of FontFile.
constexpr std::size_t kFirstRecord = testing::kNameTableOffset + 6;

TEST(FontTitleFromNameTable, ChoosesTheRecordAndKeepsEveryReadWithinTheFile) {
  const std::string arialOnly = FontFile({kArial});
  const std::string longName(300, 'W');
  const struct {
    const char* what;
    std::string file;
    std::wstring title;
  } cases[] = {
      {"Windows before Macintosh", FontFile({MacName(4, "Mac Arial"), kArial}), L"Arial"},
      {"Windows in another language before Macintosh",
       FontFile({MacName(4, "Arial"), WindowsName(4, u"Ариал", 0x0419)}), L"Ариал"},
      {"American English first", FontFile({WindowsName(4, u"Ариал", 0x0419), kArial}), L"Arial"},
      {"the Unicode platform", FontFile({{0, 3, 0, 4, testing::Utf16Be(u"Uni")}}), L"Uni"},
      {"a symbol font", FontFile({{3, 0, 0x0409, 4, testing::Utf16Be(u"Symbol")}}), L"Symbol"},
      {"Macintosh Roman alone", FontFile({MacName(4, "Courier \xA9 \x80")}), L"Courier © Ä"},
      {"no full name: family and subfamily",
       FontFile({WindowsName(1, u"Courier New"), WindowsName(2, u"Bold")}), L"Courier New Bold"},
      {"family alone", FontFile({MacName(1, "Courier New")}), L"Courier New"},
      {"subfamily alone", FontFile({WindowsName(2, u"Regular")}), L""},
      {"control characters and blanks", FontFile({WindowsName(4, u"  Ta\x01ho\tma\x7F  ")}),
       L"Tahoma"},
      {"only blanks, then a readable record",
       FontFile({WindowsName(4, u"   "), MacName(4, "Times")}), L"Times"},
      {"a lone surrogate",
       FontFile({WindowsName(4,
                             u"A\xD800"
                             u"B\xDC00")}),
       L"AB"},
      {"an odd length", FontFile({{3, 1, 0x0409, 4, testing::Utf16Be(u"Arial") + "x"}}), L"Arial"},
      {"unreadable encodings", FontFile({{3, 3, 0x0411, 4, "x"}, {1, 1, 11, 4, "x"}}), L""},
      {"a long name", FontFile({{1, 0, 0, 4, longName}}), std::wstring(kMaxFontTitleLength, L'W')},
      {"a string past the table, a readable one after",
       WithU32(FontFile({kArial, MacName(4, "Mac Arial")}), kFirstRecord + 8, 0x0000FFFF),
       L"Mac Arial"},
      {"the string storage past the table",
       WithU16(arialOnly, testing::kNameTableOffset + 4, 0xFFFF), L""},
      {"more records than the table holds: the readable ones count",
       WithU16(arialOnly, testing::kNameTableOffset + 2, 0xFFFF), L"Arial"},
      {"a table past the end", WithU32(arialOnly, 12 + 16 + 8, 0xFFFFFFF0), L""},
      {"a table length that wraps", WithU32(arialOnly, 12 + 16 + 12, 0xFFFFFFFF), L""},
      {"more tables than the file holds, none of them the name table",
       WithU32(WithU32(arialOnly, 4, 0xFFFF0000), 12 + 16, 0x6E616D66), L""},
      {"no name table", WithU32(arialOnly, 12 + 16, 0x6E616D66), L""},  // "namf"
      {"a collection", Collection(arialOnly), L"Arial"},
      {"a collection without fonts", WithU32(Collection(arialOnly), 8, 0), L""},
      {"a collection pointing past its end", WithU32(Collection(arialOnly), 12, 0xFFFFFFFF), L""},
      {"no font at all", "font ARIAL.TTF", L""},
      {"nothing", "", L""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FontTitleFromNameTable(c.file), c.title);
  }

  // Cut anywhere: the title only once the whole name table is there.
  const std::size_t tableEnd = arialOnly.size() - 4;
  for (std::size_t size = 0; size <= arialOnly.size(); ++size) {
    ASSERT_EQ(FontTitleFromNameTable(std::string_view(arialOnly).substr(0, size)),
              size >= tableEnd ? L"Arial" : L"")
        << size;
  }
}

// The seven fonts of the sample medium, read from the files it is made of.
TEST(FontTitleFromNameTable, ReadsTheSampleMediumsFonts) {
  const struct {
    const char* file;
    const wchar_t* title;
  } fonts[] = {
      {"liberation/LiberationSans-Regular.ttf", L"Liberation Sans"},
      {"liberation/LiberationSansNarrow-Regular.ttf", L"Liberation Sans Narrow"},
      {"liberation/LiberationMono-Regular.ttf", L"Liberation Mono"},
      {"freefont/FreeSans.ttf", L"FreeSans"},
      {"dejavu/DejaVuSansCondensed.ttf", L"DejaVu Sans Condensed"},
      {"liberation/LiberationSerif-Regular.ttf", L"Liberation Serif"},
      {"dejavu/DejaVuSans.ttf", L"DejaVu Sans"},
  };
  for (const auto& font : fonts) {
    SCOPED_TRACE(font.file);
#ifdef _WIN32
    const std::string path = std::string("Z:/usr/share/fonts/truetype/") + font.file;
#else
    const std::string path = std::string("/usr/share/fonts/truetype/") + font.file;
#endif
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing: install the font packages with tools/setup-machine";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(FontTitleFromNameTable(bytes), font.title);
  }
}

}  // namespace
}  // namespace engine
