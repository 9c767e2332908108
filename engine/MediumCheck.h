#pragma once
// The whole installation medium checked before it is used or burnt (InstallCli --check): what
// the installation takes from it, letter case of the names included, and every file against the
// medium's manifest. Changes nothing.
#include <cstdint>
#include <functional>
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

// How far the check of the files against the manifest has come.
struct CheckProgress {
  std::size_t filesDone = 0;  // of `files`, hashed or found missing
  std::size_t files = 0;      // listed in the manifest
  std::uint64_t bytes = 0;    // hashed so far
};
// Told after every block hashed and every file: often enough for a line every second.
using CheckProgressFn = std::function<void(const CheckProgress&)>;

// Checks the medium in `medium` (ending in "\"): the database, both server families, the
// international and server function files, the complex's libraries and the seven fonts under
// their exact names, the fonts readable as fonts, "Updater\ReleaseInfo" as the release step
// reads it, the release sets of "backup" and the one that would run, the driver package folder
// and the two installer programs, and every file of the medium against "SHA256SUMS": listed
// files missing, different or named in other letter case than on the medium, files not listed.
// Links and junctions on the medium are named and never followed.
MediumReport CheckMedium(os::Platform& platform, const std::wstring& medium,
                         const CheckProgressFn& onProgress = {});

}  // namespace engine
