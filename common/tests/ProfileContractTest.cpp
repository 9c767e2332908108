// What the settings-file seam answers, written once: natively MemoryProfile over the in-memory
// file system, under Wine the real GetPrivateProfileStringW, so the double cannot drift from it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "os/Profile.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/ProfileForTests.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"

namespace os {
namespace {

using testing::WriteBytes;

std::string U8(const std::wstring& s) {
  return text::ToUtf8(s);
}

// A file as Windows' own tools write a Unicode one: UTF-16LE after the mark FF FE.
std::string Utf16File(std::wstring_view content) {
  std::string bytes = "\xFF\xFE";
  for (const wchar_t c : content) {
    const auto unit = static_cast<char16_t>(c);  // the tests use the basic plane only
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

class ProfileContract : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = testing::MakeTestEnvironment();
    dir_ = env_->NewScratchFolder();
    profile_ = testing::MakeTestProfile(*env_);
  }

  std::wstring Write(const std::wstring& name, std::string_view bytes) {
    WriteBytes(env_->Fs(), dir_ + name, bytes);
    return dir_ + name;
  }
  std::wstring Read(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                    const std::wstring& defaultValue = L"<default>") {
    return profile_->ReadString(file, section, key, defaultValue);
  }

  std::unique_ptr<testing::TestEnvironment> env_;
  std::wstring dir_;
  std::unique_ptr<IProfile> profile_;
};

struct Query {
  std::wstring section;
  std::wstring key;
  std::wstring expected;
};

TEST_F(ProfileContract, FindsSectionsAndKeysWithoutLetterCaseAndDropsBlanks) {
  const auto file = Write(L"case.ini",
                          "[Options]\r\n"
                          "  FilterType  =  0x10  \r\n"
                          "Tabs=\tvalue with inner blanks\t\r\n"
                          "\t key with blanks \t= v \r\n"
                          " [ spaced ] \r\n"
                          "k=in spaced\r\n");
  const Query queries[] = {
      {L"options", L"filtertype", L"0x10"},
      {L"OPTIONS", L"FILTERTYPE", L"0x10"},
      {L"Options", L"FilterType", L"0x10"},
      {L" options\t", L" filtertype ", L"0x10"},
      {L"options", L"tabs", L"value with inner blanks"},
      {L"options", L"KEY WITH BLANKS", L"v"},
      {L"spaced", L"k", L"in spaced"},
      {L"SPACED", L"K", L"in spaced"},
      {L"options", L"k", L"<default>"},
      {L"spaced", L"filtertype", L"<default>"},
  };
  for (const auto& q : queries) {
    EXPECT_EQ(Read(file, q.section, q.key), q.expected) << U8(q.section) << "/" << U8(q.key);
  }
}

TEST_F(ProfileContract, TakesTheFirstOfTwoEqualKeysAndTheFirstSectionOfAName) {
  const auto file = Write(L"twice.ini",
                          "[a]\r\n"
                          "x=first\r\n"
                          "X=second\r\n"
                          "[b]\r\n"
                          "x=other section\r\n"
                          "[A]\r\n"
                          "x=third\r\n"
                          "y=only in the second a\r\n");
  EXPECT_EQ(Read(file, L"a", L"x"), L"first");
  EXPECT_EQ(Read(file, L"B", L"X"), L"other section");
  EXPECT_EQ(Read(file, L"a", L"y"), L"<default>");
}

TEST_F(ProfileContract, MissingFileSectionOrKeyGivesTheDefault) {
  const auto file = Write(L"some.ini", "[options]\r\nEmpty=\r\nBlank=   \r\nNoEquals\r\nk=1\r\n");
  const struct {
    std::wstring file;
    std::wstring section;
    std::wstring key;
    std::wstring defaultValue;
    std::wstring expected;
  } cases[] = {
      {dir_ + L"missing.ini", L"options", L"k", L"dflt", L"dflt"},
      {dir_ + L"no folder\\some.ini", L"options", L"k", L"dflt", L"dflt"},
      {dir_, L"options", L"k", L"dflt", L"dflt"},  // a folder is no settings file
      {file, L"nosection", L"k", L"dflt", L"dflt"},
      {file, L"options", L"nokey", L"dflt", L"dflt"},
      {file, L"options", L"nokey", L"", L""},
      {file, L"options", L"Empty", L"dflt", L""},  // present and empty: empty, not the default
      {file, L"options", L"Blank", L"dflt", L""},
      {file, L"options", L"NoEquals", L"dflt", L"dflt"},
      {file, L"options", L"nokey", L"trailing  ", L"trailing"},
      {file, L"options", L"nokey", L"  leading", L"  leading"},
      {file, L"options", L"k", L"dflt", L"1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(profile_->ReadString(c.file, c.section, c.key, c.defaultValue), c.expected)
        << U8(c.file) << " " << U8(c.section) << "/" << U8(c.key);
  }
}

TEST_F(ProfileContract, DropsOnePairOfMatchingQuotes) {
  const auto file = Write(L"quotes.ini",
                          "[q]\r\n"
                          "Double=\"abc\"\r\n"
                          "Single='abc'\r\n"
                          "Mixed=\"abc'\r\n"
                          "One=\"\r\n"
                          "Empty=\"\"\r\n"
                          "Inner=a\"b\"c\r\n"
                          "Blanks=\" a \"\r\n"
                          "Outside=  \"a\"  \r\n"
                          "Nested=\"'a'\"\r\n"
                          "Unclosed=\"abc\r\n");
  const Query queries[] = {
      {L"q", L"Double", L"abc"},     {L"q", L"Single", L"abc"}, {L"q", L"Mixed", L"\"abc'"},
      {L"q", L"One", L"\""},         {L"q", L"Empty", L""},     {L"q", L"Inner", L"a\"b\"c"},
      {L"q", L"Blanks", L" a "},     {L"q", L"Outside", L"a"},  {L"q", L"Nested", L"'a'"},
      {L"q", L"Unclosed", L"\"abc"},
  };
  for (const auto& q : queries) {
    EXPECT_EQ(Read(file, q.section, q.key), q.expected) << U8(q.key);
  }
}

TEST_F(ProfileContract, ReadsLinesAsTheyAreWritten) {
  const auto file = Write(L"lines.ini",
                          "[lf]\nk=1\nj=2\n"
                          "[cr]\rk=3\r"
                          "[misc]\r\n"
                          ";comment=4\r\n"
                          "eq=a=b\r\n"
                          "semi=a ; b\r\n"
                          "[unclosed\r\n"
                          "u=5\r\n"
                          "[tail]\r\n"
                          "last=6");  // no line end at the end of the file
  const Query queries[] = {
      {L"lf", L"k", L"1"},
      {L"lf", L"j", L"2"},
      {L"cr", L"k", L"3"},
      {L"misc", L";comment", L"4"},
      {L"misc", L"comment", L"<default>"},
      {L"misc", L"eq", L"a=b"},
      {L"misc", L"semi", L"a ; b"},
      {L"misc", L"u", L"5"},  // a "[" line without "]" starts no section
      {L"tail", L"last", L"6"},
  };
  for (const auto& q : queries) {
    EXPECT_EQ(Read(file, q.section, q.key), q.expected) << U8(q.section) << "/" << U8(q.key);
  }
}

TEST_F(ProfileContract, ReadsCyrillicFromAUnicodeFile) {
  const auto file = Write(L"unicode.ini", Utf16File(L"[VR_Messages]\r\n"
                                                    L"Gip=  Гипертония  \r\n"
                                                    L"Yo=\"Ёж ёлка\"\r\n"
                                                    L"Ключ=Значение\r\n"
                                                    L"[Other]\r\n"
                                                    L"Gip=другое\r\n"));
  const Query queries[] = {
      {L"VR_Messages", L"Gip", L"Гипертония"}, {L"vr_messages", L"GIP", L"Гипертония"},
      {L"VR_Messages", L"Yo", L"Ёж ёлка"},     {L"VR_Messages", L"Ключ", L"Значение"},
      {L"other", L"gip", L"другое"},           {L"VR_Messages", L"Missing", L"<default>"},
  };
  for (const auto& q : queries) {
    EXPECT_EQ(Read(file, q.section, q.key), q.expected) << U8(q.section) << "/" << U8(q.key);
  }
  EXPECT_EQ(Read(file, L"VR_Messages", L"Missing", L"Сахарный диабет"), L"Сахарный диабет");
}

TEST_F(ProfileContract, ReadsTheFileTheInstallerWrites) {
  const auto file = Write(L"virelta.ini", "[options]\r\nFilterType=0\r\nHardwareType=1\r\n\r\n");
  EXPECT_EQ(Read(file, L"options", L"FilterType"), L"0");
  EXPECT_EQ(Read(file, L"options", L"HardwareType"), L"1");
  EXPECT_EQ(Read(file, L"options", L"forGE"), L"<default>");
}

// Values longer than any first guess at a buffer come back whole, quoted ones included.
TEST_F(ProfileContract, ReadsLongValuesWhole) {
  for (const std::size_t length : {1021u, 1022u, 1023u, 1024u, 1025u, 2046u, 5000u, 70000u}) {
    const std::string value(length, 'z');
    for (const bool quoted : {false, true}) {
      const std::string written = quoted ? "\"" + value + "\"" : value;
      const auto file = Write(L"long" + std::to_wstring(length) + (quoted ? L"q" : L"") + L".ini",
                              "[a]\r\nk=" + written + "\r\n");
      EXPECT_EQ(Read(file, L"a", L"k").size(), length) << length << (quoted ? " quoted" : "");
    }
  }
}

}  // namespace
}  // namespace os
