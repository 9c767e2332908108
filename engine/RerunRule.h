#pragma once
// Whether an unattended run has anything to do: a deployment tool that runs the console
// installer again (on a schedule, or after a wrong detection rule) must not put the medium's
// empty database in place of the clinic's. The target holds a complete installation from this
// medium when the uninstall entry names the target and its installed-files record is there
// (both written only after a complete run), and the record names this medium's manifest; for a
// medium without a manifest, the record names none and the entry's version is the release level
// the medium's newest release set would give.
#include <optional>
#include <string>

#include "os/Platform.h"

namespace engine {

// Nothing when the run has to go on; otherwise what is installed there, for the operator
// ("выпуск 01.01.13, носитель с SHA256SUMS <digest>"). `target` and `medium` end in "\".
// Raises nothing: what cannot be read counts as not installed.
std::optional<std::wstring> CompleteInstallationFromMedium(os::Platform& platform,
                                                           const std::wstring& target,
                                                           const std::wstring& medium);

}  // namespace engine
