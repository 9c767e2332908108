#pragma once
// The event-log double: records every report, the failing ones too, and fails when told to.
// Thread-safe; a hook lets a test look at the caller's state at the moment of a report.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "os/Locale.h"

namespace os::testing {

struct EventReport {
  std::wstring source;
  std::uint16_t type = 0;
  std::uint16_t category = 0;
  std::uint32_t eventId = 0;
  std::vector<std::wstring> strings;
};

class FakeEventLog final : public IEventLog {
 public:
  // Records the report, calls the hook (outside the double's own lock), then answers false when
  // told to fail, true otherwise.
  bool Report(const std::wstring& source, std::uint16_t type, std::uint16_t category,
              std::uint32_t eventId, const std::vector<std::wstring>& strings) override;

  void SetFailing(bool failing);
  void SetHook(std::function<void(const EventReport&)> hook);
  std::vector<EventReport> Reports() const;
  std::size_t ReportCount() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  bool failing_ = false;
  std::function<void(const EventReport&)> hook_;
  std::vector<EventReport> reports_;
};

}  // namespace os::testing
