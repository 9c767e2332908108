#pragma once
#include "os/Locale.h"

namespace os::win32 {

// The local clock, the user's regional separators and the ANSI code page of the running system.
// The flags WideCharToMultiByte accepts for the code page: WC_NO_BEST_FIT_CHARS, except for the
// code pages that take no flags at all (UTF-8 among them), where it would fail the conversion.
unsigned long ConversionFlags(unsigned codePage);
// WideCharToMultiByte to the code page with ConversionFlags; nothing when it fails.
std::optional<std::string> ToCodePage(unsigned codePage, std::wstring_view text);

class Win32Locale final : public ILocale {
 public:
  LocalTime Now() override;
  std::wstring DateSeparator() override;
  std::wstring TimeSeparator() override;
  std::optional<std::string> ToAnsi(std::wstring_view text) override;
  std::wstring FromAnsi(std::string_view bytes) override;
  std::wstring ToUpper(std::wstring_view text) override;
  int CompareIgnoreCase(std::wstring_view a, std::wstring_view b) override;
};

}  // namespace os::win32
