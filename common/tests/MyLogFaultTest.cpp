// The shared log where things go wrong, on the doubles: log files that cannot be written, an
// event log that fails, and many threads logging at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "Error.h"
#include "LogLines.h"
#include "os/FileReplace.h"
#include "os/testing/FakeEventLog.h"
#include "os/testing/FakeLocale.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"
#include "text/Utf.h"
#include "unitMyLog.h"

namespace {

using os::testing::FakeEventLog;
using os::testing::FakeLocale;
using os::testing::MemoryFileSystem;
using os::testing::ReadBytes;
using os::testing::WriteBytes;
using vr::TMyLog;

constexpr wchar_t kDir[] = L"C:\\Virelta\\";
constexpr wchar_t kMain[] = L"C:\\Virelta\\Quelvix.log";
constexpr wchar_t kExtra[] = L"C:\\Virelta\\extra.log";

std::string U8(const std::wstring& s) {
  return text::ToUtf8(s);
}

// Whether another thread can take the lock now. Asked from another thread because a thread that
// tried a mutex it already holds would be undefined behaviour.
bool LockIsFree(std::mutex& lock) {
  bool free = false;
  std::thread probe([&] {
    if (lock.try_lock()) {
      free = true;
      lock.unlock();
    }
  });
  probe.join();
  return free;
}

class MyLogFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(fs_.CreateFolder(L"C:\\Virelta"), 0u);
    locale_.SetNow({2024, 5, 6, 7, 8, 9, 0});
  }

  std::unique_ptr<TMyLog> MakeLog() {
    return std::make_unique<TMyLog>(kDir, fs_, locale_, events_);
  }

  MemoryFileSystem fs_;
  FakeLocale locale_;
  FakeEventLog events_;
};

// Each way a log file can refuse its new content; the message names the full path and the
// system's text for the error.
struct WriteFault {
  const char* name;
  std::function<void(MemoryFileSystem&, const std::wstring&)> arrange;
  os::ErrorCode error;
  // Handles the arrangement keeps open (a file locked by another program).
  bool holdsHandle = false;
};

std::vector<WriteFault> WriteFaults() {
  return {
      {"folder missing",
       [](MemoryFileSystem& fs, const std::wstring&) {
         ASSERT_EQ(fs.RemoveFolder(L"C:\\Virelta"), 0u);
       },
       os::error::kPathNotFound},
      {"no right",
       [](MemoryFileSystem& fs, const std::wstring& path) {
         fs.FailOpen(os::ReplacementFileName(path), os::error::kAccessDenied);
       },
       os::error::kAccessDenied},
      {"read-only file",
       [](MemoryFileSystem& fs, const std::wstring& path) {
         WriteBytes(fs, path, "");
         ASSERT_EQ(fs.SetAttributes(path, os::attr::kReadOnly), 0u);
       },
       os::error::kAccessDenied},
      {"locked by another program", [](MemoryFileSystem&, const std::wstring&) {},
       os::error::kAccessDenied, true},
      {"disk full",
       [](MemoryFileSystem& fs, const std::wstring&) { fs.SetCapacity(fs.UsedBytes() + 10); },
       os::error::kDiskFull},
      {"write fault",
       [](MemoryFileSystem& fs, const std::wstring& path) {
         fs.FailWriteAfter(os::ReplacementFileName(path), 5, os::error::kWriteFault);
       },
       os::error::kWriteFault},
  };
}

std::wstring CreateError(MemoryFileSystem& fs, const std::wstring& path, os::ErrorCode error) {
  return L"Cannot create file \"" + path + L"\". " + fs.ErrorText(error);
}

