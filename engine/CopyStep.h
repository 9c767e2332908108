#pragma once
// How every single-file copy of an installation run is reported: a line
// "Копирование файла <name>....", the window breathes, the copy runs, and the line is completed
// with "Завершено" or "ОШИБКА!!!". An error raised by the copy leaves the line as it is.
#include <string>

#include "engine/InstallProgress.h"
#include "engine/MediumCopy.h"
#include "os/FileSystem.h"

namespace engine {

// Returns the copy's result; the caller decides whether a failure ends the run. With `digests`
// the source is checked against the medium's manifest (CopyMediumFile).
bool CopyFileStep(IInstallProgress& progress, os::IFileSystem& fs, const std::wstring& fileName,
                  const std::wstring& source, const std::wstring& destination,
                  const MediumDigests* digests = nullptr);

}  // namespace engine
