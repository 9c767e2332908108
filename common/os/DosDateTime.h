#pragma once
// MS-DOS date-time values (2-second resolution, years 1980 to 2107), as FileTimeToDosDateTime and
// DosDateTimeToFileTime convert them. Pure arithmetic, identical on every platform.
#include <cstdint>

#include "os/FileSystem.h"

namespace os {

struct DosDateTime {
  std::uint16_t date = 0;  // bits 15-9 year - 1980, 8-5 month, 4-0 day
  std::uint16_t time = 0;  // bits 15-11 hour, 10-5 minute, 4-0 second / 2
};

// False outside 1980..2107: the value cannot be represented.
bool FileTimeToDos(FileTime time, DosDateTime& dos);
// False for a field out of range (month 13, second 60 and the like).
bool DosToFileTime(const DosDateTime& dos, FileTime& time);

}  // namespace os
