#pragma once
// Rewriting a whole file so that it is never left empty or half-written, over the file-system
// seam: the settings files the installer writes and the shared log use it.
#include <string>
#include <string_view>

#include "os/FileSystem.h"

namespace os {

// The temporary file beside `path` that ReplaceFileContent writes first: path + ".tmp".
std::wstring ReplacementFileName(const std::wstring& path);

// Gives `path` exactly `bytes` (a read-only file is refused with kAccessDenied): they go to the
// temporary file beside it (created anew, or truncated when a failed run left one), which is
// flushed to the disk and then takes the place of `path` in one step (Replace). On any failure
// `path` keeps its old content byte for byte, the temporary file is removed, and the system's error
// is returned; kSuccess once `path` holds the new content.
ErrorCode ReplaceFileContent(IFileSystem& fs, const std::wstring& path, std::string_view bytes);

// Creates `path` with exactly `bytes`, only when it does not exist: they go to the same temporary
// file, flushed, which then takes the name (a rename, which refuses an existing name). So the file
// is there whole or not at all, even when the program is stopped half-way; kAlreadyExists (and
// nothing changed) when the file appeared meanwhile. On any failure the temporary file is removed.
ErrorCode CreateFileWithContent(IFileSystem& fs, const std::wstring& path, std::string_view bytes);

}  // namespace os
