// Upper-casing: the locale double maps the letters it claims (ASCII, Latin-1, Cyrillic) as
// Windows does, so that native tests of name comparisons hold on Windows too.
#include <gtest/gtest.h>

#include <string>

#include "os/testing/FakeLocale.h"
#include "os/win32/Win32Locale.h"

namespace {

TEST(LocaleUpper, DoubleMatchesWindowsForLatinAndCyrillic) {
  os::win32::Win32Locale windows;
  os::testing::FakeLocale fake;
  std::wstring all;
  for (wchar_t c = 0x20; c <= 0x45F; ++c) {
    if (c < 0x7F || (c >= 0xA0 && c <= 0xFF) || c >= 0x400) {
      all += c;
    }
  }
  const std::wstring expected = windows.ToUpper(all);
  const std::wstring upper = fake.ToUpper(all);
  ASSERT_EQ(upper.size(), all.size());
  ASSERT_EQ(expected.size(), all.size());
  for (std::size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(static_cast<unsigned>(upper[i]), static_cast<unsigned>(expected[i]))
        << "U+" << std::hex << static_cast<unsigned>(all[i]);
  }
  EXPECT_EQ(windows.ToUpper(L"тАвОлА"), L"ТАВОЛА");
  EXPECT_EQ(windows.ToUpper(L""), L"");
}

}  // namespace
