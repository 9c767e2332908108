#pragma once
// The locale and event log a portable test runs on: natively the doubles (a clock the test
// sets, Windows-1251), under Wine the Win32 implementations (the real clock, the prefix's regional
// settings and ANSI code page, the real event log). Each build has exactly one definition of
// MakeTestLocale: TestLocaleNative.cpp outside Windows, TestLocaleWin32.cpp on Windows.
#include <memory>

#include "os/Locale.h"
#include "os/testing/FakeEventLog.h"
#include "os/testing/FakeLocale.h"

namespace os::testing {

class TestLocale {
 public:
  virtual ~TestLocale() = default;
  virtual ILocale& Locale() = 0;
  virtual IEventLog& EventLog() = 0;
  // The doubles, for a test that sets the clock or reads the reports; null on Win32.
  virtual FakeLocale* Fake() = 0;
  virtual FakeEventLog* FakeEvents() = 0;
};

std::unique_ptr<TestLocale> MakeTestLocale();

}  // namespace os::testing
