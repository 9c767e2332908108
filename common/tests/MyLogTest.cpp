// The shared log on both file systems: natively on the in-memory double with a clock the test
// sets (exact lines), under Wine on the real file system with the real clock, regional settings
// and ANSI code page (the time stamp checked for its form and against the clock around it).
#include <gtest/gtest.h>

#include <array>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Error.h"
#include "LogLines.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "os/testing/TestLocale.h"
#include "text/Utf.h"
#include "unitMyLog.h"

namespace {

using os::testing::ReadBytes;
using os::testing::WriteBytes;
using vr::TByteArray;
using vr::TMyLog;

// The buffer's type fixes its size: neither a shorter array nor a bare pointer can be passed.
template <typename Buffer>
concept DumpableBy = requires(TMyLog& log, const Buffer& buffer) {
  log.AddByteArray(L"", buffer);
};
static_assert(DumpableBy<TByteArray>);
static_assert(!DumpableBy<std::array<std::uint8_t, 100>>);
static_assert(!DumpableBy<std::array<std::uint8_t, 32769>>);
static_assert(!DumpableBy<const std::uint8_t*>);

// The double's clock: the example of a Russian Windows, 25.12.2023 14:05:09.
constexpr os::LocalTime kFakeNow{2023, 12, 25, 14, 5, 9, 0};

std::string U8(const std::wstring& s) {
  return text::ToUtf8(s);
}

std::array<int, 6> Key(const os::LocalTime& t) {
  return {t.year, t.month, t.day, t.hour, t.minute, t.second};
}

// "DD<d>MM<d>YYYY HH<t>NN<t>SS" of a clock reading {year, month, day, hour, minute, second}.
std::wstring Stamp(const std::array<int, 6>& t, const std::wstring& date,
                   const std::wstring& time) {
  const auto two = [](int v) {
    return std::wstring{static_cast<wchar_t>(L'0' + v / 10 % 10),
                        static_cast<wchar_t>(L'0' + v % 10)};
  };
  return two(t[2]) + date + two(t[1]) + date + two(t[0] / 100) + two(t[0]) + L" " + two(t[3]) +
         time + two(t[4]) + time + two(t[5]);
}

// UTF-16 of text without surrogates, the way a Unicode editor saves it.
std::string Utf16Bytes(const std::wstring& text, bool bigEndian) {
  std::string out;
  for (const wchar_t c : text) {
    const auto high = static_cast<char>((static_cast<unsigned>(c) >> 8) & 0xFF);
    const auto low = static_cast<char>(static_cast<unsigned>(c) & 0xFF);
    out.push_back(bigEndian ? high : low);
    out.push_back(bigEndian ? low : high);
  }
  return out;
}

class MyLog : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    dir_ = env_->NewScratchFolder();
    locale_ = os::testing::MakeTestLocale();
    if (auto* fake = locale_->Fake()) {
      fake->SetNow(kFakeNow);
      fake->SetSeparators(L".", L":");
    }
  }

  os::IFileSystem& fs() { return env_->Fs(); }
  os::ILocale& locale() { return locale_->Locale(); }
  os::testing::FakeLocale* fake() { return locale_->Fake(); }
  std::wstring At(const std::wstring& name) const { return dir_ + name; }
  std::wstring MainPath() const { return dir_ + L"Quelvix.log"; }

  std::unique_ptr<TMyLog> MakeLog() {
    return std::make_unique<TMyLog>(dir_, fs(), locale(), locale_->EventLog());
  }

  // Logs one message and notes the clock before and after it.
  void Log(TMyLog& log, const std::wstring& message, bool onlyAddLogfile = false) {
    before_ = Key(locale().Now());
    log.AddMessage(message, onlyAddLogfile);
    after_ = Key(locale().Now());
  }

  // A line of the last message: the regional separators, a stamp within the clock readings
  // around it and `text`; on the double exactly the stamp of its clock.
  ::testing::AssertionResult IsLine(const std::wstring& line, const std::wstring& text) {
    std::wstring rest;
    const auto stamp =
        logtest::ParseLine(line, locale().DateSeparator(), locale().TimeSeparator(), rest);
    if (!stamp) {
      return ::testing::AssertionFailure() << "not a log line: " << U8(line);
    }
    if (rest != text) {
      return ::testing::AssertionFailure() << "text " << U8(rest) << " instead of " << U8(text);
    }
    if (stamp->Key() < before_ || after_ < stamp->Key()) {
      return ::testing::AssertionFailure() << "time stamp outside the message's time: " << U8(line);
    }
    if (fake() != nullptr && before_ == after_ &&
        line != Stamp(before_, locale().DateSeparator(), locale().TimeSeparator()) + L": " + text) {
      return ::testing::AssertionFailure() << "not the clock's stamp: " << U8(line);
    }
    return ::testing::AssertionSuccess();
  }

  // An ANSI file's lines; a file that does not end in CR LF fails the test.
  std::vector<std::wstring> AnsiLines(const std::wstring& path) {
    const auto bytes = ReadBytes(fs(), path);
    EXPECT_TRUE(bytes.has_value()) << U8(path);
    const auto lines = logtest::SplitCrLf(locale().FromAnsi(bytes.value_or("")));
    EXPECT_TRUE(lines.has_value()) << "not CR LF lines: " << U8(path);
    return lines.value_or(std::vector<std::wstring>{});
  }

  bool Exists(const std::wstring& path) { return ReadBytes(fs(), path).has_value(); }

  std::unique_ptr<os::testing::TestEnvironment> env_;
  std::unique_ptr<os::testing::TestLocale> locale_;
  std::wstring dir_;
  std::array<int, 6> before_{};
  std::array<int, 6> after_{};
};

