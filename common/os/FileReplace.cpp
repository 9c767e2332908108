#include "os/FileReplace.h"

#include <algorithm>

namespace os {
namespace {

// The most one Write call is handed at once.
constexpr std::size_t kMostPerWrite = 0x10000000;

ErrorCode WriteAll(IFile& file, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const auto block = static_cast<std::uint32_t>(std::min(bytes.size() - done, kMostPerWrite));
    std::uint32_t written = 0;
    ErrorCode error = file.Write(bytes.data() + done, block, written);
    if (error == error::kSuccess && written == 0) {
      error = error::kWriteFault;
    }
    if (error != error::kSuccess) {
      return error;
    }
    done += written;
  }
  return file.Flush();
}

}  // namespace

std::wstring ReplacementFileName(const std::wstring& path) {
  return path + L".tmp";
}

namespace {

// Writes `bytes` to the temporary file beside `path` and hands it to `publish`; the temporary
// file is removed again when either fails.
template <typename Publish>
ErrorCode ThroughTemporaryFile(IFileSystem& fs, const std::wstring& path, std::string_view bytes,
                               Publish publish) {
  const std::wstring temporary = ReplacementFileName(path);
  ErrorCode error = error::kSuccess;
  {
    const auto file =
        fs.Open(temporary, Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, error);
    if (!file) {
      return error;
    }
    error = WriteAll(*file, bytes);
  }  // closed before it is renamed or removed
  if (error == error::kSuccess) {
    error = publish(temporary);
  }
  if (error != error::kSuccess) {
    fs.RemoveFile(temporary);
  }
  return error;
}

}  // namespace

ErrorCode ReplaceFileContent(IFileSystem& fs, const std::wstring& path, std::string_view bytes) {
  // A read-only file is not rewritten, as Windows refuses to replace it; Wine would.
  const std::uint32_t attributes = fs.GetAttributes(path);
  if (attributes != attr::kInvalid && (attributes & attr::kReadOnly) != 0) {
    return error::kAccessDenied;
  }
  return ThroughTemporaryFile(
      fs, path, bytes, [&](const std::wstring& temporary) { return fs.Replace(temporary, path); });
}

ErrorCode CreateFileWithContent(IFileSystem& fs, const std::wstring& path, std::string_view bytes) {
  if (fs.GetAttributes(path) != attr::kInvalid) {
    return error::kAlreadyExists;
  }
  return ThroughTemporaryFile(
      fs, path, bytes, [&](const std::wstring& temporary) { return fs.Move(temporary, path); });
}

}  // namespace os
