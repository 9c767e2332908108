// The value forms of the settings file, one table per conversion.
#include "text/Numbers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "text/Utf.h"

namespace {

std::string U8(const std::wstring& s) {
  return text::ToUtf8(s);
}

TEST(Numbers, ParseInteger) {
  struct Case {
    std::wstring text;
    std::optional<std::int32_t> expected;
  };
  const Case cases[] = {
      {L"0", 0},
      {L"7", 7},
      {L"-12", -12},
      {L"+7", 7},
      {L"-0", 0},
      {L"007", 7},
      {L"2147483647", 2147483647},
      {L"-2147483648", std::numeric_limits<std::int32_t>::min()},
      {L"2147483648", std::nullopt},
      {L"-2147483649", std::nullopt},
      {L"99999999999999999999", std::nullopt},
      {L"0x10", 16},
      {L"0X10", 16},
      {L"$10", 16},
      {L"0xff", 255},
      {L"$aBc", 0xABC},
      {L"0x7FFFFFFF", 2147483647},
      {L"0xFFFFFFFF", -1},  // the 32-bit pattern
      {L"$80000000", std::numeric_limits<std::int32_t>::min()},
      {L"0x100000000", std::nullopt},
      {L"0x", std::nullopt},
      {L"$", std::nullopt},
      {L"0x1G", std::nullopt},
      {L"-0x10", std::nullopt},
      {L"-$10", std::nullopt},
      {L"x10", std::nullopt},
      {L"", std::nullopt},
      {L"-", std::nullopt},
      {L"+", std::nullopt},
      {L"true", std::nullopt},
      {L"yes", std::nullopt},
      {L"1.0", std::nullopt},
      {L"1,0", std::nullopt},
      {L" 1", std::nullopt},
      {L"1 ", std::nullopt},
      {L"1 000", std::nullopt},
      {L"\u0661", std::nullopt},  // an Arabic-Indic one is no digit of the file
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::ParseInteger(c.text), c.expected) << U8(c.text);
  }
}

TEST(Numbers, ParseDouble) {
  struct Case {
    std::wstring text;
    std::optional<double> expected;
  };
  const Case cases[] = {
      {L"1.5", 1.5},
      {L"-1.5", -1.5},
      {L"+2.25", 2.25},
      {L"3", 3.0},
      {L"0", 0.0},
      {L".5", 0.5},
      {L"5.", 5.0},
      {L"1e3", 1000.0},
      {L"2.5E-2", 0.025},
      {L"1E+2", 100.0},
      {L"0.1", 0.1},
      {L"1,5", std::nullopt},  // a decimal comma is no number of the file
      {L"1 000.5", std::nullopt},
      {L"1.5.", std::nullopt},
      {L"", std::nullopt},
      {L".", std::nullopt},
      {L"-", std::nullopt},
      {L"e5", std::nullopt},
      {L"1e", std::nullopt},
      {L"1e+", std::nullopt},
      {L"inf", std::nullopt},
      {L"nan", std::nullopt},
      {L"0x1p3", std::nullopt},
      {L" 1.5", std::nullopt},
      {L"1.5 ", std::nullopt},
      {L"1e400", std::nullopt},  // beyond the range of a double
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::ParseDouble(c.text), c.expected) << U8(c.text);
  }
}

TEST(Numbers, ValueFormsKeepTheDefaultWhenTheTextIsNotOfTheirForm) {
  struct BoolCase {
    std::wstring text;
    bool defaultValue;
    bool expected;
  };
  const BoolCase bools[] = {
      {L"0", true, false},     {L"1", false, true},    {L"2", false, true},
      {L"-1", false, true},    {L"0x0", true, false},  {L"$1", false, true},
      {L"true", false, false}, {L"true", true, true},  {L"yes", true, true},
      {L"yes", false, false},  {L"", true, true},      {L"", false, false},
      {L"1.0", false, false},  {L"false", true, true},
  };
  for (const auto& c : bools) {
    EXPECT_EQ(text::BooleanOr(c.text, c.defaultValue), c.expected)
        << U8(c.text) << " default " << c.defaultValue;
  }

  EXPECT_EQ(text::IntegerOr(L"-5", 1), -5);
  EXPECT_EQ(text::IntegerOr(L"five", 1), 1);
  EXPECT_EQ(text::IntegerOr(L"", 42), 42);
  EXPECT_EQ(text::DoubleOr(L"1.5", 1.0), 1.5);
  EXPECT_EQ(text::DoubleOr(L"1,5", 1.0), 1.0);
  EXPECT_EQ(text::DoubleOr(L"", 2.0), 2.0);
}

TEST(Numbers, IntegerInRangeKeepsTheDefaultOutsideTheRange) {
  struct Case {
    std::wstring text;
    std::int32_t low, high, defaultValue, expected;
  };
  const Case cases[] = {
      {L"0", 0, 255, 9, 0},          {L"255", 0, 255, 9, 255},  {L"256", 0, 255, 9, 9},
      {L"-1", 0, 255, 9, 9},         {L"0xFF", 0, 255, 9, 255}, {L"$100", 0, 255, 9, 9},
      {L"0xFFFFFFFF", 0, 255, 9, 9}, {L"7", 0, 7, 3, 7},        {L"8", 0, 7, 3, 3},
      {L"abc", 0, 7, 3, 3},          {L"", 0, 7, 3, 3},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::IntegerInRangeOr(c.text, c.low, c.high, c.defaultValue), c.expected)
        << U8(c.text) << " in " << c.low << ".." << c.high;
  }
}

// A user whose regional settings write "1,5" must not change how the file is read.
TEST(Numbers, IgnoreTheCLocale) {
  const char* const commaLocales[] = {"ru_RU.UTF-8", "de_DE.UTF-8", "Russian_Russia.1251",
                                      "German_Germany.1252"};
  const std::string saved = std::setlocale(LC_ALL, nullptr);
  const char* chosen = nullptr;
  for (const char* name : commaLocales) {
    if (std::setlocale(LC_ALL, name) != nullptr) {
      chosen = name;
      break;
    }
  }
  if (chosen == nullptr) {
    GTEST_SKIP() << "no locale with a decimal comma is installed";
  }
  const auto dotted = text::ParseDouble(L"1.5");
  const auto comma = text::ParseDouble(L"1,5");
  std::setlocale(LC_ALL, saved.c_str());
  EXPECT_EQ(dotted, 1.5) << chosen;
  EXPECT_EQ(comma, std::nullopt) << chosen;
}

}  // namespace