TEST_F(MyLog, StartsOnTheProgramFolderLogWithoutCreatingIt) {
  const auto log = MakeLog();
  EXPECT_EQ(log->LogFileName, MainPath());
  EXPECT_EQ(log->AddLogFilename, L"");
  EXPECT_EQ(log->LogMaxSize, 1000);
  EXPECT_TRUE(log->List.empty());
  EXPECT_FALSE(Exists(MainPath()));
}

TEST_F(MyLog, NewestLineFirst) {
  const auto log = MakeLog();
  Log(*log, L"first");
  const std::wstring firstLine = log->List.front();
  EXPECT_TRUE(IsLine(firstLine, L"first"));
  if (fake() != nullptr) {
    fake()->Advance(1000);
  }
  Log(*log, L"second");
  const auto lines = AnsiLines(MainPath());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(IsLine(lines[0], L"second"));
  EXPECT_EQ(lines[1], firstLine);
  if (fake() != nullptr) {
    EXPECT_EQ(ReadBytes(fs(), MainPath()),
              "25.12.2023 14:05:10: second\r\n25.12.2023 14:05:09: first\r\n");
  }
  EXPECT_EQ(log->List, std::deque<std::wstring>(lines.begin(), lines.end()));
}

TEST_F(MyLog, KeepsTheNewest1000Lines) {
  const auto log = MakeLog();
  for (int i = 1; i <= 1001; ++i) {
    log->AddMessage(L"message " + std::to_wstring(i));
  }
  const auto lines = AnsiLines(MainPath());
  ASSERT_EQ(lines.size(), 1000u);
  EXPECT_EQ(log->List.size(), 1000u);
  const auto textOf = [&](const std::wstring& line) {
    std::wstring text;
    EXPECT_TRUE(logtest::ParseLine(line, locale().DateSeparator(), locale().TimeSeparator(), text))
        << U8(line);
    return text;
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(textOf(lines[i]), L"message " + std::to_wstring(1001 - i)) << i;
  }
}

TEST_F(MyLog, LoadedFileLongerThanTheLimitIsCutAtTheNextMessage) {
  std::string content;
  for (int i = 1; i <= 1005; ++i) {
    content += "old " + std::to_string(i) + "\r\n";
  }
  WriteBytes(fs(), MainPath(), content);
  const auto log = MakeLog();
  ASSERT_EQ(log->List.size(), 1005u);
  EXPECT_EQ(log->List.front(), L"old 1");
  EXPECT_EQ(log->List.back(), L"old 1005");

  Log(*log, L"new");
  const auto lines = AnsiLines(MainPath());
  ASSERT_EQ(lines.size(), 1000u);
  EXPECT_TRUE(IsLine(lines[0], L"new"));
  EXPECT_EQ(lines[1], L"old 1");
  EXPECT_EQ(lines[999], L"old 999");
}

