#pragma once
// What a complete installation leaves for the system and for its removal, after its last step:
// the uninstaller in the target folder, the record of the installed files and the uninstall
// entry. Silent: no progress line is added or changed, and nothing here fails the installation;
// what fails is said through IInstallProgress::Warning.
#include <set>
#include <string>

#include "engine/InstallProgress.h"
#include "engine/InstallRequest.h"
#include "engine/MediumCopy.h"
#include "os/Platform.h"

namespace engine {

// The files the target folder holds before a run (paths relative to it, folded for comparing
// without letter case): what the run finds there and did not put there is not the kit's.
std::set<std::wstring> FilesBeforeRun(os::IFileSystem& fs, const std::wstring& target);

// After a complete run: copies the medium's "Uninstall.exe" into the target folder (checked
// against the manifest when the medium has one), writes the record of every file of the kit in
// the target folder (the file sets, the release sets, the updater's and the driver package's
// files, the uninstaller, and every other file the run added, such as the release script's; the
// clinic's data never), then the uninstall entry with the release level that ran.
void RegisterInstallation(os::Platform& platform, const InstallRequest& request,
                          const std::wstring& releaseLevel, const std::set<std::wstring>& before,
                          const MediumDigests* digests, IInstallProgress& progress);

}  // namespace engine
