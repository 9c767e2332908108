#pragma once
// What the wizard asks of Windows beyond its windows: large fonts from the next start, and a
// reason shown when a log-off or shutdown waits for the installation.
#include <windows.h>

namespace wizard {

// Asks the system setup library for 120 logical pixels per inch from the next start
// ("SetupChangeFontSize" of "syssetup.dll", loaded from the system folder only and looked up at
// run time). Nothing happens, and nothing is reported, when either is missing or the call fails.
void ChangeSystemFontSize();

// While `block` holds, a log-off or shutdown shows `reason` for `window` and waits
// (ShutdownBlockReasonCreate, where the system has it); otherwise the reason is withdrawn.
void SetShutdownBlock(HWND window, bool block, const wchar_t* reason);

}  // namespace wizard
