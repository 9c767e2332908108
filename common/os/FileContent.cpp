#include "os/FileContent.h"

#include <memory>

#include "Error.h"

namespace os {
namespace {

constexpr std::uint32_t kReadBlock = 64 * 1024;

}  // namespace

ErrorCode ReadFileContent(IFileSystem& fs, const std::wstring& path, std::string& bytes,
                          std::uint64_t maxBytes) {
  ErrorCode error = error::kSuccess;
  const auto file = fs.Open(path, Access::kRead, Share::kRead, Disposition::kOpenExisting, error);
  if (!file) {
    return error;
  }
  if (maxBytes != std::numeric_limits<std::uint64_t>::max()) {
    std::uint64_t size = 0;
    if ((error = file->GetSize(size)) != error::kSuccess) {
      return error;
    }
    if (size > maxBytes) {
      return error::kFileTooLarge;
    }
  }
  const std::unique_ptr<char[]> buffer(new char[kReadBlock]);
  for (;;) {
    std::uint32_t read = 0;
    if ((error = file->Read(buffer.get(), kReadBlock, read)) != error::kSuccess || read == 0) {
      return error;
    }
    bytes.append(buffer.get(), read);
  }
}

void RaiseFileError(IFileSystem& fs, const wchar_t* what, const std::wstring& path,
                    ErrorCode error) {
  const std::wstring systemText = fs.ErrorText(error);
  throw OperatorError(std::wstring(what) + L" \"" + fs.FullPath(path) + L"\". " + systemText);
}

}  // namespace os
