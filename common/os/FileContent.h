#pragma once
// Reading a whole file over the file-system seam, and the error the programs raise for a file that
// cannot be opened, created or read.
#include <cstdint>
#include <limits>
#include <string>

#include "os/FileSystem.h"

namespace os {

namespace error {
constexpr ErrorCode kFileTooLarge = 223;  // ERROR_FILE_TOO_LARGE
}  // namespace error

// The whole content of `path`, opened for reading while others may read it too, appended to
// `bytes`. kFileTooLarge, with nothing read, for a file larger than `maxBytes`; otherwise the
// error of the open or of a read.
ErrorCode ReadFileContent(IFileSystem& fs, const std::wstring& path, std::string& bytes,
                          std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max());

// Raises OperatorError "<what> "<full path>". <the system's text for the error>".
[[noreturn]] void RaiseFileError(IFileSystem& fs, const wchar_t* what, const std::wstring& path,
                                 ErrorCode error);

}  // namespace os
