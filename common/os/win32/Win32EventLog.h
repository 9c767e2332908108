#pragma once
#include "os/Locale.h"

namespace os::win32 {

// The application event log of the local computer.
class Win32EventLog final : public IEventLog {
 public:
  bool Report(const std::wstring& source, std::uint16_t type, std::uint16_t category,
              std::uint32_t eventId, const std::vector<std::wstring>& strings) override;
};

}  // namespace os::win32