TEST_F(MyLog, OnlyAddLogfileWithoutAdditionalLogChangesNoFile) {
  WriteBytes(fs(), MainPath(), "kept\n");  // a rewrite would end the line in CR LF
  const auto log = MakeLog();
  Log(*log, L"nowhere", true);
  EXPECT_EQ(ReadBytes(fs(), MainPath()), "kept\n");
  EXPECT_EQ(log->List, std::deque<std::wstring>{L"kept"});
  os::ErrorCode error = 0;
  EXPECT_EQ(os::testing::FindNames(fs(), dir_ + L"*", error),
            std::vector<std::wstring>{L"Quelvix.log"});
  if (auto* events = locale_->FakeEvents()) {
    ASSERT_EQ(events->ReportCount(), 1u);
    EXPECT_EQ(events->Reports()[0].strings, std::vector<std::wstring>{L": nowhere"});
  }
}

TEST_F(MyLog, OnlyAddLogfileReachesOnlyTheAdditionalLog) {
  const auto log = MakeLog();
  log->SetAddLogFileName(At(L"extra.log"));
  Log(*log, L"extra only", true);
  EXPECT_FALSE(Exists(MainPath()));
  EXPECT_TRUE(log->List.empty());
  const auto lines = AnsiLines(At(L"extra.log"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(IsLine(lines[0], L"extra only"));
  EXPECT_EQ(log->AddList, std::deque<std::wstring>{lines[0]});
}

TEST_F(MyLog, MessageReachesBothLogsEachWithItsOwnReadingOfTheClock) {
  WriteBytes(fs(), At(L"extra.log"), "extra before\r\n");
  const auto log = MakeLog();
  log->SetAddLogFileName(At(L"extra.log"));
  EXPECT_EQ(log->AddList, std::deque<std::wstring>{L"extra before"});
  if (fake() != nullptr) {
    fake()->SetStep(1000);
  }
  Log(*log, L"both");
  const auto main = AnsiLines(MainPath());
  const auto extra = AnsiLines(At(L"extra.log"));
  ASSERT_EQ(main.size(), 1u);
  ASSERT_EQ(extra.size(), 2u);
  EXPECT_EQ(extra[1], L"extra before");
  if (fake() != nullptr) {
    // Reading 1 was Log's own "before"; the main line got 2, the additional line 3.
    EXPECT_EQ(main[0], L"25.12.2023 14:05:10: both");
    EXPECT_EQ(extra[0], L"25.12.2023 14:05:11: both");
  } else {
    EXPECT_TRUE(IsLine(main[0], L"both"));
    EXPECT_TRUE(IsLine(extra[0], L"both"));
  }
}

TEST_F(MyLog, EmptyAdditionalNameSwitchesTheAdditionalLogOff) {
  const auto log = MakeLog();
  log->SetAddLogFileName(At(L"extra.log"));
  Log(*log, L"one");
  log->SetAddLogFileName(L"");
  EXPECT_TRUE(log->AddList.empty());
  Log(*log, L"two");
  Log(*log, L"three", true);
  EXPECT_EQ(AnsiLines(At(L"extra.log")).size(), 1u);
  EXPECT_EQ(AnsiLines(MainPath()).size(), 2u);
}

TEST_F(MyLog, SwitchingFilesDropsTheOldLinesAndLoadsTheNewFile) {
  WriteBytes(fs(), MainPath(), "main old\r\n");
  WriteBytes(fs(), At(L"other.log"), "other 1\r\nother 2\r\n");
  WriteBytes(fs(), At(L"extra.log"), "extra 1\r\n");
  const auto log = MakeLog();
  log->SetAddLogFileName(At(L"other.log"));
  EXPECT_EQ(log->AddList, (std::deque<std::wstring>{L"other 1", L"other 2"}));
  log->SetAddLogFileName(At(L"extra.log"));
  EXPECT_EQ(log->AddList, std::deque<std::wstring>{L"extra 1"});

  log->LogMaxSize = 5;
  log->SetLogFileName(At(L"other.log"));
  EXPECT_EQ(log->LogFileName, At(L"other.log"));
  EXPECT_EQ(log->LogMaxSize, 1000);
  EXPECT_EQ(log->List, (std::deque<std::wstring>{L"other 1", L"other 2"}));
  log->SetLogFileName(At(L"missing.log"));
  EXPECT_TRUE(log->List.empty());
  Log(*log, L"into the new file");
  const auto lines = AnsiLines(At(L"missing.log"));
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(IsLine(lines[0], L"into the new file"));
  EXPECT_EQ(ReadBytes(fs(), MainPath()), "main old\r\n");
}

// A file with a byte-order mark is written back in its encoding, with the mark; a line outside
// the Basic Multilingual Plane survives the round trip.
TEST_F(MyLog, UnicodeFileKeepsItsEncodingAndMark) {
  struct Case {
    const char* name;
    std::string mark;
    std::string oldLines;  // "старая строка 😀" and "second", as the encoding stores them
    std::string (*encode)(const std::wstring&);
  };
  const Case cases[] = {
      {"UTF-8", "\xEF\xBB\xBF",
       "\xD1\x81\xD1\x82\xD0\xB0\xD1\x80\xD0\xB0\xD1\x8F \xD1\x81\xD1\x82\xD1\x80\xD0\xBE\xD0\xBA"
       "\xD0\xB0 \xF0\x9F\x98\x80\r\nsecond\r\n",
       [](const std::wstring& s) { return text::ToUtf8(s); }},
      {"UTF-16LE", "\xFF\xFE",
       Utf16Bytes(L"старая строка ", false) + std::string("\x3D\xD8\x00\xDE", 4) +
           Utf16Bytes(L"\r\nsecond\r\n", false),
       [](const std::wstring& s) { return Utf16Bytes(s, false); }},
      {"UTF-16BE", "\xFE\xFF",
       Utf16Bytes(L"старая строка ", true) + std::string("\xD8\x3D\xDE\x00", 4) +
           Utf16Bytes(L"\r\nsecond\r\n", true),
       [](const std::wstring& s) { return Utf16Bytes(s, true); }},
  };
  const std::wstring oldLine = L"старая строка " + text::FromUtf8("\xF0\x9F\x98\x80");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring path = At(text::FromUtf8(c.name) + L".log");
    WriteBytes(fs(), path, c.mark + c.oldLines);
    const auto log = MakeLog();
    log->SetLogFileName(path);
    EXPECT_EQ(log->List, (std::deque<std::wstring>{oldLine, L"second"}));

    Log(*log, L"новое сообщение");
    ASSERT_EQ(log->List.size(), 3u);
    EXPECT_TRUE(IsLine(log->List.front(), L"новое сообщение"));
    EXPECT_EQ(ReadBytes(fs(), path), c.mark + c.encode(log->List.front() + L"\r\n") + c.oldLines);
  }
}

TEST_F(MyLog, AnsiFileStaysInTheCodePageWithoutMark) {
  // "старая строка" in Windows-1251; in any single-byte code page these bytes read back as
  // themselves.
  const std::string oldBytes = "\xF1\xF2\xE0\xF0\xE0\xFF \xF1\xF2\xF0\xEE\xEA\xE0";
  WriteBytes(fs(), MainPath(), oldBytes + "\r\n");
  const auto log = MakeLog();
  ASSERT_EQ(log->List.size(), 1u);
  EXPECT_EQ(log->List.front(), locale().FromAnsi(oldBytes));
  if (fake() != nullptr) {
    EXPECT_EQ(log->List.front(), L"старая строка");
  }

  const std::wstring message = L"новое сообщение";
  Log(*log, message);
  const std::wstring line = log->List.front();
  EXPECT_TRUE(IsLine(line, message));
  EXPECT_EQ(ReadBytes(fs(), MainPath()),
            locale().ToAnsi(line).value() + "\r\n" + oldBytes + "\r\n");
  if (fake() != nullptr) {
    EXPECT_EQ(ReadBytes(fs(), MainPath()),
              "25.12.2023 14:05:09: \xED\xEE\xE2\xEE\xE5 \xF1\xEE\xEE\xE1\xF9\xE5\xED\xE8\xE5\r\n" +
                  oldBytes + "\r\n");
  }

  // Read again, the message comes back as the code page keeps it: whole where the code page has
  // Cyrillic, with "?" where it has not.
  const auto reread = MakeLog();
  ASSERT_EQ(reread->List.size(), 2u);
  std::wstring text;
  ASSERT_TRUE(logtest::ParseLine(reread->List.front(), locale().DateSeparator(),
                                 locale().TimeSeparator(), text));
  EXPECT_EQ(text, locale().FromAnsi(locale().ToAnsi(message).value()));
  if (fake() != nullptr || locale().FromAnsi(locale().ToAnsi(message).value()) == message) {
    EXPECT_EQ(text, message);
  }
}

TEST_F(MyLog, LinesSplitAtAnyLineBreakAndAreWrittenWithCrLf) {
  struct Case {
    const char* content;
    std::vector<std::wstring> lines;
  };
  const Case cases[] = {
      {"", {}},
      {"a\r\nb\r\n", {L"a", L"b"}},
      {"a\nb\rc\r\nd", {L"a", L"b", L"c", L"d"}},
      {"a\r\n\r\nb\n\nc\r\r", {L"a", L"", L"b", L"", L"c", L""}},
      {"\r\n", {L""}},
      {"no end", {L"no end"}},
      {"a\n\r", {L"a", L""}},  // LF then CR: two breaks
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    WriteBytes(fs(), MainPath(), c.content);
    const auto log = MakeLog();
    EXPECT_EQ(log->List, std::deque<std::wstring>(c.lines.begin(), c.lines.end()));
    Log(*log, L"x");
    const auto lines = AnsiLines(MainPath());
    ASSERT_EQ(lines.size(), c.lines.size() + 1);
    EXPECT_TRUE(IsLine(lines[0], L"x"));
    EXPECT_EQ(std::vector<std::wstring>(lines.begin() + 1, lines.end()), c.lines);
  }
}

TEST_F(MyLog, ByteArrayOfZerosIsDumpedWhole) {
  const auto buffer = std::make_unique<TByteArray>();  // value-initialised: all zero
  const auto log = MakeLog();
  before_ = Key(locale().Now());
  log->AddByteArray(L"dump:", *buffer);
  after_ = Key(locale().Now());

  std::wstring zeros;
  for (int i = 0; i < 32768; ++i) {
    zeros += L"00 ";
  }
  ASSERT_EQ(zeros.size(), 98304u);
  const auto lines = AnsiLines(MainPath());
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_TRUE(IsLine(lines[0], L"dump:" + zeros));
}

TEST_F(MyLog, ByteArrayDumpIsUpperCaseHexInBufferOrder) {
  auto buffer = std::make_unique<TByteArray>();
  for (std::size_t i = 0; i < buffer->size(); ++i) {
    (*buffer)[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
  }
  const auto log = MakeLog();
  before_ = Key(locale().Now());
  log->AddByteArray(L"", *buffer);
  after_ = Key(locale().Now());

  std::wstring text;
  ASSERT_TRUE(logtest::ParseLine(log->List.front(), locale().DateSeparator(),
                                 locale().TimeSeparator(), text));
  ASSERT_EQ(text.size(), 98304u);
  const wchar_t* digits = L"0123456789ABCDEF";
  for (std::size_t i = 0; i < buffer->size(); ++i) {
    const std::uint8_t b = (*buffer)[i];
    const std::wstring expected{digits[b >> 4], digits[b & 15], L' '};
    ASSERT_EQ(text.substr(i * 3, 3), expected) << "byte " << i;
  }
  EXPECT_EQ(text.substr(0, 12), L"00 07 0E 15 ");
  EXPECT_EQ(text.substr(256 * 3, 3), L"01 ");  // 256 * 7 + 1 = 0x701
  EXPECT_EQ(text.substr(98304 - 3), L"78 ");   // 32767 * 7 + 127 = 0x38078
}

TEST_F(MyLog, TimeStampHasTheRegionalSeparators) {
  const auto log = MakeLog();
  Log(*log, L"text");
  const std::wstring dateSeparator = locale().DateSeparator();
  const std::wstring timeSeparator = locale().TimeSeparator();
  EXPECT_FALSE(dateSeparator.empty());
  EXPECT_FALSE(timeSeparator.empty());
  EXPECT_TRUE(IsLine(log->List.front(), L"text"));
  const std::wstring line = log->List.front();
  EXPECT_EQ(line.substr(2, dateSeparator.size()), dateSeparator);
  EXPECT_EQ(line.substr(4 + dateSeparator.size(), dateSeparator.size()), dateSeparator);
  EXPECT_EQ(line.substr(8 + 2 * dateSeparator.size(), 1), L" ");
  EXPECT_EQ(line.substr(11 + 2 * dateSeparator.size(), timeSeparator.size()), timeSeparator);
}

TEST_F(MyLog, TimeStampFormsOfSeveralRegions) {
  if (fake() == nullptr) {
    GTEST_SKIP() << "on Windows the regional settings belong to the system; the form is checked "
                    "by TimeStampHasTheRegionalSeparators";
  }
  struct Case {
    os::LocalTime time;
    const wchar_t* date;
    const wchar_t* timeSeparator;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {{2023, 12, 25, 14, 5, 9, 0}, L".", L":", L"25.12.2023 14:05:09: text"},
      {{2024, 3, 5, 7, 8, 9, 999}, L"/", L":", L"05/03/2024 07:08:09: text"},
      {{2024, 2, 29, 0, 0, 0, 0}, L"-", L".", L"29-02-2024 00.00.00: text"},
      {{1601, 1, 1, 23, 59, 59, 0}, L". ", L"h", L"01. 01. 1601 23h59h59: text"},
      {{2024, 10, 31, 12, 0, 1, 0}, L"/", L":", L"31/10/2024 12:00:01: text"},
  };
  for (const auto& c : cases) {
    fake()->SetNow(c.time);
    fake()->SetSeparators(c.date, c.timeSeparator);
    const auto log = MakeLog();
    log->AddMessage(L"text");
    EXPECT_EQ(log->List.front(), c.expected);
    EXPECT_EQ(ReadBytes(fs(), MainPath()), text::ToUtf8(c.expected) + "\r\n");
    fs().RemoveFile(MainPath());
  }
}

// Several threads logging at once into both logs: each file, read back, holds every message
// exactly once as a whole line, each thread's messages newest first.
TEST_F(MyLog, MessagesFromSeveralThreadsAreAllKeptWhole) {
  constexpr int kThreads = 4;
  constexpr int kMessages = 30;
  const auto log = MakeLog();
  log->SetAddLogFileName(At(L"extra.log"));
  const auto textOf = [](int thread, int message) {
    // Long, and different per thread, so that a line mixed from two messages shows.
    return L"поток " + std::to_wstring(thread) + L" сообщение " + std::to_wstring(message) + L" " +
           std::wstring(200, static_cast<wchar_t>(L'a' + thread));
  };
  logtest::AddFromThreads(*log, kThreads, kMessages, textOf);

  for (const std::wstring& path : {MainPath(), At(L"extra.log")}) {
    SCOPED_TRACE(U8(path));
    const auto lines = AnsiLines(path);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kMessages));
    std::set<std::wstring> seen;
    std::vector<int> nextOlder(kThreads, kMessages - 1);
    for (const auto& line : lines) {
      std::wstring text;
      ASSERT_TRUE(
          logtest::ParseLine(line, locale().DateSeparator(), locale().TimeSeparator(), text))
          << "torn line: " << U8(line);
      // The thread's number follows "поток " (6 characters).
      const int thread = text.size() > 6 ? text[6] - L'0' : -1;
      ASSERT_TRUE(thread >= 0 && thread < kThreads) << U8(line);
      // Characters the ANSI code page lacks come back as "?"; compare as it keeps them.
      const std::wstring expected =
          locale().FromAnsi(locale().ToAnsi(textOf(thread, nextOlder[thread])).value());
      EXPECT_EQ(text, expected) << "lost, repeated, torn or out of order";
      EXPECT_TRUE(seen.insert(text).second) << "twice: " << U8(line);
      --nextOlder[thread];
    }
    EXPECT_EQ(nextOlder, std::vector<int>(kThreads, -1));
  }
}