TEST(MyLogWriteFaults, UnwritableMainLogRaisesAfterTheLockIsLeftAndKeepsTheLine) {
  for (const auto& fault : WriteFaults()) {
    SCOPED_TRACE(fault.name);
    MemoryFileSystem fs;
    FakeLocale locale;
    FakeEventLog events;
    ASSERT_EQ(fs.CreateFolder(L"C:\\Virelta"), 0u);
    locale.SetNow({2024, 5, 6, 7, 8, 9, 0});
    TMyLog log(kDir, fs, locale, events);
    fault.arrange(fs, kMain);
    os::ErrorCode error = 0;
    std::unique_ptr<os::IFile> holder;
    if (fault.holdsHandle) {
      holder = fs.Open(kMain, os::Access::kReadWrite, os::Share::kNone,
                       os::Disposition::kCreateAlways, error);
      ASSERT_TRUE(holder);
    }
    const std::optional<std::string> before = fs.Content(kMain);

    bool raised = false;
    try {
      log.AddMessage(L"first");
    } catch (const OperatorError& e) {
      raised = true;
      EXPECT_EQ(e.Message(), CreateError(fs, kMain, fault.error));
      ASSERT_TRUE(LockIsFree(log.Lock)) << "the error left AddMessage holding the lock";
      // Logging again from here would hang on a held lock; it raises again instead.
      locale.Advance(1000);
      EXPECT_THROW(log.AddMessage(L"second"), OperatorError);
    }
    EXPECT_TRUE(raised);
    EXPECT_EQ(fs.Content(kMain), before);
    EXPECT_FALSE(fs.Exists(os::ReplacementFileName(kMain)));
    EXPECT_EQ(events.ReportCount(), 0u);
    EXPECT_EQ(log.List, (std::deque<std::wstring>{L"06.05.2024 07:08:10: second",
                                                  L"06.05.2024 07:08:09: first"}));

    // Once the file can be written, the lines kept in memory reach it with the next message.
    holder.reset();
    fs.ClearFaults();
    fs.CreateFolder(L"C:\\Virelta");
    fs.SetAttributes(kMain, os::attr::kNormal);
    log.AddMessage(L"third");
    EXPECT_EQ(ReadBytes(fs, kMain),
              "06.05.2024 07:08:10: third\r\n06.05.2024 07:08:10: second\r\n"
              "06.05.2024 07:08:09: first\r\n");
    EXPECT_EQ(events.ReportCount(), 1u);
  }
}

TEST_F(MyLogFaults, UnwritableAdditionalLogRaisesAfterTheMainLogIsWritten) {
  const auto log = MakeLog();
  log->SetAddLogFileName(kExtra);
  fs_.FailOpen(os::ReplacementFileName(kExtra), os::error::kAccessDenied);
  try {
    log->AddMessage(L"message");
    ADD_FAILURE() << "no error raised";
  } catch (const OperatorError& e) {
    EXPECT_EQ(e.Message(), CreateError(fs_, kExtra, os::error::kAccessDenied));
    EXPECT_TRUE(LockIsFree(log->Lock));
  }
  EXPECT_EQ(ReadBytes(fs_, kMain), "06.05.2024 07:08:09: message\r\n");
  EXPECT_EQ(log->AddList, std::deque<std::wstring>{L"06.05.2024 07:08:09: message"});
  EXPECT_EQ(events_.ReportCount(), 0u);
}

// A rewrite that fails part-way leaves the log as it was, byte for byte, whichever byte the disk
// fills at, and no temporary file beside it; the next message, with room again, writes them all.
TEST_F(MyLogFaults, ALogWhoseRewriteFailsKeepsItsOldContent) {
  const std::string old = "01.01.2024 00:00:00: old line\r\n";
  WriteBytes(fs_, kMain, old);
  const auto log = MakeLog();
  const std::size_t newSize = old.size() + std::string("06.05.2024 07:08:09: m\r\n").size();
  for (std::size_t room = 0; room < newSize; ++room) {
    SCOPED_TRACE(room);
    fs_.SetCapacity(fs_.UsedBytes() + room);
    EXPECT_THROW(log->AddMessage(L"m"), OperatorError);
    EXPECT_EQ(fs_.Content(kMain), old);
    EXPECT_FALSE(fs_.Exists(os::ReplacementFileName(kMain)));
    log->List.pop_front();
  }
  fs_.SetCapacity(fs_.UsedBytes() + newSize);
  log->AddMessage(L"m");
  EXPECT_EQ(fs_.Content(kMain), "06.05.2024 07:08:09: m\r\n" + old);
}

