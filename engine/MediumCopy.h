#pragma once
// Copies from an installation medium that carries a manifest: each file is hashed as its bytes
// pass through the copy and compared with the manifest's digest once the copy is complete.
#include <functional>
#include <string>

#include "engine/FileOperations.h"
#include "engine/MediumManifest.h"
#include "os/Crypto.h"

namespace engine {

// What an installation run checks the medium's files against: the manifest read at its start.
struct MediumDigests {
  MediumManifest manifest;
  os::ICrypto& crypto;
  std::wstring medium;  // the folder the manifest's paths are relative to, ending in "\"
};

// CopySingleFile, and with `digests` the check of the source against the manifest. A source
// below the medium folder that the manifest does not list raises MediumFileError before anything
// is opened (a missing one raises CopySingleFile's "Cannot open file"); a copy whose digest differs
// (or cannot be made) is removed and raises MediumFileError naming the source's full path. A copy
// whose content fails returns false as CopySingleFile does, unchecked. Sources outside the medium
// folder are copied unchecked.
bool CopyMediumFile(os::IFileSystem& fs, const MediumDigests* digests, const std::wstring& source,
                    const std::wstring& destination, const CopyBlockFn& onBlock = {},
                    CopyFailure* failure = nullptr);

// The message of a medium file whose content is not the one the manifest lists.
std::wstring DamagedMediumFileText(const std::wstring& fullPath);

// Which files a folder copy takes: the engine's tree copy (CopyFolderTree) passes hidden and
// system sub-folders by, the shell's folder copy takes the whole tree.
enum class FolderCopyKind { kTree, kShell };

// Folders (the release sets, the updater's files, the driver package) go through the system's
// copy, which no digest can follow; what they hold is run, so their files are checked twice.
// CheckMediumFolder, before the copy: every file the copy will take from `sourceFolder` is hashed
// on the medium and compared with the manifest, so a damaged or altered file never reaches the
// target folder. Raises MediumFileError as CopyMediumFile does (a file the manifest does not
// list, one whose digest differs or cannot be made). `onFile` is called after each file, so that
// a window stays alive. Nothing without `digests`, for a missing folder or one outside the medium.
void CheckMediumFolder(os::IFileSystem& fs, const MediumDigests* digests,
                       const std::wstring& sourceFolder, FolderCopyKind kind,
                       const std::function<void()>& onFile = {});

// CheckCopiedFolder, after the copy and just before a program is started from the copy: the
// medium may have changed since it was checked, and the system's copy may have left an older file
// in place (a read-only one is not overwritten), so what will run is what is compared. Every file
// of `sourceFolder` the copy made in `destinationFolder` must have the manifest's digest there;
// one that differs raises MediumFileError naming the copy and the medium's file. A file the copy
// did not make is passed by, as the copy passes it by.
void CheckCopiedFolder(os::IFileSystem& fs, const MediumDigests* digests,
                       const std::wstring& sourceFolder, const std::wstring& destinationFolder,
                       FolderCopyKind kind, const std::function<void()>& onFile = {});

}  // namespace engine
