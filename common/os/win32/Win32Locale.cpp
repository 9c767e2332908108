#include "os/win32/Win32Locale.h"

#include <windows.h>

#include <climits>
#include <stdexcept>

namespace os::win32 {
namespace {

std::wstring LocaleText(LCTYPE type) {
  const int size = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, nullptr, 0);
  if (size <= 0) {
    return {};
  }
  std::wstring buffer(static_cast<std::size_t>(size), L'\0');
  const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buffer.data(), size);
  if (length <= 0) {
    return {};
  }
  buffer.resize(static_cast<std::size_t>(length) - 1);  // the count includes the terminating zero
  return buffer;
}

int CheckedLength(std::size_t size) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw std::length_error("text too long for a code page conversion");
  }
  return static_cast<int>(size);
}

}  // namespace

LocalTime Win32Locale::Now() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  LocalTime t;
  t.year = st.wYear;
  t.month = st.wMonth;
  t.day = st.wDay;
  t.hour = st.wHour;
  t.minute = st.wMinute;
  t.second = st.wSecond;
  t.milliseconds = st.wMilliseconds;
  return t;
}

std::wstring Win32Locale::DateSeparator() {
  return LocaleText(LOCALE_SDATE);
}

std::wstring Win32Locale::TimeSeparator() {
  return LocaleText(LOCALE_STIME);
}

unsigned long ConversionFlags(unsigned codePage) {
  // The code pages whose conversions refuse every flag but WC_ERR_INVALID_CHARS.
  const bool noFlags = codePage == 42 || (codePage >= 50220 && codePage <= 50229) ||
                       codePage == 54936 || (codePage >= 57002 && codePage <= 57011) ||
                       codePage == CP_UTF7 || codePage == CP_UTF8;
  // No best-fit substitutes elsewhere: a character the code page lacks becomes the default "?",
  // so what is written reads back either as itself or visibly lost.
  return noFlags ? 0 : WC_NO_BEST_FIT_CHARS;
}

std::optional<std::string> ToCodePage(unsigned codePage, std::wstring_view text) {
  if (text.empty()) {
    return std::string();
  }
  const DWORD flags = ConversionFlags(codePage);
  const int inLength = CheckedLength(text.size());
  const int size =
      ::WideCharToMultiByte(codePage, flags, text.data(), inLength, nullptr, 0, nullptr, nullptr);
  if (size <= 0) {
    return std::nullopt;
  }
  std::string out(static_cast<std::size_t>(size), '\0');
  const int length = ::WideCharToMultiByte(codePage, flags, text.data(), inLength, out.data(), size,
                                           nullptr, nullptr);
  if (length <= 0) {
    return std::nullopt;
  }
  out.resize(static_cast<std::size_t>(length));
  return out;
}

std::optional<std::string> Win32Locale::ToAnsi(std::wstring_view text) {
  return ToCodePage(::GetACP(), text);
}

std::wstring Win32Locale::FromAnsi(std::string_view bytes) {
  if (bytes.empty()) {
    return {};
  }
  const int inLength = CheckedLength(bytes.size());
  const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLength, nullptr, 0);
  if (size <= 0) {
    return {};
  }
  std::wstring out(static_cast<std::size_t>(size), L'\0');
  const int length = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), inLength, out.data(), size);
  out.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return out;
}

std::wstring Win32Locale::ToUpper(std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  // Upper-casing keeps the length: the result fits a buffer of the text's size.
  const int inLength = CheckedLength(text.size());
  std::wstring out(text.size(), L'\0');
  const int length = ::LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), inLength,
                                    out.data(), inLength);
  if (length <= 0) {
    return std::wstring(text);
  }
  out.resize(static_cast<std::size_t>(length));
  return out;
}

int Win32Locale::CompareIgnoreCase(std::wstring_view a, std::wstring_view b) {
  const int result = ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                                      CheckedLength(a.size()), b.data(), CheckedLength(b.size()));
  if (result == 0) {
    throw std::invalid_argument("CompareStringW failed");
  }
  return result - CSTR_EQUAL;
}

}  // namespace os::win32