// Where the system's ANSI code page is UTF-8 (Windows 10's worldwide language support), the log
// is UTF-8 and keeps every character; a conversion that fails raises and leaves the log as it was
// instead of emptying it.
TEST_F(MyLogFaults, AUtf8AnsiCodePageKeepsTheLogAndAFailedConversionLeavesItAlone) {
  locale_.SetCodePage(65001);
  WriteBytes(fs_, kMain,
             "01.01.2024 00:00:00: \xD1\x81\xD1\x82\xD0\xB0\xD1\x80\xD0\xBE\xD0\xB5\r\n");
  const auto log = MakeLog();
  EXPECT_EQ(log->List.front(), L"01.01.2024 00:00:00: старое");
  log->AddMessage(L"новое ✓");
  const std::string written =
      "06.05.2024 07:08:09: \xD0\xBD\xD0\xBE\xD0\xB2\xD0\xBE\xD0\xB5 \xE2\x9C\x93\r\n"
      "01.01.2024 00:00:00: \xD1\x81\xD1\x82\xD0\xB0\xD1\x80\xD0\xBE\xD0\xB5\r\n";
  EXPECT_EQ(fs_.Content(kMain), written);
  EXPECT_EQ(MakeLog()->List, log->List);

  locale_.FailConversions(true);
  try {
    log->AddMessage(L"lost");
    ADD_FAILURE() << "no error raised";
  } catch (const OperatorError& e) {
    EXPECT_EQ(e.Message(), CreateError(fs_, kMain, os::error::kNoUnicodeTranslation));
    EXPECT_TRUE(LockIsFree(log->Lock));
  }
  EXPECT_EQ(fs_.Content(kMain), written);
  EXPECT_FALSE(fs_.Exists(os::ReplacementFileName(kMain)));
  EXPECT_EQ(events_.ReportCount(), 1u);  // the first message's only
}

TEST_F(MyLogFaults, RelativeNameIsReportedAsFullPath) {
  ASSERT_EQ(fs_.SetCurrentFolder(L"C:\\Virelta"), 0u);
  const auto log = MakeLog();
  log->SetLogFileName(L"sub\\relative.log");
  try {
    log->AddMessage(L"message");
    ADD_FAILURE() << "no error raised";
  } catch (const OperatorError& e) {
    EXPECT_EQ(e.Message(),
              CreateError(fs_, L"C:\\Virelta\\sub\\relative.log", os::error::kPathNotFound));
  }
}

TEST_F(MyLogFaults, UnreadableExistingLogRaisesAtCreationAndSwitch) {
  WriteBytes(fs_, kMain, "old\r\n");
  WriteBytes(fs_, kExtra, "old\r\n");
  fs_.FailOpen(kMain, os::error::kSharingViolation);
  const std::wstring expected = L"Cannot open file \"" + std::wstring(kMain) + L"\". " +
                                fs_.ErrorText(os::error::kSharingViolation);
  try {
    MakeLog();
    ADD_FAILURE() << "no error raised";
  } catch (const OperatorError& e) {
    EXPECT_EQ(e.Message(), expected);
  }
  try {
    vr::InitializeMyLog(kDir, fs_, locale_, events_);
    ADD_FAILURE() << "no error raised";
    vr::FinalizeMyLog();
  } catch (const OperatorError& e) {
    EXPECT_EQ(e.Message(), expected);
  }
  EXPECT_EQ(vr::MyLog, nullptr);

  fs_.ClearFaults();
  fs_.FailReadAfter(kExtra, 2, os::error::kReadFault);
  const auto log = MakeLog();
  EXPECT_THROW(log->SetAddLogFileName(kExtra), OperatorError);
}

