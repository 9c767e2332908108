#include "os/win32/Win32EventLog.h"

#include <windows.h>

#include "os/win32/Handle.h"

namespace os::win32 {
namespace {

// A registered event source (RegisterEventSourceW), deregistered when it goes out of scope.
struct EventSourceTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::DeregisterEventSource(h); }
};
using EventSourceHandle = UniqueHandle<EventSourceTraits>;

}  // namespace

bool Win32EventLog::Report(const std::wstring& source, std::uint16_t type, std::uint16_t category,
                           std::uint32_t eventId, const std::vector<std::wstring>& strings) {
  if (strings.size() > 0xFFFF) {  // ReportEventW counts its strings in a WORD
    return false;
  }
  const EventSourceHandle handle(::RegisterEventSourceW(nullptr, source.c_str()));
  if (!handle) {
    return false;
  }
  std::vector<LPCWSTR> pointers;
  pointers.reserve(strings.size());
  for (const auto& s : strings) {
    pointers.push_back(s.c_str());
  }
  return ::ReportEventW(handle.Get(), type, category, eventId, nullptr,
                        static_cast<WORD>(pointers.size()), 0,
                        pointers.empty() ? nullptr : pointers.data(), nullptr) != FALSE;
}

}  // namespace os::win32
