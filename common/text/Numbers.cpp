#include "text/Numbers.h"

#include <charconv>
#include <limits>
#include <string>
#include <system_error>

namespace text {
namespace {

bool IsDigit(wchar_t c) {
  return c >= L'0' && c <= L'9';
}

int HexValue(wchar_t c) {
  if (IsDigit(c)) {
    return c - L'0';
  }
  if (c >= L'a' && c <= L'f') {
    return c - L'a' + 10;
  }
  if (c >= L'A' && c <= L'F') {
    return c - L'A' + 10;
  }
  return -1;
}

std::optional<std::int32_t> ParseHex(std::wstring_view digits) {
  if (digits.empty() || digits.size() > 8) {
    return std::nullopt;
  }
  std::uint32_t value = 0;
  for (const wchar_t c : digits) {
    const int digit = HexValue(c);
    if (digit < 0) {
      return std::nullopt;
    }
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> ParseDecimal(std::wstring_view text) {
  bool negative = false;
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) {
    return std::nullopt;
  }
  // Accumulated as a magnitude, so that -2147483648 fits and anything larger does not.
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
  std::uint64_t magnitude = 0;
  for (const wchar_t c : text) {
    if (!IsDigit(c)) {
      return std::nullopt;
    }
    magnitude = magnitude * 10 + static_cast<std::uint64_t>(c - L'0');
    if (magnitude > limit) {
      return std::nullopt;
    }
  }
  return negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                  : static_cast<std::int32_t>(magnitude);
}

// Length of the run of decimal digits at `pos`.
std::size_t DigitRun(std::wstring_view text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && IsDigit(text[end])) {
    ++end;
  }
  return end - pos;
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::wstring_view text) {
  if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    return ParseHex(text.substr(2));
  }
  if (!text.empty() && text[0] == L'$') {
    return ParseHex(text.substr(1));
  }
  return ParseDecimal(text);
}

std::optional<double> ParseDouble(std::wstring_view text) {
  // The form is checked here; std::from_chars (locale-independent) then does the rounding. It
  // would also take "inf", "nan" and hexadecimal forms, which are no numbers of the file.
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) {
    ++pos;
  }
  const std::size_t intDigits = DigitRun(text, pos);
  pos += intDigits;
  std::size_t fracDigits = 0;
  if (pos < text.size() && text[pos] == L'.') {
    ++pos;
    fracDigits = DigitRun(text, pos);
    pos += fracDigits;
  }
  if (intDigits + fracDigits == 0) {
    return std::nullopt;
  }
  if (pos < text.size() && (text[pos] == L'e' || text[pos] == L'E')) {
    ++pos;
    if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) {
      ++pos;
    }
    const std::size_t expDigits = DigitRun(text, pos);
    if (expDigits == 0) {
      return std::nullopt;
    }
    pos += expDigits;
  }
  if (pos != text.size()) {
    return std::nullopt;
  }
  // Only ASCII is left; from_chars takes no leading "+".
  std::string narrow;
  narrow.reserve(text.size());
  for (const wchar_t c : text.substr(text.front() == L'+' ? 1 : 0)) {
    narrow += static_cast<char>(c);
  }
  double value = 0;
  const auto [end, error] = std::from_chars(narrow.data(), narrow.data() + narrow.size(), value);
  if (error != std::errc() || end != narrow.data() + narrow.size()) {
    return std::nullopt;
  }
  return value;
}

std::int32_t IntegerOr(std::wstring_view text, std::int32_t defaultValue) {
  return ParseInteger(text).value_or(defaultValue);
}

std::int32_t IntegerInRangeOr(std::wstring_view text, std::int32_t low, std::int32_t high,
                              std::int32_t defaultValue) {
  const auto value = ParseInteger(text);
  return value && *value >= low && *value <= high ? *value : defaultValue;
}

bool BooleanOr(std::wstring_view text, bool defaultValue) {
  return IntegerOr(text, defaultValue ? 1 : 0) != 0;
}

double DoubleOr(std::wstring_view text, double defaultValue) {
  return ParseDouble(text).value_or(defaultValue);
}

}  // namespace text
