#pragma once
#include "os/Locale.h"

namespace os::win32 {

// The local clock, the user's regional separators and the ANSI code page of the running system.
class Win32Locale final : public ILocale {
 public:
  LocalTime Now() override;
  std::wstring DateSeparator() override;
  std::wstring TimeSeparator() override;
  std::string ToAnsi(std::wstring_view text) override;
  std::wstring FromAnsi(std::string_view bytes) override;
  std::wstring ToUpper(std::wstring_view text) override;
  int CompareIgnoreCase(std::wstring_view a, std::wstring_view b) override;
};

}  // namespace os::win32
