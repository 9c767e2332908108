#include "engine/InstalledFiles.h"

#include <charconv>

#include "VR_Common_Const.h"
#include "engine/MediumManifest.h"
#include "engine/PackageLayout.h"
#include "os/FileContent.h"
#include "os/FileReplace.h"
#include "text/NameCase.h"
#include "text/Utf.h"

namespace engine {
namespace {

constexpr std::string_view kHeader =
    "# Virelta: the files the installation put into this folder, as it put them:\r\n"
    "# SHA-256, size in bytes, path. The uninstaller and InstallCli --verify read it.\r\n";
constexpr std::string_view kMediumPrefix = "# medium ";
// A record larger than this is no record of ours.
constexpr std::uint64_t kMaxRecordBytes = 64ull * 1024 * 1024;

std::optional<os::Sha256Digest> ParseDigest(std::string_view hex) {
  if (hex.size() != 64) {
    return std::nullopt;
  }
  os::Sha256Digest digest{};
  for (std::size_t i = 0; i < digest.size(); ++i) {
    unsigned value = 0;
    const char* first = hex.data() + 2 * i;
    const auto [end, ec] = std::from_chars(first, first + 2, value, 16);
    if (ec != std::errc() || end != first + 2) {
      return std::nullopt;
    }
    digest[i] = static_cast<std::uint8_t>(value);
  }
  return digest;
}

// A relative path that stays inside the folder: no drive, no root, no "..".
bool StaysInside(std::wstring_view path) {
  if (path.empty() || path.front() == L'\\' || path.find(L':') != std::wstring_view::npos) {
    return false;
  }
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    const std::wstring_view part = path.substr(start, end - start);
    if (part.empty() || part == L"." || part == L"..") {
      return false;
    }
    start = end + 1;
  }
  return true;
}

void AddBelow(os::IFileSystem& fs, const std::wstring& root, const std::wstring& folder,
              std::vector<FoundFile>& files) {
  std::vector<os::FindEntry> entries;
  fs.Find(root + folder + L"*", entries);
  for (os::FindEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") {
      continue;
    }
    const bool isFolder = (entry.attributes & os::attr::kDirectory) != 0;
    if (isFolder && (entry.attributes & kReparsePoint) == 0) {
      AddBelow(fs, root, folder + entry.name + L"\\", files);
    } else {
      std::wstring path = folder + entry.name;
      files.push_back(FoundFile{std::move(path), std::move(entry)});
    }
  }
}

}  // namespace

std::string FormatInstalledFiles(const InstalledFiles& record) {
  std::string bytes(kHeader);
  if (!record.mediumDigest.empty()) {
    bytes += std::string(kMediumPrefix) + text::ToUtf8(record.mediumDigest) + "\r\n";
  }
  for (const InstalledFile& file : record.files) {
    bytes += text::ToUtf8(DigestHex(file.digest)) + " " + std::to_string(file.size) + " " +
             text::ToUtf8(file.path) + "\r\n";
  }
  return bytes;
}

std::optional<InstalledFiles> ParseInstalledFiles(std::string_view bytes, std::wstring& error) {
  InstalledFiles record;
  int number = 0;
  while (!bytes.empty()) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size());
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(std::min(end + 1, bytes.size()));
    ++number;
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    const auto fail = [&](std::wstring_view why) {
      error = L"строка " + std::to_wstring(number) + L": " + std::wstring(why);
      return std::nullopt;
    };
    if (line.starts_with(kMediumPrefix)) {
      line.remove_prefix(kMediumPrefix.size());
      if (!ParseDigest(line)) {
        return fail(L"нет контрольной суммы носителя");
      }
      record.mediumDigest = text::FromUtf8(line);
      continue;
    }
    if (line.empty() || line.front() == '#') {
      continue;
    }
    const std::size_t blank = line.find(' ');
    const std::size_t second = blank == std::string_view::npos ? blank : line.find(' ', blank + 1);
    if (second == std::string_view::npos) {
      return fail(L"ожидались контрольная сумма, размер и путь");
    }
    InstalledFile file;
    const auto digest = ParseDigest(line.substr(0, blank));
    const std::string_view size = line.substr(blank + 1, second - blank - 1);
    const auto [sizeEnd, sizeError] =
        std::from_chars(size.data(), size.data() + size.size(), file.size);
    if (!digest || sizeError != std::errc() || sizeEnd != size.data() + size.size()) {
      return fail(L"неверная контрольная сумма или размер");
    }
    file.digest = *digest;
    const std::string_view path = line.substr(second + 1);
    file.path = text::FromUtf8(path);
    if (text::ToUtf8(file.path) != path || !StaysInside(file.path)) {
      return fail(L"неверный путь файла");
    }
    record.files.push_back(std::move(file));
  }
  return record;
}

