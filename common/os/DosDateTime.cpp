#include "os/DosDateTime.h"

#include <chrono>

namespace os {
namespace {

using namespace std::chrono;

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Days from 1 January 1601 (the FILETIME epoch) to 1 January 1970.
constexpr std::int64_t kDaysFrom1601To1970 = 134'774;

}  // namespace

bool FileTimeToDos(FileTime time, DosDateTime& dos) {
  const std::int64_t seconds = static_cast<std::int64_t>(time / kTicksPerSecond);
  const std::int64_t days1601 = seconds / 86'400;
  const std::int64_t secondOfDay = seconds % 86'400;
  const year_month_day date{sys_days{days{days1601 - kDaysFrom1601To1970}}};
  const int year = static_cast<int>(date.year());
  if (year < 1980 || year > 2107) {
    return false;
  }
  const auto hour = static_cast<unsigned>(secondOfDay / 3600);
  const auto minute = static_cast<unsigned>(secondOfDay / 60 % 60);
  const auto second = static_cast<unsigned>(secondOfDay % 60);
  dos.date =
      static_cast<std::uint16_t>(((year - 1980) << 9) | (static_cast<unsigned>(date.month()) << 5) |
                                 static_cast<unsigned>(date.day()));
  dos.time = static_cast<std::uint16_t>((hour << 11) | (minute << 5) | (second / 2));
  return true;
}

bool DosToFileTime(const DosDateTime& dos, FileTime& time) {
  const year_month_day date{year{1980 + (dos.date >> 9)}, month{(dos.date >> 5) & 0x0Fu},
                            day{dos.date & 0x1Fu}};
  const unsigned hour = dos.time >> 11;
  const unsigned minute = (dos.time >> 5) & 0x3Fu;
  const unsigned second = (dos.time & 0x1Fu) * 2;
  if (!date.ok() || hour > 23 || minute > 59 || second > 59) {
    return false;
  }
  const std::int64_t days1601 = sys_days{date}.time_since_epoch().count() + kDaysFrom1601To1970;
  const std::int64_t seconds = days1601 * 86'400 + hour * 3600 + minute * 60 + second;
  time = static_cast<FileTime>(seconds) * kTicksPerSecond;
  return true;
}

}  // namespace os
