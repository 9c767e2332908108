#pragma once
// The engine's file and folder operations, on full paths built by plain concatenation. They show
// nothing and report nothing; the caller turns their results into progress lines.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "os/FileSystem.h"

namespace engine {

// The largest block CopySingleFile moves at once; its buffers (one, or two when a file of more
// than one block is shown to `onData`) are no bigger.
inline constexpr std::uint32_t kCopyBlockSize = 1024 * 1024;

// Why a copy's content failed: the file that could not be read or written, and the error.
struct CopyFailure {
  std::wstring path;
  os::ErrorCode error = os::error::kSuccess;
};

// Told after each block of a copy: `done` of `total` bytes of the file are written.
using CopyBlockFn = std::function<void(std::uint64_t done, std::uint64_t total)>;
// Shown every block of a copy as it is read from the source, in order: a digest of the content
// needs no second read. For a file of more than one block it is called on a second thread, one
// call at a time, while the copy writes that block and reads the next.
using CopyDataFn = std::function<void(const char* data, std::uint32_t size)>;

// Copies one file's content through a buffer of at most 1 MiB, both files opened without sharing,
// and gives the destination the source's last-write time at 2-second precision (an odd second
// becomes the even second below). The destination gets the attributes of a newly written file.
// Raises OperatorError "Cannot open file "<full path>". <system text>" when the source cannot be
// opened and "Cannot create file ..." when the destination cannot be created (a read-only,
// hidden or system one included). Returns false when reading or writing the content fails; the
// partly written destination then stays on disk. `onBlock`, when given, is called after every
// block written (the last call has `done` equal to `total`); an error it raises ends the copy.
// `failure`, when given, learns why a copy returned false. `onData`, when given, sees every
// block read, and has seen the last when CopySingleFile returns or raises; an error it raises
// ends the copy too (the block it was shown may be written by then).
bool CopySingleFile(os::IFileSystem& fs, const std::wstring& source,
                    const std::wstring& destination, const CopyBlockFn& onBlock = {},
                    CopyFailure* failure = nullptr, const CopyDataFn& onData = {});

// Copies a folder tree with the system copy (attributes and times carried over, existing files
// overwritten except read-only or hidden ones). All files of a folder are copied before its
// sub-folders are entered; hidden and system sub-folders are not entered. The destination and
// its missing parents are created. Nothing is reported: a file that fails is simply not there.
void CopyFolderTree(os::IFileSystem& fs, const std::wstring& sourceFolder,
                    const std::wstring& destinationFolder);

// Appends Folder + name for every visible sub-folder of Folder (which ends in "\") except the
// one named exactly "WithOutAnswer" (letter case counts). Neither sorted nor de-duplicated.
void ListSubFolders(os::IFileSystem& fs, const std::wstring& folder,
                    std::vector<std::wstring>& list);

// Sets or clears the read-only bit, keeping the other attributes. A missing file is no error.
void SetReadOnlyAttribute(os::IFileSystem& fs, const std::wstring& fileName, bool readOnly);

// Creates a folder together with every missing parent. True when the folder exists afterwards.
bool ForceFolders(os::IFileSystem& fs, const std::wstring& folder);

// True when the path names an existing folder.
bool FolderExists(os::IFileSystem& fs, const std::wstring& path);
// True when the path names an existing file (not a folder).
bool FileExists(os::IFileSystem& fs, const std::wstring& path);

}  // namespace engine
