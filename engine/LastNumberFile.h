#pragma once
// "lastnum.dta" in the settings folder: the complex's record of its last examination number,
// started at installation as one 14-byte record. Little-endian, no header:
//   offset 0, 2 bytes: zero
//   offset 2, 4 bytes: signed 32-bit integer, 0
//   offset 6, 8 bytes: IEEE 754 double, the local date and time of the installation as days
//                      since 30 December 1899 00:00 with the time of day as the fraction
//                      (the date-time value of the complex's programs), to the millisecond.
#include <array>
#include <cstdint>
#include <string>

#include "os/FileReplace.h"
#include "os/FileSystem.h"
#include "os/Locale.h"

namespace engine {

inline constexpr std::size_t kLastNumberRecordSize = 14;
using LastNumberRecord = std::array<std::uint8_t, kLastNumberRecordSize>;

// Days since 30 December 1899 00:00, the time of day as the fraction: 1 January 2015 12:00 is
// 42005.5.
double DaysSince1899(const os::LocalTime& time);

// The record of a new file stamped with `time`.
LastNumberRecord MakeLastNumberRecord(const os::LocalTime& time);

// Creates `fileName` with the record stamped with the locale's present time, only when no such
// file exists: an existing one is never changed. True when the file was written. Never raises
// for the file system: the record is written to a temporary file first, which takes the name
// only when complete, so the file is there whole or not at all (a run stopped half-way, or a full
// disk, leaves it to a later installation to write). A plain file a stopped run left under the
// temporary name is replaced. `failure`, when given, learns which file an error concerns and why
// (nothing for a file that is there already).
bool WriteLastNumberFileIfMissing(os::IFileSystem& fs, os::ILocale& locale,
                                  const std::wstring& fileName,
                                  os::ReplaceFailure* failure = nullptr);

}  // namespace engine
