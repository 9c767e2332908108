#include "os/DosDateTime.h"

#include <gtest/gtest.h>

namespace os {
namespace {

constexpr FileTime kSecond = 10'000'000;
constexpr FileTime kDay = 86'400 * kSecond;
// 1 January 1980 00:00:00 and 1 January 2108 00:00:00 as FILETIME.
constexpr FileTime k1980 = 119'600'064'000'000'000ull;
constexpr FileTime k2108 = 159'992'928'000'000'000ull;

TEST(DosDateTime, RoundsDownToTheEvenSecondAndBack) {
  struct Case {
    FileTime in;
    FileTime out;
  };
  const Case cases[] = {
      {k1980, k1980},
      {k1980 + kSecond, k1980},                                // odd second
      {k1980 + 3 * kSecond + 9'999'999, k1980 + 2 * kSecond},  // fraction dropped too
      {k1980 + 59 * kSecond, k1980 + 58 * kSecond},
      {k1980 + kDay - 1, k1980 + kDay - 2 * kSecond},  // 23:59:59.9999999
      {k2108 - 1, k2108 - 2 * kSecond},                // last representable moment
  };
  for (const auto& c : cases) {
    DosDateTime dos;
    ASSERT_TRUE(FileTimeToDos(c.in, dos)) << c.in;
    FileTime back = 0;
    ASSERT_TRUE(DosToFileTime(dos, back)) << c.in;
    EXPECT_EQ(back, c.out) << c.in;
  }
}

TEST(DosDateTime, EncodesFieldsLikeWindows) {
  // 15 June 2012 10:20:31 -> date (32 << 9) | (6 << 5) | 15, time (10 << 11) | (20 << 5) | 15
  DosDateTime dos;
  const FileTime june2012 = 129'841'920'000'000'000ull + (10 * 3600 + 20 * 60 + 31) * kSecond;
  ASSERT_TRUE(FileTimeToDos(june2012, dos));
  EXPECT_EQ(dos.date, (32 << 9) | (6 << 5) | 15);
  EXPECT_EQ(dos.time, (10 << 11) | (20 << 5) | 15);
}

TEST(DosDateTime, RefusesWhatItCannotRepresent) {
  DosDateTime dos;
  EXPECT_FALSE(FileTimeToDos(k1980 - 1, dos));
  EXPECT_FALSE(FileTimeToDos(k2108, dos));
  EXPECT_FALSE(FileTimeToDos(0, dos));

  FileTime time = 0;
  const DosDateTime invalid[] = {
      {static_cast<std::uint16_t>((1 << 5) | 0), 0},   // day 0
      {static_cast<std::uint16_t>((13 << 5) | 1), 0},  // month 13
      {static_cast<std::uint16_t>((2 << 5) | 30), 0},  // 30 February
      {static_cast<std::uint16_t>((1 << 5) | 1), static_cast<std::uint16_t>(24 << 11)},  // hour 24
      {static_cast<std::uint16_t>((1 << 5) | 1), static_cast<std::uint16_t>(30)},  // second 60
  };
  for (const auto& dos2 : invalid) {
    EXPECT_FALSE(DosToFileTime(dos2, time)) << dos2.date << " " << dos2.time;
  }
}

}  // namespace
}  // namespace os
