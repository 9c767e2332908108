// Font installation on the seam's doubles: which fonts are installed, the copy, the registry
// value, the font calls in order, the progress line, and the failures that end the step.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Error.h"
#include "FontFileBuilder.h"
#include "Raised.h"
#include "RecordingProgress.h"
#include "engine/Fonts.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::RegistryRoot;
using testing::RaisedMessage;

constexpr wchar_t kMedium[] = L"D:\\Kit\\fonts\\";
constexpr wchar_t kSystemFonts[] = L"C:\\Windows\\fonts\\";
const std::wstring kKey(kFontsKey);

// --- The progress line ---

TEST(FontInstalledLine, IsExactToTheCodePointWithTheLatinC) {
  // "Шрифт <" title "> у" Latin c "тановлен", spelled out so that no editor can change it.
  EXPECT_EQ(FontInstalledLine(L"Tahoma"),
            L"\x0428\x0440\x0438\x0444\x0442 <Tahoma> \x0443\x0063\x0442\x0430\x043D\x043E\x0432"
            L"\x043B\x0435\x043D");
  EXPECT_EQ(FontInstalledLine(L""), L"Шрифт <> у\x0063тановлен");
  EXPECT_NE(FontInstalledLine(L""), L"Шрифт <> установлен");  // all-Cyrillic spelling
}

// --- The title ---

struct TitleCase {
  const char* what;
  bool infoAvailable;
  bool isFont;
  std::optional<std::uint32_t> reportedSize;
  const wchar_t* expected;
  std::vector<std::wstring> calls;
};

void PrintTo(const TitleCase& c, std::ostream* os) {
  *os << c.what;
}

class GetFontTitleTest : public ::testing::TestWithParam<TitleCase> {};

TEST_P(GetFontTitleTest, AsksTheSystemAndUnloadsTheFontAgain) {
  const TitleCase& c = GetParam();
  os::testing::FakeFonts fonts;
  fonts.SetInfoAvailable(c.infoAvailable);
  if (c.isFont) {
    fonts.SetTitle(L"D:\\tahoma.ttf", L"Tahoma");
  }
  fonts.ScriptInfoSize(c.reportedSize);
  EXPECT_EQ(GetFontTitle(fonts, L"D:\\tahoma.ttf"), c.expected);
  EXPECT_EQ(fonts.Calls(), c.calls);
  EXPECT_EQ(fonts.Loaded(L"D:\\tahoma.ttf"), 0);
}

const std::wstring kAdd = L"Add D:\\tahoma.ttf";
const std::wstring kRemove = L"Remove D:\\tahoma.ttf";
const std::wstring kAskSize = L"Info D:\\tahoma.ttf 0 null";

INSTANTIATE_TEST_SUITE_P(
    , GetFontTitleTest,
    ::testing::Values(
        TitleCase{"a font",
                  true,
                  true,
                  std::nullopt,
                  L"Tahoma",
                  {L"HasInfo", kAdd, kAskSize, L"Info D:\\tahoma.ttf 14 buffer", kRemove}},
        TitleCase{"no query on this system", false, true, std::nullopt, L"", {L"HasInfo"}},
        TitleCase{"not a font", true, false, std::nullopt, L"", {L"HasInfo", kAdd}},
        // Wine answers the size query with 0: no buffer may be written then.
        TitleCase{"no size", true, true, 0u, L"", {L"HasInfo", kAdd, kAskSize, kRemove}},
        TitleCase{
            "less than one character", true, true, 1u, L"", {L"HasInfo", kAdd, kAskSize, kRemove}},
        TitleCase{
            "an absurd size", true, true, 0xFFFFFFFFu, L"", {L"HasInfo", kAdd, kAskSize, kRemove}},
        TitleCase{"the second query fails",
                  true,
                  true,
                  9u,
                  L"",
                  {L"HasInfo", kAdd, kAskSize, L"Info D:\\tahoma.ttf 9 buffer", kRemove}}));

// --- Installation ---

class FontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_.fs.AddDrive(L'D');
    platform_.system.SetModuleFileName(L"D:\\Kit\\Install.exe");
    for (const wchar_t* folder :
         {L"D:\\Kit", L"D:\\Kit\\fonts", L"C:\\Windows", L"C:\\Windows\\Fonts"}) {
      ASSERT_EQ(platform_.fs.CreateFolder(folder), 0u);
    }
    for (const std::wstring_view file : kFontFiles) {
      const std::wstring name(file);
      os::testing::WriteBytes(platform_.fs, kMedium + name, "font " + text::ToUtf8(name));
      platform_.fonts.SetTitle(kMedium + name, L"Title of " + name);
      platform_.fonts.SetTitle(kSystemFonts + name, L"Title of " + name);
    }
    os::ErrorCode error = 0;
    ASSERT_NE(platform_.registry.CreateKey(RegistryRoot::kLocalMachine, kKey,
                                           os::keyaccess::kAllAccess, error),
              nullptr);
  }
  // Every font present except these.
  void Lacking(std::initializer_list<const wchar_t*> missing) {
    for (const std::wstring_view file : kFontFiles) {
      if (std::find(missing.begin(), missing.end(), file) == missing.end()) {
        os::testing::WriteBytes(platform_.fs, kSystemFonts + std::wstring(file), "present");
      }
    }
  }
  std::vector<std::wstring> Registered() {
    return platform_.registry.ValueNames(RegistryRoot::kLocalMachine, kKey);
  }
  std::wstring Install() {
    return RaisedMessage([&] { InstallFonts(progress_, platform_.Get()); });
  }

  os::testing::MemoryPlatform platform_;
  testing::RecordingProgress progress_;
};

TEST_F(FontsTest, AComputerWithEveryFontIsLeftAlone) {
  Lacking({});
  EXPECT_EQ(Install(), L"(nothing raised)");
  EXPECT_TRUE(progress_.calls.empty());
  EXPECT_TRUE(Registered().empty());
  EXPECT_TRUE(platform_.fonts.Calls().empty());
  EXPECT_EQ(os::testing::ReadBytes(platform_.fs, L"C:\\Windows\\Fonts\\TAHOMA.TTF"), "present");
}

TEST_F(FontsTest, OneMissingFontIsCopiedRegisteredAnnouncedAndReported) {
  Lacking({L"ARIALN.TTF"});
  EXPECT_EQ(Install(), L"(nothing raised)");
  EXPECT_EQ(os::testing::ReadBytes(platform_.fs, L"C:\\Windows\\Fonts\\ARIALN.TTF"),
            "font ARIALN.TTF");
  EXPECT_EQ(Registered(), std::vector<std::wstring>{L"Title of ARIALN.TTF (TrueType)"});
  EXPECT_EQ(platform_.registry.String(RegistryRoot::kLocalMachine, kKey,
                                      L"Title of ARIALN.TTF (TrueType)"),
            L"ARIALN.TTF");
  EXPECT_EQ(platform_.registry.Flushes(RegistryRoot::kLocalMachine, kKey), 1);
  EXPECT_EQ(platform_.registry.OpenKeys(), 0);
  EXPECT_EQ(progress_.calls,
            std::vector<std::wstring>{L"Add Шрифт <Title of ARIALN.TTF> уcтановлен"});
  // The title comes from the medium's copy, before the copy; the installed one is announced.
  EXPECT_EQ(
      platform_.fonts.Calls(),
      (std::vector<std::wstring>{
          L"HasInfo", L"Add D:\\Kit\\fonts\\ARIALN.TTF", L"Info D:\\Kit\\fonts\\ARIALN.TTF 0 null",
          L"Info D:\\Kit\\fonts\\ARIALN.TTF 40 buffer", L"Remove D:\\Kit\\fonts\\ARIALN.TTF",
          L"Add C:\\Windows\\fonts\\ARIALN.TTF", L"Broadcast",
          L"Remove C:\\Windows\\fonts\\ARIALN.TTF", L"Broadcast"}));
  EXPECT_EQ(platform_.fonts.Loaded(L"C:\\Windows\\fonts\\ARIALN.TTF"), 0);
}

TEST_F(FontsTest, EveryMissingFontIsInstalledInListOrder) {
  Lacking({L"verdana.TTF", L"ARIAL.TTF", L"TIMES.TTF"});
  EXPECT_EQ(Install(), L"(nothing raised)");
  EXPECT_EQ(progress_.lines,
            (std::vector<std::wstring>{L"Шрифт <Title of ARIAL.TTF> уcтановлен",
                                       L"Шрифт <Title of TIMES.TTF> уcтановлен",
                                       L"Шрифт <Title of verdana.TTF> уcтановлен"}));
  EXPECT_EQ(Registered().size(), 3u);
}

TEST_F(FontsTest, PresenceIsByFileNameWithoutLetterCase) {
  Lacking({L"verdana.TTF"});
  os::testing::WriteBytes(platform_.fs, L"C:\\Windows\\Fonts\\VERDANA.ttf", "older version");
  EXPECT_EQ(Install(), L"(nothing raised)");
  EXPECT_TRUE(progress_.lines.empty());
  EXPECT_EQ(os::testing::ReadBytes(platform_.fs, L"C:\\Windows\\Fonts\\verdana.TTF"),
            "older version");
}

