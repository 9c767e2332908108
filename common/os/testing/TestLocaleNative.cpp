// The test locale outside Windows: the doubles.
#ifndef _WIN32
#include "os/testing/TestLocale.h"

namespace os::testing {
namespace {

class NativeTestLocale final : public TestLocale {
 public:
  ILocale& Locale() override { return locale_; }
  IEventLog& EventLog() override { return events_; }
  FakeLocale* Fake() override { return &locale_; }
  FakeEventLog* FakeEvents() override { return &events_; }

 private:
  FakeLocale locale_;
  FakeEventLog events_;
};

}  // namespace

std::unique_ptr<TestLocale> MakeTestLocale() {
  return std::make_unique<NativeTestLocale>();
}

}  // namespace os::testing
#endif
