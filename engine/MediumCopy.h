#pragma once
// Copies from an installation medium that carries a manifest: each file is hashed as its bytes
// pass through the copy and compared with the manifest's digest once the copy is complete.
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

}  // namespace engine