// Without a title from the system (Wine's query is a stub), each font takes the one its file
// gives, or its file name; a title another font of the list is registered under gets the file
// name after it, so every font keeps a value of its own. A value of a font outside the list is
// overwritten as before.
TEST_F(FontsTest, WithoutTheSystemsTitlesTheFilesGiveThemAndNoTwoFontsShareAValue) {
  const struct {
    const wchar_t* file;
    std::string content;
    const wchar_t* title;
  } fonts[] = {
      {L"ARIAL.TTF", testing::FontFile({testing::WindowsName(4, u"Arial")}), L"Arial"},
      {L"ARIALN.TTF", testing::FontFile({testing::MacName(4, "Arial Narrow")}), L"Arial Narrow"},
      {L"COUR.TTF", testing::FontFile({testing::WindowsName(1, u"Courier New")}), L"Courier New"},
      {L"MICROSS.TTF", "not a font", L"MICROSS"},
      {L"TAHOMA.TTF", testing::FontFile({testing::WindowsName(4, u"Arial")}), L"Arial (TAHOMA)"},
      {L"TIMES.TTF", testing::FontFile({testing::WindowsName(4, u"Old Times")}), L"Old Times"},
      {L"verdana.TTF", testing::FontFile({testing::WindowsName(4, u"Courier New")}),
       L"Courier New (verdana)"},
  };
  for (const auto& font : fonts) {
    os::testing::WriteBytes(platform_.fs, kMedium + std::wstring(font.file), font.content);
  }
  platform_.fonts.SetInfoAvailable(false);
  platform_.registry.SetString(RegistryRoot::kLocalMachine, kKey, L"Old Times (TrueType)",
                               L"oldtimes.ttf");
  EXPECT_EQ(Install(), L"(nothing raised)");

  std::vector<std::wstring> lines;
  for (const auto& font : fonts) {
    SCOPED_TRACE(text::ToUtf8(font.file));
    lines.push_back(FontInstalledLine(font.title));
    EXPECT_EQ(platform_.registry.String(RegistryRoot::kLocalMachine, kKey,
                                        std::wstring(font.title) + L" (TrueType)"),
              font.file);
  }
  EXPECT_EQ(progress_.lines, lines);
  EXPECT_EQ(Registered().size(), 7u);
  EXPECT_EQ(platform_.registry.OpenKeys(), 0);

  // A second installation of the same fonts (removed from the fonts folder) keeps the names.
  for (const auto& font : fonts) {
    ASSERT_EQ(platform_.fs.RemoveFile(kSystemFonts + std::wstring(font.file)), 0u);
  }
  progress_ = testing::RecordingProgress();
  EXPECT_EQ(Install(), L"(nothing raised)");
  EXPECT_EQ(progress_.lines, lines);
  EXPECT_EQ(Registered().size(), 7u);
}

TEST_F(FontsTest, AnExistingValueOfTheSameNameIsOverwritten) {
  Lacking({L"TAHOMA.TTF"});
  platform_.registry.SetString(RegistryRoot::kLocalMachine, kKey, L"TITLE OF TAHOMA.TTF (TRUETYPE)",
                               L"old.ttf");
  EXPECT_EQ(Install(), L"(nothing raised)");
  EXPECT_EQ(Registered().size(), 1u);
  EXPECT_EQ(platform_.registry.String(RegistryRoot::kLocalMachine, kKey,
                                      L"Title of TAHOMA.TTF (TrueType)"),
            L"TAHOMA.TTF");
}

TEST_F(FontsTest, AFontMissingOnTheMediumEndsTheStepSilentlyForTheRest) {
  Lacking({L"COUR.TTF", L"MICROSS.TTF", L"TIMES.TTF"});
  ASSERT_EQ(platform_.fs.RemoveFile(L"D:\\Kit\\fonts\\COUR.TTF"), 0u);
  EXPECT_EQ(Install(), L"Cannot open file \"D:\\Kit\\fonts\\COUR.TTF\". " +
                           platform_.fs.ErrorText(os::error::kFileNotFound));
  EXPECT_TRUE(progress_.lines.empty());
  EXPECT_TRUE(Registered().empty());
  EXPECT_FALSE(platform_.fs.Exists(L"C:\\Windows\\Fonts\\MICROSS.TTF"));
  EXPECT_FALSE(platform_.fs.Exists(L"C:\\Windows\\Fonts\\TIMES.TTF"));
  EXPECT_FALSE(platform_.fs.Exists(L"C:\\Windows\\Fonts\\COUR.TTF"));
}

TEST_F(FontsTest, AFontsFolderThatCannotBeWrittenEndsTheStepAtTheFirstMissingFont) {
  Lacking({L"ARIAL.TTF", L"TIMES.TTF"});
  // The copy is written under a temporary name until the font is registered.
  platform_.fs.FailOpen(L"C:\\Windows\\Fonts\\ARIAL.TTF.tmp", os::error::kAccessDenied);
  EXPECT_EQ(Install(), L"Cannot create file \"C:\\Windows\\fonts\\ARIAL.TTF.tmp\". " +
                           platform_.fs.ErrorText(os::error::kAccessDenied));
  EXPECT_TRUE(progress_.lines.empty());
  EXPECT_TRUE(Registered().empty());
  EXPECT_FALSE(platform_.fs.Exists(L"C:\\Windows\\Fonts\\TIMES.TTF"));
}

