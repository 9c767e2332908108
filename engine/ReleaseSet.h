#pragma once
// The release step of an installation: the newest release set in the target's "backup" folder
// runs its "Install.cmd", and its release level is written into the target's "ReleaseInfo".
// A release set is a visible sub-folder of "backup" whose name is one character followed by the
// release date as six digits, day, month, year ("V150612": 15 June 2012, level "150612").
#include <optional>
#include <string>
#include <vector>

#include "os/Platform.h"

namespace engine {

// The message of a missing release information file, passed on as it stands.
inline constexpr wchar_t kReleaseInfoMissing[] = L"Release info file does not exist";
// What every other failure of writing the release level is reported after.
inline constexpr wchar_t kReleaseInfoFailurePrefix[] = L"Cannot get release information, error: ";
inline constexpr wchar_t kUnknownReleaseFileVersion[] = L"unknown release file version";

// The sort key of a release set: the last six characters of its folder (day, month, year)
// read as year, month, day; nothing when they are not six decimal digits.
std::optional<int> ReleaseDateKey(const std::wstring& folder);

// The release level a set's folder stands for: its name without the first character.
std::wstring ReleaseLevel(const std::wstring& folder);

// Picks the release set with the greatest date key (of equal keys the one that sorts first
// without letter case in the user's locale), runs its "Install.cmd" hidden in its folder and
// waits for it, and writes its level into `targetPath` + "ReleaseInfo". The set's folder is the
// current folder while the script runs; `targetPath` (ending in "\") is the current folder
// afterwards, also when an error is raised. Raises OperatorError when there is no release set or
// a set's name does not end in six digits (nothing is run then), when the script cannot be
// started, and as UpdateReleaseLevel does. Returns the level written.
std::wstring ApplyLatestReleaseSet(os::Platform& platform, const std::wstring& targetPath);

// The release set the step runs: sorts `sets` (folders without trailing "\", of `backup`) without
// letter case in the user's locale and gives the index of the one with the greatest date key.
// Raises OperatorError as ApplyLatestReleaseSet does for no set and for a name without its date.
std::size_t ChooseReleaseSet(os::ILocale& locale, std::vector<std::wstring>& sets,
                             const std::wstring& backup);

// Writes `level` into the "Level" element of the XML document `folder` + "ReleaseInfo"
// (ROOT/Version must read 1; a missing Version counts as 0), keeping the rest of the document.
// COM is initialised for the call and released again. Raises OperatorError
// "Release info file does not exist" when the file is missing, and "Cannot get release
// information, error: " followed by the reason for every other failure; the file is then left
// as it was, unless writing it back itself failed.
void UpdateReleaseLevel(os::IFileSystem& fs, os::IXml& xml, const std::wstring& folder,
                        const std::wstring& level);

// Reads `folder` + "ReleaseInfo" as UpdateReleaseLevel does before it writes, changing nothing:
// raises the same errors for a file it would refuse (no Level element aside).
void CheckReleaseInfo(os::IFileSystem& fs, os::IXml& xml, const std::wstring& folder);

}  // namespace engine
