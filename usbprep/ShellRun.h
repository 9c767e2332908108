#pragma once
// Usbprep's dealings with Windows: the two architecture queries and the start of a program
// through the shell with a wait for its end.
#include <windows.h>

#include <string>

namespace usbprep {

// True when this is a 32-bit process on 64-bit Windows. Windows without IsWow64Process counts as
// 32-bit Windows.
bool IsRunningUnderWow64();

// True when the native processor is an Itanium (PROCESSOR_ARCHITECTURE_IA64). Asks
// GetNativeSystemInfo where it exists, otherwise GetSystemInfo.
bool IsNativeIA64();

// Starts file with parameters through the shell (verb null: the default verb) and waits for the
// program to end, keeping this thread's message queue drained. False when the start failed.
bool ShellExecAndWait(const wchar_t* file, const wchar_t* parameters, const wchar_t* verb,
                      int showMode);

// The full file name of this program's module.
std::wstring OwnModuleFileName();

}  // namespace usbprep
