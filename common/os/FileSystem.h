#pragma once
// The file-system seam: the operating system's own primitives for files and folders, with
// Windows semantics (names without letter case, attributes, the read-only rule, sharing modes,
// Windows error codes). Everything the programs do to files goes through it: Win32FileSystem is
// the real one, MemoryFileSystem (os/testing) the double for native tests. The operations built
// on top (copy loops, enumeration filters, messages) are written once, above this interface.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace os {

// A Windows system error code (GetLastError); 0 is success.
using ErrorCode = std::uint32_t;

namespace error {
constexpr ErrorCode kSuccess = 0;
constexpr ErrorCode kFileNotFound = 2;
constexpr ErrorCode kPathNotFound = 3;
constexpr ErrorCode kAccessDenied = 5;
constexpr ErrorCode kInvalidHandle = 6;
constexpr ErrorCode kNoMoreFiles = 18;
constexpr ErrorCode kWriteFault = 29;
constexpr ErrorCode kReadFault = 30;
constexpr ErrorCode kSharingViolation = 32;
constexpr ErrorCode kHandleDiskFull = 39;
constexpr ErrorCode kFileExists = 80;
constexpr ErrorCode kInvalidParameter = 87;
constexpr ErrorCode kDiskFull = 112;
constexpr ErrorCode kInvalidName = 123;
constexpr ErrorCode kDirNotEmpty = 145;
constexpr ErrorCode kFilenameExcedRange = 206;  // ERROR_FILENAME_EXCED_RANGE
constexpr ErrorCode kAlreadyExists = 183;
constexpr ErrorCode kNoUnicodeTranslation = 1113;
}  // namespace error

// File attribute bits as Windows stores them.
namespace attr {
constexpr std::uint32_t kReadOnly = 0x1;
constexpr std::uint32_t kHidden = 0x2;
constexpr std::uint32_t kSystem = 0x4;
constexpr std::uint32_t kDirectory = 0x10;
constexpr std::uint32_t kArchive = 0x20;
constexpr std::uint32_t kNormal = 0x80;         // reported for a file with no other bit
constexpr std::uint32_t kReparsePoint = 0x400;  // a link or junction: it leads elsewhere
constexpr std::uint32_t kInvalid = 0xFFFFFFFF;
}  // namespace attr

// A Windows FILETIME: 100-nanosecond intervals since 1 January 1601 (UTC, or local time where a
// name says so).
using FileTime = std::uint64_t;

enum class Access { kRead, kReadWrite };

// Which other openers a handle admits while it is open (FILE_SHARE_READ = 1, FILE_SHARE_WRITE = 2).
enum class Share : std::uint32_t { kNone = 0, kRead = 1, kWrite = 2, kReadWrite = 3 };

enum class Disposition {
  kOpenExisting,  // fails when the file is missing
  kCreateAlways,  // creates, or truncates an existing file
  kCreateNew,     // fails when the file exists
};

// An open file; destroying it closes the handle.
class IFile {
 public:
  virtual ~IFile() = default;
  // Reads up to `size` bytes at the file position; `read` < size means the end of the file.
  virtual ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& read) = 0;
  virtual ErrorCode Write(const void* buffer, std::uint32_t size, std::uint32_t& written) = 0;
  virtual ErrorCode GetSize(std::uint64_t& size) = 0;
  virtual ErrorCode GetLastWriteTime(FileTime& utc) = 0;
  virtual ErrorCode SetLastWriteTime(FileTime utc) = 0;
  // FlushFileBuffers: what was written is on the disk when this returns.
  virtual ErrorCode Flush() = 0;
};

// One entry of a folder enumeration, "." and ".." included where the system reports them.
struct FindEntry {
  std::wstring name;
  std::uint32_t attributes = 0;
  FileTime lastWrite = 0;
  std::uint64_t size = 0;
};

class IFileSystem {
 public:
  virtual ~IFileSystem() = default;

  // CreateFileW. On failure returns null and sets `error`.
  virtual std::unique_ptr<IFile> Open(const std::wstring& path, Access access, Share share,
                                      Disposition disposition, ErrorCode& error) = 0;
  // GetFileAttributesW: attr::kInvalid when the entry cannot be found.
  virtual std::uint32_t GetAttributes(const std::wstring& path) = 0;
  virtual ErrorCode SetAttributes(const std::wstring& path, std::uint32_t attributes) = 0;
  // CreateDirectoryW: one level; the parent must exist.
  virtual ErrorCode CreateFolder(const std::wstring& path) = 0;
  virtual ErrorCode RemoveFolder(const std::wstring& path) = 0;
  virtual ErrorCode RemoveFile(const std::wstring& path) = 0;
  // MoveFileW: renames a file or folder; fails when the new name exists.
  virtual ErrorCode Move(const std::wstring& from, const std::wstring& to) = 0;
  // MoveFileExW with MOVEFILE_REPLACE_EXISTING and MOVEFILE_WRITE_THROUGH: renames a file, in one
  // step replacing a file of the new name (in the same folder the old content is there until the
  // new is). Fails, changing nothing, when the new name is a folder or a read-only file, or a
  // handle of either file is open.
  virtual ErrorCode Replace(const std::wstring& from, const std::wstring& to) = 0;
  // CopyFileW: the system copy, carrying content, attributes and times.
  virtual ErrorCode SystemCopy(const std::wstring& source, const std::wstring& destination,
                               bool failIfExists) = 0;
  // FindFirstFileW/FindNextFileW over a pattern such as "C:\Folder\*.*", every entry whatever
  // its attributes, in the order the system gives them. No match: kFileNotFound.
  virtual ErrorCode Find(const std::wstring& pattern, std::vector<FindEntry>& entries) = 0;
  // GetFullPathNameW.
  virtual std::wstring FullPath(const std::wstring& path) = 0;
  // FileTimeToLocalFileTime and LocalFileTimeToFileTime.
  virtual bool UtcToLocal(FileTime utc, FileTime& local) = 0;
  virtual bool LocalToUtc(FileTime local, FileTime& utc) = 0;
  // The system's own text for an error code (FormatMessageW), without the line break at its end.
  virtual std::wstring ErrorText(ErrorCode code) = 0;
};

}  // namespace os
