#pragma once
// The medium's list of SHA-256 digests, "SHA256SUMS" in its root, in the format sha256sum writes
// and `sha256sum -c` reads: per file one line of 64 hexadecimal digits, a blank, a blank (text)
// or "*" (binary) and the file's path relative to the medium with "/". The installation checks
// every file it copies against it, and InstallCli --check the whole medium.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Error.h"
#include "os/Crypto.h"
#include "os/FileSystem.h"

namespace engine {

inline constexpr std::wstring_view kManifestFile = L"SHA256SUMS";

// A file from the medium that cannot be trusted: its content differs from the manifest's digest,
// the manifest does not list it, or it could not be checked. Raised during an installation; no
// step passes it by, the fonts step included.
class MediumFileError : public OperatorError {
 public:
  using OperatorError::OperatorError;
};

struct ManifestEntry {
  std::wstring path;  // relative to the medium, with "\"
  os::Sha256Digest digest{};
};

class MediumManifest {
 public:
  // The manifest from its bytes (UTF-8), in time linear in their size; empty lines at the end
  // are passed by. Nothing for a malformed one, with the reason in `error` ("строка 3: ..."): a
  // line without 64 hexadecimal digits, a blank and a path; a path that leaves the medium; a
  // name Windows cannot give a file (a device such as "CON" or "COM1", a NUL or another refused
  // character, an empty part); a file listed twice after normalisation; text that is no UTF-8.
  // Each path is kept normalised (NormalPath).
  static std::optional<MediumManifest> Parse(std::string_view bytes, std::wstring& error);

  // The digest listed for a path relative to the medium, as Windows names files: letter case
  // aside, "\" or "/". Null when the file is not listed.
  const os::Sha256Digest* Find(std::wstring_view relative) const;

  // The listed files, in the manifest's order.
  const std::vector<ManifestEntry>& Entries() const { return entries_; }

 private:
  std::vector<ManifestEntry> entries_;
  std::unordered_map<std::wstring, std::size_t> keys_;  // ManifestKey -> index in entries_
};

// A path as Windows resolves the names in it: "/" made "\", "." parts dropped ("./fonts",
// "a/./b"), each part without its trailing dots and blanks ("R40.FDB." is "R40.FDB").
std::wstring NormalPath(std::wstring_view path);

// A path relative to the medium as the lookup compares it: normalised, letters in upper case
// (Latin, Latin-1 and Cyrillic, as file names on a medium use them).
std::wstring ManifestKey(std::wstring_view relative);

// 64 lower-case hexadecimal digits.
std::wstring DigestHex(const os::Sha256Digest& digest);

// What a medium's manifest file holds: nothing when the medium has none. Raises MediumFileError,
// naming the file, when it is there but cannot be read or is malformed.
std::optional<MediumManifest> ReadMediumManifest(os::IFileSystem& fs, const std::wstring& medium);

// Every file of the medium but its manifest, as paths relative to the medium with "\", sub-folders
// depth first, in the order the file system enumerates them. Links and junctions (reparse
// points), files or folders, are neither listed nor entered: they go to `links` when given.
std::vector<std::wstring> MediumFiles(os::IFileSystem& fs, const std::wstring& medium,
                                      std::vector<std::wstring>* links = nullptr);

// Told after each block hashed: `bytes` of the file read so far.
using DigestBlockFn = std::function<void(std::uint64_t bytes)>;

// The SHA-256 digest of a whole file, read in blocks. Nothing when the file cannot be read or
// hashed, with the reason in `error`.
std::optional<os::Sha256Digest> FileDigest(os::IFileSystem& fs, os::ICrypto& crypto,
                                           const std::wstring& path, std::wstring& error,
                                           const DigestBlockFn& onBlock = {});

}  // namespace engine
