#include "os/testing/FileHelpers.h"

#include <algorithm>
#include <limits>
#include <stdexcept>

#include "text/Utf.h"

namespace os::testing {

namespace {

[[noreturn]] void Fail(const char* what, const std::wstring& path, ErrorCode code) {
  throw std::runtime_error(std::string(what) + " " + text::ToUtf8(path) + ": Windows error " +
                           std::to_string(code));
}

}  // namespace

void WriteBytes(IFileSystem& fs, const std::wstring& path, std::string_view content) {
  ErrorCode error = error::kSuccess;
  const auto file =
      fs.Open(path, Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, error);
  if (file == nullptr) {
    Fail("cannot create", path, error);
  }
  while (!content.empty()) {
    const auto chunk = static_cast<std::uint32_t>(
        std::min<std::size_t>(content.size(), std::numeric_limits<std::uint32_t>::max()));
    std::uint32_t written = 0;
    error = file->Write(content.data(), chunk, written);
    if (error != error::kSuccess) {
      Fail("cannot write", path, error);
    }
    if (written == 0) {
      Fail("cannot write", path, error::kWriteFault);
    }
    content.remove_prefix(written);
  }
}

std::optional<std::string> ReadBytes(IFileSystem& fs, const std::wstring& path) {
  ErrorCode error = error::kSuccess;
  const auto file = fs.Open(path, Access::kRead, Share::kRead, Disposition::kOpenExisting, error);
  if (file == nullptr) {
    return std::nullopt;
  }
  std::string content;
  char buffer[65536];
  for (;;) {
    std::uint32_t read = 0;
    if (file->Read(buffer, sizeof buffer, read) != error::kSuccess) {
      return std::nullopt;
    }
    if (read == 0) {
      return content;
    }
    content.append(buffer, read);
  }
}

ErrorCode RemoveTree(IFileSystem& fs, const std::wstring& folder) {
  const std::uint32_t attributes = fs.GetAttributes(folder);
  if (attributes == attr::kInvalid) {
    return error::kSuccess;
  }
  ErrorCode first = error::kSuccess;
  const auto note = [&first](ErrorCode e) {
    if (first == error::kSuccess) {
      first = e;
    }
  };
  std::vector<FindEntry> entries;
  const ErrorCode found = fs.Find(JoinPath(folder, L"*"), entries);
  if (found != error::kSuccess && found != error::kFileNotFound) {
    note(found);
  }
  for (const auto& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") {
      continue;
    }
    const std::wstring path = JoinPath(folder, entry.name);
    if ((entry.attributes & attr::kDirectory) != 0) {
      note(RemoveTree(fs, path));
    } else {
      // Read-only files cannot be deleted; hidden and system ones go with the same call.
      note(fs.SetAttributes(path, attr::kNormal));
      note(fs.RemoveFile(path));
    }
  }
  note(fs.SetAttributes(folder, attr::kNormal));
  note(fs.RemoveFolder(folder));
  return first;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
  if (folder.empty()) {
    return name;
  }
  const wchar_t last = folder.back();
  return last == L'\\' || last == L'/' ? folder + name : folder + L"\\" + name;
}

std::vector<std::wstring> FindNames(IFileSystem& fs, const std::wstring& pattern,
                                    ErrorCode& error) {
  std::vector<FindEntry> entries;
  error = fs.Find(pattern, entries);
  std::vector<std::wstring> names;
  for (auto& entry : entries) {
    if (entry.name != L"." && entry.name != L"..") {
      names.push_back(std::move(entry.name));
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::wstring WinePathOfBuildFile(const char* path) {
  std::wstring result = text::FromUtf8(path);
  if (!result.empty() && result.front() == L'/') {
    for (wchar_t& c : result) {
      c = c == L'/' ? L'\\' : c;
    }
    result.insert(0, L"Z:");
  }
  return result;
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  while (path.size() > 3 && path.back() == L'\\') {
    path.pop_back();
  }
  return path;
}

}  // namespace os::testing
