#pragma once
// One installation run: everything the installer changes on the computer, reported line by line
// through the progress interface.
#include "engine/InstallProgress.h"
#include "engine/InstallRequest.h"
#include "os/Platform.h"

namespace engine {

// Runs the installation described by the request into Request.TargetPath, taking every file from
// Request.Fcopyfrom. First the copy phase: the target folder; the main settings file
// (FilterType 0 and HardwareType 1 in [options], everything else kept); then, with the window
// busy (not closable, hourglass), the settings folder, the database folder, the database (an
// existing one first kept under a dated name), the database server files of the request's
// Windows family, the international and server function files, the complex's function
// libraries, "lastnum.dta" when missing and, for the edition, "btooth.ini". Then the finishing
// steps, with the window closable again: the fonts the computer lacks (a font failure is
// dropped), the driver package when the request asks for it and the operator confirms that the
// device is connected (Usbprep.exe runs hidden and is waited for), the release sets and the
// updater's files, the newest release set's script and its level in "ReleaseInfo", and the
// desktop shortcut to the complex's main program. The release step leaves Request.TargetPath as
// the current folder.
//
// Returns true after a complete run, false when the copy phase ended early at a failure it
// reported in the progress list (and, for a folder it could not create, in an error box), or when
// the target lies on the medium, holds it or lies in the Windows folder (TargetOnKitMessage, shown
// in an error box before anything is written). Raises
// OperatorError: a file that cannot be opened or created, a settings file that cannot be
// written, a release step that fails (no release set, a script that cannot be started, a missing
// or unreadable "ReleaseInfo"), a shortcut link object that cannot be made. The busy state is
// left in every case.
bool RunInstallation(const InstallRequest& Request, IInstallProgress& Progress,
                     os::Platform& platform);

}  // namespace engine
