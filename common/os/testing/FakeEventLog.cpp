#include "os/testing/FakeEventLog.h"

#include <utility>

#include "os/testing/SeamCalls.h"

namespace os::testing {

bool FakeEventLog::Report(const std::wstring& source, std::uint16_t type, std::uint16_t category,
                          std::uint32_t eventId, const std::vector<std::wstring>& strings) {
  SeamCalls::Count();
  EventReport report{source, type, category, eventId, strings};
  std::function<void(const EventReport&)> hook;
  bool failing = false;
  {
    const std::lock_guard guard(mutex_);
    reports_.push_back(report);
    hook = hook_;
    failing = failing_;
  }
  if (hook) {
    hook(report);
  }
  return !failing;
}

void FakeEventLog::SetFailing(bool failing) {
  const std::lock_guard guard(mutex_);
  failing_ = failing;
}

void FakeEventLog::SetHook(std::function<void(const EventReport&)> hook) {
  const std::lock_guard guard(mutex_);
  hook_ = std::move(hook);
}

std::vector<EventReport> FakeEventLog::Reports() const {
  const std::lock_guard guard(mutex_);
  return reports_;
}

std::size_t FakeEventLog::ReportCount() const {
  const std::lock_guard guard(mutex_);
  return reports_.size();
}

void FakeEventLog::Clear() {
  const std::lock_guard guard(mutex_);
  reports_.clear();
}

}  // namespace os::testing
