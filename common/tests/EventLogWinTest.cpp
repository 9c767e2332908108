// The application event log on Win32. Wine keeps no event log: its RegisterEventSourceW hands
// out a dummy handle and its ReportEventW succeeds without storing anything, so these tests can
// check only that a report goes through the calls and is answered; on Windows any user may
// write information entries to the application log, so the reports succeed there too.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os/win32/Win32EventLog.h"

namespace {

TEST(Win32EventLog, ReportsAreAccepted) {
  struct Case {
    const char* name;
    std::vector<std::wstring> strings;
  };
  const Case cases[] = {
      {"one string, as the log writes it", {L": message from the tests"}},
      {"Cyrillic", {L": сообщение"}},
      {"no string", {}},
      {"several strings", {L"one", L"", L"three"}},
      {"long string", {L": " + std::wstring(98304, L'0')}},
  };
  os::win32::Win32EventLog log;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(log.Report(L"Virelta", 4, 0, 0, c.strings));
  }
}

TEST(Win32EventLog, MoreStringsThanTheCallCanCountFail) {
  os::win32::Win32EventLog log;
  EXPECT_FALSE(log.Report(L"Virelta", 4, 0, 0, std::vector<std::wstring>(0x10000, L"x")));
  EXPECT_TRUE(log.Report(L"Virelta", 4, 0, 0, std::vector<std::wstring>(100, L"x")));
}

}  // namespace
