#pragma once
// Small stateless helpers over Windows that several programs of the complex need: the small-font
// test, the shell's folder copy, the string-table loader, the Windows folder and the restart.
// Each reaches Windows through the seam part it is given.
#include <cstdint>
#include <string>

#include "os/Display.h"
#include "os/Shell.h"
#include "os/System.h"

namespace vr {

// True when the screen has fewer than 100 logical pixels per inch horizontally (96 = the
// system's small fonts). A screen device context that cannot be had reads as 0: true.
bool IsSmallFonts(os::IDisplay& display);

// The shell's folder copy of Source to Dest (one trailing "\" of each is dropped): with a Dest
// that does not exist yet, Dest becomes a copy of Source with all its files and sub-folders.
// The shell may show its own progress window, questions and error boxes. True when the shell
// reports success.
bool CopyFolderByShell(os::IShell& shell, const std::wstring& Source, const std::wstring& Dest);

// The text of string-table entry Id of the module Instance: at most 254 characters, up to the
// first null character.
std::wstring LoadStringFromResource(os::ISystem& system, std::uintptr_t Instance, unsigned Id);

// The Windows folder with a trailing "\" (C:\Windows\), or empty when it cannot be had.
std::wstring GetWindowsFolder(os::ISystem& system);

// On Windows of the NT family enables the shutdown privilege (silently, whatever comes of it),
// then asks Windows to exit with Flags (ExitWindowsEx, reason 0): 6 restarts, closing the other
// programs without asking them. True when the system accepted the request.
bool ShutdownWindows(os::ISystem& system, std::uint32_t Flags);

}  // namespace vr
