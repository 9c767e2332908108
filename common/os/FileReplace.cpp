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

ErrorCode ClearLeftover(IFileSystem& fs, const std::wstring& path) {
  const std::uint32_t attributes = fs.GetAttributes(path);
  if (attributes == attr::kInvalid) {
    return error::kSuccess;
  }
  if ((attributes & (attr::kDirectory | attr::kReadOnly)) == attr::kReadOnly) {
    fs.SetAttributes(path, attributes & ~(attr::kReadOnly | attr::kNormal));
  }
  const ErrorCode error = fs.RemoveFile(path);
  return error == error::kFileNotFound ? error::kSuccess : error;
}

namespace {

ErrorCode Failed(ReplaceFailure* failure, const std::wstring& path, ErrorCode error) {
  if (failure != nullptr && error != error::kSuccess) {
    *failure = {path, error};
  }
  return error;
}

// Writes `bytes` to the temporary file beside `path` and hands it to `publish`; the temporary
// file is removed again when either fails. An error is the file's own, unless a leftover under
// the temporary name stands in the way: that one is named then.
template <typename Publish>
ErrorCode ThroughTemporaryFile(IFileSystem& fs, const std::wstring& path, std::string_view bytes,
                               ReplaceFailure* failure, Publish publish) {
  const std::wstring temporary = ReplacementFileName(path);
  ErrorCode error = ClearLeftover(fs, temporary);
  if (error != error::kSuccess) {
    return Failed(failure, temporary, error);
  }
  {
    const auto file =
        fs.Open(temporary, Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, error);
    if (!file) {
      return Failed(failure, path, error);
    }
    error = WriteAll(*file, bytes);
  }  // closed before it is renamed or removed
  if (error == error::kSuccess) {
    error = publish(temporary);
  }
  if (error != error::kSuccess) {
    fs.RemoveFile(temporary);
  }
  return Failed(failure, path, error);
}

}  // namespace

ErrorCode ReplaceFileContent(IFileSystem& fs, const std::wstring& path, std::string_view bytes,
                             ReplaceFailure* failure) {
  // A read-only file is not rewritten, as Windows refuses to replace it; Wine would.
  const std::uint32_t attributes = fs.GetAttributes(path);
  if (attributes != attr::kInvalid && (attributes & attr::kReadOnly) != 0) {
    return Failed(failure, path, error::kAccessDenied);
  }
  return ThroughTemporaryFile(fs, path, bytes, failure, [&](const std::wstring& temporary) {
    return fs.Replace(temporary, path);
  });
}

ErrorCode CreateFileWithContent(IFileSystem& fs, const std::wstring& path, std::string_view bytes,
                                ReplaceFailure* failure) {
  if (fs.GetAttributes(path) != attr::kInvalid) {
    return error::kAlreadyExists;
  }
  return ThroughTemporaryFile(fs, path, bytes, failure, [&](const std::wstring& temporary) {
    return fs.Move(temporary, path);
  });
}

}  // namespace os
