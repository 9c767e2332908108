#pragma once
// The record of what an installation put into the target folder: "InstalledFiles.sha256" in the
// folder itself, one line per file of the kit, "<SHA-256 in 64 hexadecimal digits> <size in
// bytes> <path relative to the folder, with "\">", UTF-8, lines ended by CR LF, after comment lines
// beginning with "#" (one of them, "# medium <digest>", names the digest of the medium's manifest
// when it had one). Written whole after a complete run (a temporary file takes its name in one
// step), replaced by the next; the uninstaller and InstallCli --verify rely on it.
//
// The clinic's data is never listed: the database folder with the database and its dated copies,
// the "Settings" folder and the edition's "btooth.ini" change in use and belong to the clinic.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/Crypto.h"
#include "os/FileSystem.h"

namespace engine {

inline constexpr std::wstring_view kInstalledFilesRecord = L"InstalledFiles.sha256";

struct InstalledFile {
  std::wstring path;  // relative to the target folder, with "\"
  os::Sha256Digest digest{};
  std::uint64_t size = 0;
};

struct InstalledFiles {
  std::wstring mediumDigest;  // of the medium's manifest, 64 hexadecimal digits; empty without one
  std::vector<InstalledFile> files;
};

// The record's bytes, and back. Parse gives nothing for a malformed record, with the reason in
// `error` ("строка 3: ...").
std::string FormatInstalledFiles(const InstalledFiles& record);
std::optional<InstalledFiles> ParseInstalledFiles(std::string_view bytes, std::wstring& error);

// The record of the installation in `target` (ending in "\"). Nothing with `error` empty when
// there is none; nothing with the reason in `error` when it cannot be read or is malformed.
std::optional<InstalledFiles> ReadInstalledFiles(os::IFileSystem& fs, const std::wstring& target,
                                                 std::wstring& error);

// Writes the record whole or not at all; the system's error when it could not.
os::ErrorCode WriteInstalledFiles(os::IFileSystem& fs, const std::wstring& target,
                                  const InstalledFiles& record);

// True for a path (relative to the target folder) that is the clinic's data or the record
// itself: never listed, never removed.
bool IsClinicData(std::wstring_view relative);

// One file found below a folder: its path relative to that folder and what the enumeration said.
struct FoundFile {
  std::wstring path;
  os::FindEntry entry;
};

// Every file below `folder` (ending in "\"), sub-folders depth first. A link or junction is
// listed as what it is (its attributes carry the reparse-point bit) and never entered.
std::vector<FoundFile> FilesBelow(os::IFileSystem& fs, const std::wstring& folder);

// FILE_ATTRIBUTE_REPARSE_POINT: a symbolic link or a junction.
inline constexpr std::uint32_t kReparsePoint = 0x400;

// How an installed file compares with its record.
enum class FileState { kSame, kMissing, kChanged, kUnreadable };
FileState CompareInstalledFile(os::IFileSystem& fs, os::ICrypto& crypto, const std::wstring& target,
                               const InstalledFile& file);

// The Russian line InstallCli --verify prints for a file that is not as recorded, or nothing
// for one that is.
std::optional<std::wstring> VerifyLine(FileState state, const std::wstring& relative);

}  // namespace engine
