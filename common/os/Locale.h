#pragma once
// The locale seam: the local clock, the user's regional separators, the system's ANSI code page,
// and the application event log.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace os {

// A SYSTEMTIME.
struct LocalTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
};

class ILocale {
 public:
  virtual ~ILocale() = default;
  // GetLocalTime.
  virtual LocalTime Now() = 0;
  // The user's date and time separators (GetLocaleInfoW LOCALE_SDATE and LOCALE_STIME of the
  // user's default locale), such as "." and ":" on a Russian Windows.
  virtual std::wstring DateSeparator() = 0;
  virtual std::wstring TimeSeparator() = 0;
  // Conversions with the system's ANSI code page (CP_ACP); characters it lacks become "?". The
  // ANSI code page may be UTF-8 (65001, Windows 10's "Use Unicode UTF-8 for worldwide language
  // support"). Nothing when the conversion fails: never an empty text in place of a failure.
  virtual std::optional<std::string> ToAnsi(std::wstring_view text) = 0;
  virtual std::wstring FromAnsi(std::string_view bytes) = 0;
  // The text in upper case by the user's locale (LCMapStringW, LCMAP_UPPERCASE), as names are
  // compared without letter case.
  virtual std::wstring ToUpper(std::wstring_view text) = 0;
  // CompareStringW in the user's default locale without letter case (NORM_IGNORECASE): less than
  // 0, 0 or greater than 0 as `a` sorts before, with or after `b`.
  virtual int CompareIgnoreCase(std::wstring_view a, std::wstring_view b) = 0;
};

class IEventLog {
 public:
  virtual ~IEventLog() = default;
  // RegisterEventSourceW on the local computer, ReportEventW with the strings and no raw data,
  // DeregisterEventSource. False when registering or reporting fails.
  virtual bool Report(const std::wstring& source, std::uint16_t type, std::uint16_t category,
                      std::uint32_t eventId, const std::vector<std::wstring>& strings) = 0;
};

}  // namespace os
