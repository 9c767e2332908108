// The locale seam on Win32: the clock, the regional separators, the ANSI code page; and the
// locale double's Windows-1251 checked against the system's own table of that code page.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#include "os/win32/Win32Locale.h"
#include "text/Utf.h"

namespace {

using os::win32::Win32Locale;

std::int64_t Seconds(const SYSTEMTIME& st) {
  FILETIME ft;
  EXPECT_TRUE(::SystemTimeToFileTime(&st, &ft));
  const ULARGE_INTEGER value{{ft.dwLowDateTime, ft.dwHighDateTime}};
  return static_cast<std::int64_t>(value.QuadPart / 10'000'000);
}

TEST(Win32Locale, NowIsTheLocalTime) {
  Win32Locale locale;
  // The local time worked out another way: the UTC clock through the time zone.
  FILETIME utc;
  FILETIME local;
  SYSTEMTIME expected;
  ::GetSystemTimeAsFileTime(&utc);
  ASSERT_TRUE(::FileTimeToLocalFileTime(&utc, &local));
  ASSERT_TRUE(::FileTimeToSystemTime(&local, &expected));

  const os::LocalTime now = locale.Now();
  EXPECT_GE(now.year, 2024);
  EXPECT_TRUE(now.month >= 1 && now.month <= 12) << now.month;
  EXPECT_TRUE(now.day >= 1 && now.day <= 31) << now.day;
  EXPECT_TRUE(now.hour >= 0 && now.hour <= 23) << now.hour;
  EXPECT_TRUE(now.minute >= 0 && now.minute <= 59) << now.minute;
  EXPECT_TRUE(now.second >= 0 && now.second <= 59) << now.second;
  EXPECT_TRUE(now.milliseconds >= 0 && now.milliseconds <= 999) << now.milliseconds;
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(now.year);
  st.wMonth = static_cast<WORD>(now.month);
  st.wDay = static_cast<WORD>(now.day);
  st.wHour = static_cast<WORD>(now.hour);
  st.wMinute = static_cast<WORD>(now.minute);
  st.wSecond = static_cast<WORD>(now.second);
  const std::int64_t difference = Seconds(st) - Seconds(expected);
  EXPECT_TRUE(difference >= 0 && difference <= 5) << difference;
}

TEST(Win32Locale, SeparatorsAreShortNonDigitTexts) {
  Win32Locale locale;
  for (const std::wstring& separator : {locale.DateSeparator(), locale.TimeSeparator()}) {
    SCOPED_TRACE(text::ToUtf8(separator));
    ASSERT_FALSE(separator.empty());
    EXPECT_LE(separator.size(), 3u);  // the system allows three characters
    EXPECT_EQ(separator.find_first_of(L"0123456789"), std::wstring::npos);
    EXPECT_EQ(separator.find(L'\0'), std::wstring::npos);
  }
  ::testing::Test::RecordProperty("DateSeparator", text::ToUtf8(locale.DateSeparator()));
  ::testing::Test::RecordProperty("TimeSeparator", text::ToUtf8(locale.TimeSeparator()));
}

TEST(Win32Locale, AsciiRoundTripsInTheAnsiCodePage) {
  Win32Locale locale;
  std::wstring wide;
  std::string bytes;
  for (int c = 0; c < 0x80; ++c) {  // the zero character in the middle included
    wide.push_back(static_cast<wchar_t>(c));
    bytes.push_back(static_cast<char>(c));
  }
  wide += L"tail";
  bytes += "tail";
  EXPECT_EQ(locale.ToAnsi(wide), bytes);
  EXPECT_EQ(locale.FromAnsi(bytes), wide);
  EXPECT_EQ(locale.ToAnsi(L""), "");
  EXPECT_EQ(locale.FromAnsi(""), L"");
}

// What the test prefix's code page does with characters in and outside it; no best-fit
// substitutes ("Ā" does not become "A").
TEST(Win32Locale, CharactersOutsideTheCodePageBecomeQuestionMarks) {
  Win32Locale locale;
  const UINT acp = ::GetACP();
  ::testing::Test::RecordProperty("AnsiCodePage", static_cast<int>(acp));
  struct Case {
    UINT codePage;
    std::wstring wide;
    std::string ansi;
  };
  const Case cases[] = {
      {1252, L"é€\u0081", "\xE9\x80\x81"},
      {1252, L"\u0100Ж\u4E2D", "???"},
      {1251, L"Жё€\u0098", "\xC6\xB8\x88\x98"},
      {1251, L"\u0100é\u4E2D", "???"},
  };
  bool checked = false;
  for (const auto& c : cases) {
    if (c.codePage != acp) {
      continue;
    }
    checked = true;
    SCOPED_TRACE(text::ToUtf8(c.wide));
    EXPECT_EQ(locale.ToAnsi(c.wide), c.ansi);
    if (c.ansi.find('?') == std::string::npos) {
      EXPECT_EQ(locale.FromAnsi(c.ansi), c.wide);
    }
  }
  if (!checked) {
    GTEST_SKIP() << "no cases for the ANSI code page " << acp;
  }
}

// Windows 10's "Use Unicode UTF-8 for worldwide language support" makes the ANSI code page 65001,
// whose conversion refuses the no-best-fit flag: with the flags chosen per code page the text
// comes through whole, as the double's UTF-8 gives it.
TEST(Win32Locale, EveryCodePageConvertsWithTheFlagsItAccepts) {
  const std::wstring text = L"Журнал ✓ é";
  const struct {
    unsigned codePage;
    std::optional<std::string> expected;
  } cases[] = {
      {65001, text::ToUtf8(text)},
      {1251, std::string("\xC6\xF3\xF0\xED\xE0\xEB ? ?")},  // no best fit: "é" is no "e"
      {1252, std::string("?????? ? \xE9")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codePage);
    EXPECT_EQ(os::win32::ToCodePage(c.codePage, text), c.expected);
  }
  // The flag that used to be passed for every code page: Windows refuses it for UTF-8
  // (ERROR_INVALID_FLAGS); Wine accepts it.
  if (!os::testing::RunningUnderWine()) {
    char buffer[64];
    EXPECT_EQ(::WideCharToMultiByte(CP_UTF8, WC_NO_BEST_FIT_CHARS, text.data(),
                                    static_cast<int>(text.size()), buffer, sizeof buffer, nullptr,
                                    nullptr),
              0);
  }
  os::testing::FakeLocale fake;
  fake.SetCodePage(65001);
  EXPECT_EQ(fake.ToAnsi(text), os::win32::ToCodePage(65001, text));
  EXPECT_EQ(fake.FromAnsi(text::ToUtf8(text)), text);
}

// The double's Windows-1251 must be the system's: every byte one way, every UTF-16 unit the other.
TEST(FakeLocaleAgainstWindows, Windows1251TableIsTheSystems) {
  os::testing::FakeLocale fake;
  for (int b = 0; b < 256; ++b) {
    const char byte = static_cast<char>(b);
    wchar_t wide[2] = {};
    ASSERT_EQ(::MultiByteToWideChar(1251, 0, &byte, 1, wide, 2), 1) << b;
    ASSERT_EQ(fake.FromAnsi(std::string(1, byte)), std::wstring(1, wide[0])) << "byte " << b;
  }
  for (int u = 1; u <= 0xFFFF; ++u) {
    const auto unit = static_cast<wchar_t>(u);
    char bytes[4] = {};
    const int length =
        ::WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, &unit, 1, bytes, 4, nullptr, nullptr);
    ASSERT_EQ(length, 1) << "U+" << std::hex << u;
    ASSERT_EQ(fake.ToAnsi(std::wstring(1, unit)), std::string(bytes, 1)) << "U+" << std::hex << u;
  }
  const wchar_t pair[] = {0xD83D, 0xDE00};  // one character outside the plane
  char bytes[4] = {};
  const int length =
      ::WideCharToMultiByte(1251, WC_NO_BEST_FIT_CHARS, pair, 2, bytes, 4, nullptr, nullptr);
  EXPECT_EQ(fake.ToAnsi(std::wstring(pair, 2)), std::string(bytes, length));
}

}  // namespace