TEST_F(MyLog, LogFileNameThatIsAFolderCannotBeWritten) {
  ASSERT_EQ(fs().CreateFolder(MainPath()), 0u);
  const auto log = MakeLog();
  EXPECT_TRUE(log->List.empty());
  try {
    log->AddMessage(L"lost");
    ADD_FAILURE() << "no error raised";
  } catch (const OperatorError& e) {
    EXPECT_EQ(e.Message(), L"Cannot create file \"" + fs().FullPath(MainPath()) + L"\". " +
                               fs().ErrorText(os::error::kAccessDenied));
  }
  ASSERT_EQ(log->List.size(), 1u);
}

TEST_F(MyLog, InitializeCreatesTheProgramWideLogAndFinalizeFreesIt) {
  WriteBytes(fs(), MainPath(), "earlier\r\n");
  ASSERT_EQ(vr::MyLog, nullptr);
  vr::InitializeMyLog(dir_, fs(), locale(), locale_->EventLog());
  struct Finalize {
    ~Finalize() { vr::FinalizeMyLog(); }
  } finalize;
  ASSERT_NE(vr::MyLog, nullptr);
  EXPECT_EQ(vr::MyLog->LogFileName, MainPath());
  EXPECT_EQ(vr::MyLog->List, std::deque<std::wstring>{L"earlier"});
  Log(*vr::MyLog, L"program-wide");
  const auto lines = AnsiLines(MainPath());
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_TRUE(IsLine(lines[0], L"program-wide"));

  vr::FinalizeMyLog();
  EXPECT_EQ(vr::MyLog, nullptr);
}

}  // namespace
