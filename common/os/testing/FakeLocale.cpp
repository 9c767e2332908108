#include "os/testing/FakeLocale.h"

#include <array>
#include <chrono>
#include <stdexcept>

#include "os/testing/MemoryFileSystem.h"
#include "os/testing/SeamCalls.h"
#include "text/Utf.h"

namespace os::testing {
namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr std::int64_t kMsPerDay = 86'400'000;

// Windows-1251 bytes 0x80 to 0xBF; 0xC0 to 0xFF are U+0410 to U+044F in order. 0x98 has no
// character of its own; Windows maps it to U+0098 both ways.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

wchar_t ByteToChar(unsigned char b) {
  if (b < 0x80) {
    return static_cast<wchar_t>(b);
  }
  if (b >= 0xC0) {
    return static_cast<wchar_t>(0x0410 + (b - 0xC0));
  }
  return static_cast<wchar_t>(kHigh[b - 0x80]);
}

char CharToByte(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  if (code < 0x80) {
    return static_cast<char>(code);
  }
  if (code >= 0x0410 && code <= 0x044F) {
    return static_cast<char>(0xC0 + (code - 0x0410));
  }
  for (std::size_t i = 0; i < kHigh.size(); ++i) {
    if (kHigh[i] == code) {
      return static_cast<char>(0x80 + i);
    }
  }
  return '?';
}

std::int64_t ToMilliseconds(const LocalTime& t) {
  using namespace std::chrono;
  const year_month_day date{year{t.year}, month{static_cast<unsigned>(t.month)},
                            day{static_cast<unsigned>(t.day)}};
  if (t.year < 1601 || t.year > 30827 || !date.ok() || t.hour < 0 || t.hour > 23 || t.minute < 0 ||
      t.minute > 59 || t.second < 0 || t.second > 59 || t.milliseconds < 0 ||
      t.milliseconds > 999) {
    throw std::invalid_argument("not a valid local time");
  }
  const std::int64_t dayNumber = sys_days{date}.time_since_epoch().count();
  return dayNumber * kMsPerDay + ((t.hour * 60 + t.minute) * 60 + t.second) * 1000LL +
         t.milliseconds;
}

LocalTime FromMilliseconds(std::int64_t ms) {
  using namespace std::chrono;
  std::int64_t dayNumber = ms / kMsPerDay;
  std::int64_t rest = ms % kMsPerDay;
  if (rest < 0) {
    rest += kMsPerDay;
    --dayNumber;
  }
  const year_month_day date{sys_days{days{dayNumber}}};
  LocalTime t;
  t.year = static_cast<int>(date.year());
  t.month = static_cast<int>(static_cast<unsigned>(date.month()));
  t.day = static_cast<int>(static_cast<unsigned>(date.day()));
  t.milliseconds = static_cast<int>(rest % 1000);
  rest /= 1000;
  t.second = static_cast<int>(rest % 60);
  rest /= 60;
  t.minute = static_cast<int>(rest % 60);
  t.hour = static_cast<int>(rest / 60);
  return t;
}

wchar_t UpperOf(wchar_t c) {
  const std::uint32_t code = static_cast<std::uint32_t>(c);
  if ((code >= u'a' && code <= u'z') || (code >= 0xE0 && code <= 0xFE && code != 0xF7) ||
      (code >= 0x0430 && code <= 0x044F)) {
    return static_cast<wchar_t>(code - 0x20);  // a-z, à-þ (not ÷), а-я
  }
  if (code == 0xFF) {
    return static_cast<wchar_t>(0x0178);  // ÿ
  }
  if (code >= 0x0450 && code <= 0x045F) {
    return static_cast<wchar_t>(code - 0x50);  // ѐ-џ
  }
  return c;
}

}  // namespace

FakeLocale::FakeLocale() : now_(ToMilliseconds(LocalTime{2024, 1, 1, 0, 0, 0, 0})) {}

LocalTime FakeLocale::Now() {
  SeamCalls::Count();
  const std::lock_guard guard(mutex_);
  const LocalTime t = FromMilliseconds(now_);
  now_ += step_;
  ++nowCalls_;
  return t;
}

std::wstring FakeLocale::DateSeparator() {
  SeamCalls::Count();
  const std::lock_guard guard(mutex_);
  return dateSeparator_;
}

std::wstring FakeLocale::TimeSeparator() {
  SeamCalls::Count();
  const std::lock_guard guard(mutex_);
  return timeSeparator_;
}

void FakeLocale::SetCodePage(std::uint32_t codePage) {
  if (codePage != 1251 && codePage != 65001) {
    throw std::invalid_argument("the locale double has code pages 1251 and 65001");
  }
  const std::lock_guard guard(mutex_);
  codePage_ = codePage;
}

void FakeLocale::FailConversions(bool fail) {
  const std::lock_guard guard(mutex_);
  failConversions_ = fail;
}

std::optional<std::string> FakeLocale::ToAnsi(std::wstring_view text) {
  SeamCalls::Count();
  {
    const std::lock_guard guard(mutex_);
    if (failConversions_) {
      return std::nullopt;
    }
    if (codePage_ == 65001) {
      return text::ToUtf8(text);
    }
  }
  std::string out;
  out.reserve(text.size());
  for (const wchar_t c : text) {
    // Beyond the Basic Multilingual Plane a character is two UTF-16 units, each lacking.
    // (Only where wchar_t holds 32 bits: a UTF-16 wchar_t never exceeds the plane.)
    const std::uint32_t code = static_cast<std::uint32_t>(c);
    if (code > 0xFFFFu) {
      out += "??";
    } else {
      out.push_back(CharToByte(c));
    }
  }
  return out;
}

std::wstring FakeLocale::FromAnsi(std::string_view bytes) {
  SeamCalls::Count();
  {
    const std::lock_guard guard(mutex_);
    if (codePage_ == 65001) {
      return text::FromUtf8(bytes);
    }
  }
  std::wstring out;
  out.reserve(bytes.size());
  for (const char b : bytes) {
    out.push_back(ByteToChar(static_cast<unsigned char>(b)));
  }
  return out;
}

void FakeLocale::SetNow(const LocalTime& time) {
  const std::int64_t ms = ToMilliseconds(time);
  const std::lock_guard guard(mutex_);
  now_ = ms;
}

void FakeLocale::Advance(std::int64_t milliseconds) {
  const std::lock_guard guard(mutex_);
  now_ += milliseconds;
}

void FakeLocale::SetStep(std::int64_t milliseconds) {
  const std::lock_guard guard(mutex_);
  step_ = milliseconds;
}

void FakeLocale::SetSeparators(std::wstring date, std::wstring time) {
  const std::lock_guard guard(mutex_);
  dateSeparator_ = std::move(date);
  timeSeparator_ = std::move(time);
}

std::uint64_t FakeLocale::NowCalls() const {
  const std::lock_guard guard(mutex_);
  return nowCalls_;
}

std::wstring FakeLocale::ToUpper(std::wstring_view text) {
  SeamCalls::Count();
  std::wstring out(text);
  for (wchar_t& c : out) {
    c = UpperOf(c);
  }
  return out;
}

int FakeLocale::CompareIgnoreCase(std::wstring_view a, std::wstring_view b) {
  SeamCalls::Count();
  return FoldCase(a).compare(FoldCase(b));
}

}  // namespace os::testing
