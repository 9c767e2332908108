#pragma once
// What every program of the kit does first, and how it loads DLLs by name.
#ifdef _WIN32
#include <windows.h>

#include "os/win32/SystemLibrary.h"

namespace kit {

// Restricts the DLL search to the system folder before anything loads a DLL by name, so that a
// DLL planted beside the program (on a copied medium, in a download folder) is never loaded.
// The first call of every program's entry point. Returns whether the restriction is in force.
bool HardenDllSearch();

// Loads a system DLL such as syssetup.dll or shcore.dll from the system folder only, whether
// the search is restricted or not. Returns null when it is not there.
using os::win32::LoadSystemLibrary;

}  // namespace kit
#endif
