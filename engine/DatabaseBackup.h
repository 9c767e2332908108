#pragma once
// Reinstalling over an installation must not lose the operator's database: before the medium's
// database replaces it, the old file is renamed in its own folder to a name that carries the
// local date and time of the installation, "R40_20260115_143000.FDB". An earlier backup is never
// overwritten: when that name is taken, "_2", "_3", ... follow the time.
#include <optional>
#include <string>
#include <string_view>

#include "os/FileSystem.h"
#include "os/Locale.h"

namespace engine {

// The dated name of `fileName` for the given attempt (1 is the plain dated name, 2 adds "_2",
// ...): the time goes before the extension, or at the end of a name without one.
std::wstring DatedBackupName(std::wstring_view fileName, const os::LocalTime& time, int attempt);

// Renames `folder` + `fileName` (the folder ends in "\") to the first dated name in the same
// folder that is free, stamped with the locale's present time, and never over an existing file.
// The full path of the backup, or nothing when the rename failed (the file is then untouched);
// `error`, when given, learns the system's reason then.
std::optional<std::wstring> BackUpByRenaming(os::IFileSystem& fs, os::ILocale& locale,
                                             const std::wstring& folder, std::wstring_view fileName,
                                             os::ErrorCode* error = nullptr);

}  // namespace engine