TEST_F(MyLogFaults, EventEntryForEveryMessageAfterTheLockIsLeft) {
  const auto log = MakeLog();
  std::vector<bool> lockFree;
  events_.SetHook(
      [&](const os::testing::EventReport&) { lockFree.push_back(LockIsFree(log->Lock)); });
  log->AddMessage(L"plain");
  log->AddMessage(L"only additional, none set", true);
  log->SetAddLogFileName(kExtra);
  log->AddMessage(L"only additional", true);
  auto buffer = std::make_unique<vr::TByteArray>();
  (*buffer)[0] = 0xAB;
  log->AddByteArray(L"bytes ", *buffer);

  const auto reports = events_.Reports();
  ASSERT_EQ(reports.size(), 4u);
  const std::vector<std::wstring> texts = {L"plain", L"only additional, none set",
                                           L"only additional", L"bytes AB 00 "};
  for (std::size_t i = 0; i < reports.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(reports[i].source, L"Virelta");
    EXPECT_EQ(reports[i].type, 4u);
    EXPECT_EQ(reports[i].category, 0u);
    EXPECT_EQ(reports[i].eventId, 0u);
    ASSERT_EQ(reports[i].strings.size(), 1u);
    EXPECT_EQ(reports[i].strings[0].substr(0, 2 + texts[i].size()), L": " + texts[i]);
  }
  EXPECT_EQ(reports[3].strings[0].size(), 2u + 6u + 98304u);
  EXPECT_EQ(lockFree, std::vector<bool>(4, true));
}

TEST_F(MyLogFaults, FailingEventLogIsIgnored) {
  events_.SetFailing(true);
  const auto log = MakeLog();
  EXPECT_NO_THROW(log->AddMessage(L"one"));
  EXPECT_NO_THROW(log->AddMessage(L"two"));
  EXPECT_EQ(events_.ReportCount(), 2u);
  EXPECT_EQ(ReadBytes(fs_, kMain), "06.05.2024 07:08:09: two\r\n06.05.2024 07:08:09: one\r\n");
}

// Many threads at once: every line saved exactly once and whole, in both logs, each thread's
// lines in its own order, the time stamps in the order the lines were put in.
TEST_F(MyLogFaults, ConcurrentMessagesLoseNoLineAndTearNone) {
  constexpr int kThreads = 8;
  constexpr int kMessages = 50;
  locale_.SetStep(1000);
  const auto log = MakeLog();
  log->SetAddLogFileName(kExtra);
  const auto textOf = [](int thread, int message) {
    // Long and different per thread, so a line put together from two messages shows.
    return L"thread " + std::to_wstring(thread) + L" message " + std::to_wstring(message) + L" " +
           std::wstring(150, static_cast<wchar_t>(L'a' + thread));
  };

  logtest::AddFromThreads(*log, kThreads, kMessages, textOf);

  std::map<std::wstring, std::pair<int, int>> expected;
  for (int t = 0; t < kThreads; ++t) {
    for (int m = 0; m < kMessages; ++m) {
      expected[textOf(t, m)] = {t, m};
    }
  }
  for (const wchar_t* path : {kMain, kExtra}) {
    SCOPED_TRACE(U8(path));
    const auto bytes = ReadBytes(fs_, path);
    ASSERT_TRUE(bytes);
    const auto lines = logtest::SplitCrLf(*bytes);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), static_cast<std::size_t>(kThreads * kMessages));
    std::set<std::wstring> seen;
    std::vector<int> nextOlder(kThreads, kMessages - 1);
    std::array<int, 6> previous{99999};
    for (const auto& raw : *lines) {
      std::wstring text;
      const auto stamp = logtest::ParseLine(text::FromUtf8(raw), L".", L":", text);
      ASSERT_TRUE(stamp) << raw;
      const auto it = expected.find(text);
      ASSERT_NE(it, expected.end()) << "torn or foreign line: " << raw;
      EXPECT_TRUE(seen.insert(text).second) << "line twice: " << raw;
      const auto [thread, message] = it->second;
      EXPECT_EQ(message, nextOlder[thread]) << "out of the thread's order: " << raw;
      nextOlder[thread] = message - 1;
      EXPECT_LT(stamp->Key(), previous) << raw;
      previous = stamp->Key();
    }
    EXPECT_EQ(seen.size(), expected.size());
  }
  EXPECT_EQ(events_.ReportCount(), static_cast<std::size_t>(kThreads * kMessages));
  std::set<std::wstring> reported;
  for (const auto& report : events_.Reports()) {
    reported.insert(report.strings.at(0));
  }
  EXPECT_EQ(reported.size(), expected.size());
}

}  // namespace
