#include "os/win32/Win32FileSystem.h"

#include "os/win32/Handle.h"

namespace os::win32 {
namespace {

FILETIME ToFiletime(FileTime t) {
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(t & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(t >> 32);
  return ft;
}

FileTime FromFiletime(const FILETIME& ft) {
  return (static_cast<FileTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

ErrorCode LastError() {
  return ::GetLastError();
}

ErrorCode Result(BOOL ok) {
  return ok ? error::kSuccess : LastError();
}

class Win32File final : public IFile {
 public:
  explicit Win32File(FileHandle handle) : handle_(std::move(handle)) {}

  ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& read) override {
    DWORD done = 0;
    const BOOL ok = ::ReadFile(handle_.Get(), buffer, size, &done, nullptr);
    read = done;
    return Result(ok);
  }
  ErrorCode Write(const void* buffer, std::uint32_t size, std::uint32_t& written) override {
    DWORD done = 0;
    const BOOL ok = ::WriteFile(handle_.Get(), buffer, size, &done, nullptr);
    written = done;
    return Result(ok);
  }
  ErrorCode GetSize(std::uint64_t& size) override {
    LARGE_INTEGER value;
    if (!::GetFileSizeEx(handle_.Get(), &value)) {
      return LastError();
    }
    size = static_cast<std::uint64_t>(value.QuadPart);
    return error::kSuccess;
  }
  ErrorCode GetLastWriteTime(FileTime& utc) override {
    FILETIME ft;
    if (!::GetFileTime(handle_.Get(), nullptr, nullptr, &ft)) {
      return LastError();
    }
    utc = FromFiletime(ft);
    return error::kSuccess;
  }
  ErrorCode SetLastWriteTime(FileTime utc) override {
    const FILETIME ft = ToFiletime(utc);
    return Result(::SetFileTime(handle_.Get(), nullptr, nullptr, &ft));
  }
  ErrorCode Flush() override { return Result(::FlushFileBuffers(handle_.Get())); }

 private:
  FileHandle handle_;
};

}  // namespace

std::unique_ptr<IFile> Win32FileSystem::Open(const std::wstring& path, Access access, Share share,
                                             Disposition disposition, ErrorCode& error) {
  const DWORD desired = access == Access::kRead ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE);
  DWORD creation = OPEN_EXISTING;
  switch (disposition) {
    case Disposition::kOpenExisting:
      creation = OPEN_EXISTING;
      break;
    case Disposition::kCreateAlways:
      creation = CREATE_ALWAYS;
      break;
    case Disposition::kCreateNew:
      creation = CREATE_NEW;
      break;
  }
  FileHandle handle(::CreateFileW(path.c_str(), desired, static_cast<DWORD>(share), nullptr,
                                  creation, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) {
    error = LastError();
    return nullptr;
  }
  error = error::kSuccess;
  return std::make_unique<Win32File>(std::move(handle));
}

std::uint32_t Win32FileSystem::GetAttributes(const std::wstring& path) {
  return ::GetFileAttributesW(path.c_str());
}

ErrorCode Win32FileSystem::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
  return Result(::SetFileAttributesW(path.c_str(), attributes));
}

ErrorCode Win32FileSystem::CreateFolder(const std::wstring& path) {
  return Result(::CreateDirectoryW(path.c_str(), nullptr));
}

ErrorCode Win32FileSystem::RemoveFolder(const std::wstring& path) {
  return Result(::RemoveDirectoryW(path.c_str()));
}

ErrorCode Win32FileSystem::RemoveFile(const std::wstring& path) {
  return Result(::DeleteFileW(path.c_str()));
}

ErrorCode Win32FileSystem::Move(const std::wstring& from, const std::wstring& to) {
  return Result(::MoveFileW(from.c_str(), to.c_str()));
}

ErrorCode Win32FileSystem::Replace(const std::wstring& from, const std::wstring& to) {
  return Result(
      ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

ErrorCode Win32FileSystem::SystemCopy(const std::wstring& source, const std::wstring& destination,
                                      bool failIfExists) {
  return Result(::CopyFileW(source.c_str(), destination.c_str(), failIfExists ? TRUE : FALSE));
}

ErrorCode Win32FileSystem::Find(const std::wstring& pattern, std::vector<FindEntry>& entries) {
  WIN32_FIND_DATAW data;
  FindHandle find(::FindFirstFileW(pattern.c_str(), &data));
  if (!find) {
    return LastError();
  }
  do {
    FindEntry entry;
    entry.name = data.cFileName;
    entry.attributes = data.dwFileAttributes;
    entry.lastWrite = FromFiletime(data.ftLastWriteTime);
    entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entries.push_back(std::move(entry));
  } while (::FindNextFileW(find.Get(), &data));
  const ErrorCode last = LastError();
  return last == ERROR_NO_MORE_FILES ? error::kSuccess : last;
}

std::wstring Win32FileSystem::FullPath(const std::wstring& path) {
  DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  while (size != 0) {
    std::wstring buffer(size, L'\0');
    const DWORD length = ::GetFullPathNameW(path.c_str(), size, buffer.data(), nullptr);
    if (length < size) {
      buffer.resize(length);
      return buffer;
    }
    size = length;  // the path changed between the calls (current folder); ask again
  }
  return path;
}

bool Win32FileSystem::UtcToLocal(FileTime utc, FileTime& local) {
  const FILETIME in = ToFiletime(utc);
  FILETIME out;
  if (!::FileTimeToLocalFileTime(&in, &out)) {
    return false;
  }
  local = FromFiletime(out);
  return true;
}

bool Win32FileSystem::LocalToUtc(FileTime local, FileTime& utc) {
  const FILETIME in = ToFiletime(local);
  FILETIME out;
  if (!::LocalFileTimeToFileTime(&in, &out)) {
    return false;
  }
  utc = FromFiletime(out);
  return true;
}

std::wstring Win32FileSystem::ErrorText(ErrorCode code) {
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text;
  if (length != 0 && buffer != nullptr) {
    text.assign(buffer, length);
  }
  if (buffer != nullptr) {
    ::LocalFree(buffer);
  }
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  if (text.empty()) {
    text = L"System error " + std::to_wstring(code);
  }
  return text;
}

}  // namespace os::win32
