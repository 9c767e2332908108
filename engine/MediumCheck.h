#pragma once
// The whole installation medium checked before it is used or burnt (InstallCli --check): what
// the installation takes from it, letter case of the names included, and every file against the
// medium's manifest. Changes nothing.
#include <string>
#include <vector>

#include "os/Platform.h"

namespace engine {

struct MediumReport {
  // One line per problem, for the operator; none for a complete medium.
  std::vector<std::wstring> findings;
  // The release set an installation from the medium would run ("V010113"); empty when none.
  std::wstring releaseSet;
  // Files the manifest lists whose digest matched.
  std::size_t filesVerified = 0;
};

// Checks the medium in `medium` (ending in "\"): the database, both server families, the
// international and server function files, the complex's libraries and the seven fonts under
// their exact names, the fonts readable as fonts, "Updater\ReleaseInfo" as the release step
// reads it, the release sets of "backup" and the one that would run, the driver package folder
// and the two installer programs, and every file of the medium against "SHA256SUMS".
MediumReport CheckMedium(os::Platform& platform, const std::wstring& medium);

}  // namespace engine