TEST_F(FontsTest, ARegistryThatCannotBeWrittenRaisesTheValueName) {
  struct Case {
    const char* what;
    std::function<void(os::testing::MemoryRegistry&)> arrange;
  };
  const Case cases[] = {
      {"no administrative rights",
       [](auto& r) { r.DenyWrite(RegistryRoot::kLocalMachine, L"Software"); }},
      {"the write fails",
       [](auto& r) { r.FailWrites(RegistryRoot::kLocalMachine, kKey, os::error::kAccessDenied); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os::testing::MemoryPlatform platform;
    platform.fs.AddDrive(L'D');
    for (const wchar_t* folder : {L"D:\\fonts", L"C:\\Windows", L"C:\\Windows\\fonts"}) {
      ASSERT_EQ(platform.fs.CreateFolder(folder), 0u);
    }
    os::testing::WriteBytes(platform.fs, L"D:\\fonts\\ARIAL.TTF", "font");
    platform.fonts.SetTitle(L"D:\\fonts\\ARIAL.TTF", L"Arial");
    os::ErrorCode error = 0;
    platform.registry.CreateKey(RegistryRoot::kLocalMachine, kKey, os::keyaccess::kAllAccess,
                                error);
    c.arrange(platform.registry);
    testing::RecordingProgress progress;
    EXPECT_EQ(RaisedMessage([&] {
                InstallFont(progress, platform.Get(), {L"D:\\fonts\\", L"C:\\Windows\\fonts\\"},
                            L"ARIAL.TTF");
              }),
              L"Failed to set data for 'Arial (TrueType)'");
    EXPECT_TRUE(progress.lines.empty());
    EXPECT_TRUE(platform.registry.ValueNames(RegistryRoot::kLocalMachine, kKey).empty());
    EXPECT_EQ(platform.registry.OpenKeys(), 0);
    EXPECT_FALSE(platform.fs.Exists(L"C:\\Windows\\fonts\\ARIAL.TTF.tmp"));
    EXPECT_FALSE(platform.fs.Exists(L"C:\\Windows\\fonts\\ARIAL.TTF"));
  }
}

TEST_F(FontsTest, AMissingFontsKeyIsNotCreated) {
  os::testing::MemoryPlatform platform;
  platform.fs.AddDrive(L'D');
  for (const wchar_t* folder : {L"D:\\fonts", L"C:\\Windows", L"C:\\Windows\\fonts"}) {
    ASSERT_EQ(platform.fs.CreateFolder(folder), 0u);
  }
  os::testing::WriteBytes(platform.fs, L"D:\\fonts\\TIMES.TTF", "font");
  EXPECT_EQ(RaisedMessage([&] {
              InstallFont(progress_, platform.Get(), {L"D:\\fonts\\", L"C:\\Windows\\fonts\\"},
                          L"TIMES.TTF");
            }),
            L"Failed to set data for 'TIMES (TrueType)'");
  EXPECT_FALSE(platform.registry.KeyExists(RegistryRoot::kLocalMachine, kKey));
}

TEST_F(FontsTest, ACopyWhoseContentFailsIsRemovedAndTheNextFontFollows) {
  Lacking({L"ARIAL.TTF", L"TAHOMA.TTF"});
  platform_.fs.FailWriteAfter(L"C:\\Windows\\Fonts\\ARIAL.TTF.tmp", 3, os::error::kDiskFull);
  EXPECT_EQ(Install(), L"(nothing raised)");
  EXPECT_FALSE(platform_.fs.Exists(L"C:\\Windows\\Fonts\\ARIAL.TTF"));
  EXPECT_FALSE(platform_.fs.Exists(L"C:\\Windows\\Fonts\\ARIAL.TTF.tmp"));
  EXPECT_EQ(Registered(), std::vector<std::wstring>{L"Title of TAHOMA.TTF (TrueType)"});
  EXPECT_EQ(progress_.lines, std::vector<std::wstring>{L"Шрифт <Title of TAHOMA.TTF> уcтановлен"});
}

TEST_F(FontsTest, WithoutAWindowsFolderNothingIsTouched) {
  platform_.system.SetWindowsDirectory(std::nullopt);
  platform_.fs.ClearOpenCalls();
  EXPECT_EQ(Install(), L"(nothing raised)");
  EXPECT_TRUE(progress_.calls.empty());
  EXPECT_TRUE(platform_.fonts.Calls().empty());
  EXPECT_TRUE(platform_.fs.OpenCalls().empty());
}

}  // namespace
}  // namespace engine
