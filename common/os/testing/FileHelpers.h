#pragma once
// Small helpers over the file-system seam for tests and tools; they work the same on the
// in-memory double and on the real Win32 file system.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/FileSystem.h"

namespace os::testing {

// Creates or replaces the file with exactly `content`. Throws std::runtime_error (naming the
// path and the Windows error code) when it cannot, so a test's set-up never fails unnoticed.
void WriteBytes(IFileSystem& fs, const std::wstring& path, std::string_view content);

// The whole content of a file; nothing when it cannot be opened or read.
std::optional<std::string> ReadBytes(IFileSystem& fs, const std::wstring& path);

// Removes a folder with everything below it, clearing read-only, hidden and system bits first.
// A missing folder is fine. Returns the first error met (the rest is still attempted).
ErrorCode RemoveTree(IFileSystem& fs, const std::wstring& folder);

// `folder` and `name` joined by exactly one "\".
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The names Find reports for a pattern, "." and ".." left out, sorted by code unit (the order
// Find itself uses differs between file systems). Find's error goes to `error`.
std::vector<std::wstring> FindNames(IFileSystem& fs, const std::wstring& pattern, ErrorCode& error);

// A file of the build (a Linux path, as CMake gives it) as a Windows program sees it under Wine,
// whose drive Z: is the Linux root. Any other path is returned as it stands.
std::wstring WinePathOfBuildFile(const char* path);

// The path without its trailing "\"s; a drive root such as C:\ keeps its own.
std::wstring WithoutTrailingBackslash(std::wstring path);

// Whether the Win32 test environment runs under Wine rather than Windows (false for the double).
// Defined by each test environment, so only test programs that link one can call it.
bool RunningUnderWine();

}  // namespace os::testing
