#include "text/Utf.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf, RoundTripsRussianAndSymbols) {
  const std::wstring samples[] = {L"", L"Каталог <DTAfb> создан...", L"Шрифт <> уcтановлен",
                                  L"ОШИБКА!!!", L"\u20AC \u00E9 \U0001F600"};
  for (const auto& sample : samples) {
    EXPECT_EQ(text::FromUtf8(text::ToUtf8(sample)), sample);
  }
}

TEST(Utf, EncodesExactBytes) {
  EXPECT_EQ(text::ToUtf8(L"Ж"), "\xD0\x96");
  EXPECT_EQ(text::ToUtf8(L"\u20AC"), "\xE2\x82\xAC");
  EXPECT_EQ(text::ToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
}

TEST(Utf, ReplacesMalformedInput) {
  struct Case {
    std::string bytes;
    std::wstring expected;
  };
  const Case cases[] = {
      {"a\xFF"
       "b",
       L"a\uFFFDb"},
      {"\xD0", L"\uFFFD"},          // truncated sequence
      {"\xC0\xAF", L"\uFFFD"},      // overlong encoding of '/'
      {"\xED\xA0\x80", L"\uFFFD"},  // encoded surrogate
  };
  for (const auto& c : cases) {
    EXPECT_EQ(text::FromUtf8(c.bytes), c.expected) << c.bytes.size();
  }
}

}  // namespace
