// The name rules that the memory file system and the dry run's views share, where the file-system
// contract cannot hold them: cases whose answer under Wine differs from Windows.
#include <gtest/gtest.h>

#include "text/FileNames.h"
#include "text/Utf.h"

namespace text {
namespace {

TEST(FileNames, MasksAndReservedCharacters) {
  const struct {
    const wchar_t* mask;
    const wchar_t* name;
    bool matches;
  } masks[] = {
      {L"*", L"", true},
      {L"*.*", L"notes", true},
      {L"notes.*", L"NOTES", true},
      {L"*t.*", L"A.txt", false},
      {L"*s.*", L"notes", true},
      {L"?.TXT", L"ё.txt", true},
      {L"a*b*c", L"aXbYbZc", true},
      {L"a*b*c", L"aXbYcZ", false},
      {L"??", L"a", false},
      {L"Ё*", L"ёлка", true},
      {L"*.txt", L"a.txt.bak", false},
      {L"a.*", L"a.b.c", true},
  };
  for (const auto& c : masks) {
    EXPECT_EQ(MatchesMask(c.mask, c.name), c.matches) << ToUtf8(c.mask) << " " << ToUtf8(c.name);
  }
  EXPECT_TRUE(IsInvalidName(L"a:b"));
  EXPECT_TRUE(IsInvalidName(L"tab\there"));
  EXPECT_FALSE(IsInvalidName(L"Ёлка (1).txt"));
  EXPECT_FALSE(IsInvalidMask(L"*.t?t"));
  EXPECT_TRUE(IsInvalidMask(L"*|*"));
  EXPECT_FALSE(HasInvalidName(L"C:\\Program Files/Virelta\\a.txt"));
  EXPECT_TRUE(HasInvalidName(L"C:\\work\\a:b"));
}

}  // namespace
}  // namespace text
