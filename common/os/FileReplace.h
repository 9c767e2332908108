#pragma once
// Rewriting a whole file so that it is never left empty or half-written, over the file-system
// seam: the settings files the installer writes and the shared log use it.
#include <string>
#include <string_view>

#include "os/FileSystem.h"

namespace os {

// The temporary file beside `path` that ReplaceFileContent writes first: path + ".tmp".
std::wstring ReplacementFileName(const std::wstring& path);

// Which file an error of ReplaceFileContent or CreateFileWithContent concerns: `path` itself, or
// its temporary file when a leftover there (a folder) cannot be removed, so that a report names
// the right one.
struct ReplaceFailure {
  std::wstring path;
  ErrorCode error = error::kSuccess;
};

// Makes way for a temporary file under `path` that a stopped run may have left: a plain file,
// read-only or not, is removed. kSuccess when nothing is there afterwards; for anything else (a
// folder) it stays, and the system's reason for refusing to remove it is returned.
ErrorCode ClearLeftover(IFileSystem& fs, const std::wstring& path);

// Gives `path` exactly `bytes` (a read-only file is refused with kAccessDenied): they go to the
// temporary file beside it (created anew; a file a stopped run left there is replaced), which is
// flushed to the disk and then takes the place of `path` in one step (Replace). On any failure
// `path` keeps its old content byte for byte, the temporary file is removed, and the system's error
// is returned; kSuccess once `path` holds the new content.
// `failure`, when given, learns which file an error concerns.
ErrorCode ReplaceFileContent(IFileSystem& fs, const std::wstring& path, std::string_view bytes,
                             ReplaceFailure* failure = nullptr);

// Creates `path` with exactly `bytes`, only when it does not exist: they go to the same temporary
// file, flushed, which then takes the name (a rename, which refuses an existing name). So the file
// is there whole or not at all, even when the program is stopped half-way; kAlreadyExists (and
// nothing changed) when the file appeared meanwhile. On any failure the temporary file is removed.
ErrorCode CreateFileWithContent(IFileSystem& fs, const std::wstring& path, std::string_view bytes,
                                ReplaceFailure* failure = nullptr);

}  // namespace os
