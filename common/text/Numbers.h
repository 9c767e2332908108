#pragma once
// Text-to-number conversions of the settings values. Each one is independent of the user's
// locale and knows only "." as the decimal separator: the program never converts numbers through
// the C or C++ locale (no stod/strtod/printf with %f), so every conversion in it follows the one
// program-wide number format — decimal ".", no thousands grouping — whatever the user has set.
#include <cstdint>
#include <optional>
#include <string_view>

namespace text {

// A signed 32-bit integer: decimal with an optional sign ("-12", "+7", "007"), or hexadecimal
// after "0x", "0X" or "$" with one to eight digits of either case, taken as the 32-bit pattern
// ("0xFFFFFFFF" is -1). Nothing else is accepted: no blanks, no sign before a hexadecimal
// prefix, no decimal beyond the 32-bit range. Nothing when the text is not such an integer.
std::optional<std::int32_t> ParseInteger(std::wstring_view text);

// A 64-bit floating-point number with "." as the decimal separator: an optional sign, digits
// with an optional fraction (".5" and "5." included) and an optional exponent ("1e3",
// "2.5E-2"). Nothing for anything else: a decimal comma, blanks, grouping, "inf", "nan", or a
// value beyond the range of a double.
std::optional<double> ParseDouble(std::wstring_view text);

// The settings file's value forms, each giving `defaultValue` when the text is not of its form.
// Integer: ParseInteger.
std::int32_t IntegerOr(std::wstring_view text, std::int32_t defaultValue);
// An integer that must lie in [low, high]; out of the range the default is kept too.
std::int32_t IntegerInRangeOr(std::wstring_view text, std::int32_t low, std::int32_t high,
                              std::int32_t defaultValue);
// Boolean written as an integer: 0 is false, any other integer true.
bool BooleanOr(std::wstring_view text, bool defaultValue);
// Double: ParseDouble.
double DoubleOr(std::wstring_view text, double defaultValue);

}  // namespace text
