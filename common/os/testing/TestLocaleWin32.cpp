// The test locale on Windows (and Wine): the Win32 implementations.
#ifdef _WIN32
#include "os/testing/TestLocale.h"
#include "os/win32/Win32EventLog.h"
#include "os/win32/Win32Locale.h"

namespace os::testing {
namespace {

class Win32TestLocale final : public TestLocale {
 public:
  ILocale& Locale() override { return locale_; }
  IEventLog& EventLog() override { return events_; }
  FakeLocale* Fake() override { return nullptr; }
  FakeEventLog* FakeEvents() override { return nullptr; }

 private:
  win32::Win32Locale locale_;
  win32::Win32EventLog events_;
};

}  // namespace

std::unique_ptr<TestLocale> MakeTestLocale() {
  return std::make_unique<Win32TestLocale>();
}

}  // namespace os::testing
#endif
