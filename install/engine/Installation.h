#pragma once
// One installation run: everything the installer changes on the computer, reported line by line
// through the progress interface.
#include "engine/InstallProgress.h"
#include "engine/InstallRequest.h"
#include "os/Platform.h"

namespace engine {

// Runs the installation described by the request into Request.TargetPath, taking every file from
// Request.Fcopyfrom. The copy phase, in this order: the target folder; the main settings file
// (FilterType 0 and HardwareType 1 in [options], everything else kept); then, with the window
// busy (not closable, hourglass), the settings folder, the database folder, the database (an
// existing one first kept under a dated name), the database server files of the request's
// Windows family, the international and server function files, the complex's function
// libraries, "lastnum.dta" when missing and, for the edition, "btooth.ini".
//
// Returns false when the run ended early at a failure it reported in the progress list (and, for
// a folder it could not create, in an error box). Raises OperatorError (a file that cannot be
// opened or created, a settings file that cannot be written); the busy state is left in every
// case.
//
// The finishing steps (fonts, driver package, release sets and updater, release level, desktop
// shortcut) are not part of this version yet: for now a run that gets through the copy phase
// returns true.
bool RunInstallation(const InstallRequest& Request, IInstallProgress& Progress,
                     os::Platform& platform);

}  // namespace engine
