#pragma once
#include "os/FileSystem.h"

namespace os::win32 {

// The file-system seam on the Win32 API.
class Win32FileSystem final : public IFileSystem {
 public:
  std::unique_ptr<IFile> Open(const std::wstring& path, Access access, Share share,
                              Disposition disposition, ErrorCode& error) override;
  std::uint32_t GetAttributes(const std::wstring& path) override;
  ErrorCode SetAttributes(const std::wstring& path, std::uint32_t attributes) override;
  ErrorCode CreateFolder(const std::wstring& path) override;
  ErrorCode RemoveFolder(const std::wstring& path) override;
  ErrorCode RemoveFile(const std::wstring& path) override;
  ErrorCode Move(const std::wstring& from, const std::wstring& to) override;
  ErrorCode Replace(const std::wstring& from, const std::wstring& to) override;
  ErrorCode SystemCopy(const std::wstring& source, const std::wstring& destination,
                       bool failIfExists) override;
  ErrorCode Find(const std::wstring& pattern, std::vector<FindEntry>& entries) override;
  std::wstring FullPath(const std::wstring& path) override;
  bool UtcToLocal(FileTime utc, FileTime& local) override;
  bool LocalToUtc(FileTime local, FileTime& utc) override;
  std::wstring ErrorText(ErrorCode code) override;
};

}  // namespace os::win32
