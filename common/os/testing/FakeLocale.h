#pragma once
// The locale double: a clock the test sets and moves on, settable regional separators and the
// ANSI code page Windows-1251 (a Russian Windows), with Windows' own table both ways and "?" for
// every character the code page lacks; or, when set, UTF-8 (65001) as the ANSI code page. Its
// conversions to the code page can be made to fail. Thread-safe.
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "os/Locale.h"

namespace os::testing {

class FakeLocale final : public ILocale {
 public:
  // 2024-01-01 00:00:00.000, separators "." and ":" as a Russian Windows has them, step 0.
  FakeLocale();

  // The clock's time; afterwards the clock moves on by the step.
  LocalTime Now() override;
  std::wstring DateSeparator() override;
  std::wstring TimeSeparator() override;
  std::optional<std::string> ToAnsi(std::wstring_view text) override;
  std::wstring FromAnsi(std::string_view bytes) override;
  // Upper case for ASCII, Latin-1 and Cyrillic letters as Windows maps them; others unchanged.
  std::wstring ToUpper(std::wstring_view text) override;
  // Letters folded as Windows folds names (ASCII, Latin-1, Cyrillic), then compared by code
  // unit: a Russian locale's order for names of Latin or Cyrillic letters and digits (Ё/ё,
  // punctuation and mixed scripts aside).
  int CompareIgnoreCase(std::wstring_view a, std::wstring_view b) override;

  // A valid date and time of the proleptic Gregorian calendar, years 1601 to 30827 as in a
  // SYSTEMTIME; anything else throws std::invalid_argument.
  void SetNow(const LocalTime& time);
  // Moves the clock on (or back, for a negative value) across days, months and years.
  void Advance(std::int64_t milliseconds);
  // How far the clock moves on after each reading.
  void SetStep(std::int64_t milliseconds);
  void SetSeparators(std::wstring date, std::wstring time);
  // The ANSI code page: 1251 (the default) or 65001 (UTF-8); another throws
  // std::invalid_argument.
  void SetCodePage(std::uint32_t codePage);
  // Every ToAnsi fails (gives nothing) while set.
  void FailConversions(bool fail);
  // How often Now has been read.
  std::uint64_t NowCalls() const;

 private:
  mutable std::mutex mutex_;
  std::int64_t now_;  // milliseconds since 1970-01-01 00:00:00, local time
  std::int64_t step_ = 0;
  std::uint64_t nowCalls_ = 0;
  std::wstring dateSeparator_ = L".";
  std::wstring timeSeparator_ = L":";
  std::uint32_t codePage_ = 1251;
  bool failConversions_ = false;
};

}  // namespace os::testing