std::optional<InstalledFiles> ReadInstalledFiles(os::IFileSystem& fs, const std::wstring& target,
                                                 std::wstring& error) {
  error.clear();
  const std::wstring path = target + std::wstring(kInstalledFilesRecord);
  std::string bytes;
  const os::ErrorCode code = os::ReadFileContent(fs, path, bytes, kMaxRecordBytes);
  if (code == os::error::kFileNotFound) {
    return std::nullopt;
  }
  if (code != os::error::kSuccess) {
    error = L"\"" + fs.FullPath(path) + L"\": " + fs.ErrorText(code);
    return std::nullopt;
  }
  std::wstring why;
  auto record = ParseInstalledFiles(bytes, why);
  if (!record) {
    error = L"\"" + fs.FullPath(path) + L"\", " + why;
  }
  return record;
}

os::ErrorCode WriteInstalledFiles(os::IFileSystem& fs, const std::wstring& target,
                                  const InstalledFiles& record) {
  return os::ReplaceFileContent(fs, target + std::wstring(kInstalledFilesRecord),
                                FormatInstalledFiles(record));
}

bool IsClinicData(std::wstring_view relative) {
  const std::wstring folded = text::FoldNameCase(relative);
  const auto under = [&](std::wstring_view folder) {
    return folded.starts_with(text::FoldNameCase(folder));
  };
  const auto is = [&](std::wstring_view name) { return folded == text::FoldNameCase(name); };
  return under(layout::kDatabaseFolder) || under(vr::SettingsSubDir) ||
         is(layout::kEditionSettingsFile) || is(kInstalledFilesRecord) ||
         is(os::ReplacementFileName(std::wstring(kInstalledFilesRecord)));
}

std::vector<FoundFile> FilesBelow(os::IFileSystem& fs, const std::wstring& folder) {
  std::vector<FoundFile> files;
  AddBelow(fs, folder, L"", files);
  return files;
}

FileState CompareInstalledFile(os::IFileSystem& fs, os::ICrypto& crypto, const std::wstring& target,
                               const InstalledFile& file) {
  const std::wstring path = target + file.path;
  const std::uint32_t attributes = fs.GetAttributes(path);
  if (attributes == os::attr::kInvalid) {
    return FileState::kMissing;
  }
  if ((attributes & (os::attr::kDirectory | kReparsePoint)) != 0) {
    return FileState::kChanged;
  }
  std::wstring error;
  const auto digest = FileDigest(fs, crypto, path, error);
  if (!digest) {
    return FileState::kUnreadable;
  }
  // The digest decides; a same-sized file with other bytes is changed as well.
  return *digest == file.digest ? FileState::kSame : FileState::kChanged;
}

std::optional<std::wstring> VerifyLine(FileState state, const std::wstring& relative) {
  switch (state) {
    case FileState::kSame:
      return std::nullopt;
    case FileState::kMissing:
      return L"Нет файла: " + relative;
    case FileState::kChanged:
      return L"Файл изменён: " + relative;
    case FileState::kUnreadable:
      return L"Файл не читается: " + relative;
  }
  return std::nullopt;
}

}  // namespace engine
