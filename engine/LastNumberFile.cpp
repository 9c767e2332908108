#include "engine/LastNumberFile.h"

#include <bit>
#include <chrono>
#include <string_view>

#include "os/FileReplace.h"

namespace engine {
namespace {

constexpr double kMillisecondsPerDay = 86'400'000.0;

void PutLittleEndian(LastNumberRecord& record, std::size_t offset, std::uint64_t value,
                     std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    record[offset + i] = static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF);
  }
}

}  // namespace

double DaysSince1899(const os::LocalTime& time) {
  using namespace std::chrono;
  const sys_days date{year{time.year} / month{static_cast<unsigned>(time.month)} /
                      day{static_cast<unsigned>(time.day)}};
  const sys_days epoch{year{1899} / December / 30};
  const auto days = static_cast<double>((date - epoch).count());
  const auto milliseconds = static_cast<double>(
      ((time.hour * 60 + time.minute) * 60 + time.second) * 1000 + time.milliseconds);
  // The date and the fraction of the day are added as the complex's programs add them.
  return days + milliseconds / kMillisecondsPerDay;
}

LastNumberRecord MakeLastNumberRecord(const os::LocalTime& time) {
  LastNumberRecord record{};
  PutLittleEndian(record, 0, 0, 2);
  PutLittleEndian(record, 2, static_cast<std::uint32_t>(std::int32_t{0}), 4);
  PutLittleEndian(record, 6, std::bit_cast<std::uint64_t>(DaysSince1899(time)), 8);
  return record;
}

bool WriteLastNumberFileIfMissing(os::IFileSystem& fs, os::ILocale& locale,
                                  const std::wstring& fileName, os::ReplaceFailure* failure) {
  if (fs.GetAttributes(fileName) != os::attr::kInvalid) {
    return false;
  }
  const LastNumberRecord record = MakeLastNumberRecord(locale.Now());
  return os::CreateFileWithContent(
             fs, fileName,
             std::string_view(reinterpret_cast<const char*>(record.data()), record.size()),
             failure) == os::error::kSuccess;
}

}  // namespace engine
