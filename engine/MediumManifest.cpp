#include "engine/MediumManifest.h"

#include <algorithm>
#include <memory>

#include "engine/FileOperations.h"
#include "os/FileContent.h"
#include "text/FileNames.h"
#include "text/NameCase.h"
#include "text/Utf.h"

namespace engine {
namespace {

// A manifest larger than this is no manifest of a medium (a line is about 100 bytes).
constexpr std::uint64_t kMaxManifestBytes = 16ull * 1024 * 1024;
constexpr std::uint32_t kDigestBlock = 1024 * 1024;

int HexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

// sha256sum writes a name holding "\" or a line break with a leading "\" on the line and those
// characters escaped; anything else after a "\" is no such name.
bool Unescape(std::string& name) {
  std::string plain;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '\\') {
      plain += name[i];
    } else if (i + 1 < name.size() && (name[i + 1] == '\\' || name[i + 1] == 'n')) {
      plain += name[++i] == 'n' ? '\n' : '\\';
    } else {
      return false;
    }
  }
  name = std::move(plain);
  return true;
}

// Windows names no file so: its devices, with any extension.
bool IsDeviceName(std::wstring_view part) {
  part = part.substr(0, part.find(L'.'));
  while (part.ends_with(L' ')) {
    part.remove_suffix(1);
  }
  const std::wstring name = text::FoldNameCase(std::wstring(part));
  if (name == L"CON" || name == L"PRN" || name == L"AUX" || name == L"NUL" || name == L"CONIN$" ||
      name == L"CONOUT$") {
    return true;
  }
  return name.size() == 4 && (name.starts_with(L"COM") || name.starts_with(L"LPT")) &&
         name[3] >= L'1' && name[3] <= L'9';
}

// Why a normalised path cannot name a file of the medium; null when it can.
const wchar_t* PathProblem(const std::wstring& path) {
  if (path.empty()) {
    return L"нет имени файла";
  }
  if (path.front() == L'\\' || path.find(L':') != std::wstring::npos) {
    return L"путь ведёт за пределы носителя";
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find(L'\\', start);
    const std::wstring_view part =
        std::wstring_view(path).substr(start, end == std::wstring::npos ? end : end - start);
    if (part == L"..") {
      return L"путь ведёт за пределы носителя";
    }
    if (part.empty()) {
      return L"пустое имя папки или файла в пути";
    }
    if (text::IsInvalidName(part)) {
      return L"в имени файла есть символ, недопустимый в Windows";
    }
    if (IsDeviceName(part)) {
      return L"имя устройства Windows вместо имени файла";
    }
    if (end == std::wstring::npos) {
      return nullptr;
    }
    start = end + 1;
  }
}

std::wstring LineError(std::size_t line, const wchar_t* why) {
  return L"строка " + std::to_wstring(line) + L": " + why;
}

}  // namespace

std::optional<MediumManifest> MediumManifest::Parse(std::string_view bytes, std::wstring& error) {
  if (bytes.starts_with("\xEF\xBB\xBF")) {
    bytes.remove_prefix(3);
  }
  MediumManifest manifest;
  const auto lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
  manifest.entries_.reserve(lines);
  manifest.keys_.reserve(lines);
  std::size_t number = 0;
  while (!bytes.empty()) {
    ++number;
    const std::size_t end = bytes.find('\n');
    std::string_view line = bytes.substr(0, end);
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
    if (line.ends_with('\r')) {
      line.remove_suffix(1);
    }
    // Empty lines at the end, as an editor may leave them, are no entries; sha256sum -c
    // passes them by too.
    if (line.empty() && bytes.find_first_not_of("\r\n") == std::string_view::npos) {
      break;
    }
    const bool escaped = line.starts_with('\\');
    if (escaped) {
      line.remove_prefix(1);
    }
    ManifestEntry entry;
    bool digits = line.size() > 66;
    for (std::size_t i = 0; digits && i < entry.digest.size(); ++i) {
      const int high = HexValue(line[2 * i]);
      const int low = HexValue(line[2 * i + 1]);
      digits = high >= 0 && low >= 0;
      entry.digest[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    if (!digits || line[64] != ' ' || (line[65] != ' ' && line[65] != '*')) {
      error = LineError(number,
                        L"ожидаются 64 шестнадцатеричные цифры, пробел, пробел или \"*\" и имя "
                        L"файла");
      return std::nullopt;
    }
    std::string name(line.substr(66));
    if (escaped && !Unescape(name)) {
      error = LineError(number, L"неверная запись имени файла после \"\\\"");
      return std::nullopt;
    }
    entry.path = text::FromUtf8(name);
    if (entry.path.find(L'\xFFFD') != std::wstring::npos &&
        name.find("\xEF\xBF\xBD") == std::string::npos) {
      error = LineError(number, L"имя файла не в кодировке UTF-8");
      return std::nullopt;
    }
    const bool nul = entry.path.find(L'\0') != std::wstring::npos;
    entry.path = NormalPath(entry.path);
    if (const wchar_t* why = nul ? L"в имени файла есть символ NUL" : PathProblem(entry.path)) {
      error = LineError(number, why);
      return std::nullopt;
    }
    if (!manifest.keys_.emplace(ManifestKey(entry.path), manifest.entries_.size()).second) {
      error = LineError(number, L"файл указан второй раз");
      return std::nullopt;
    }
    manifest.entries_.push_back(std::move(entry));
  }
  return manifest;
}

const os::Sha256Digest* MediumManifest::Find(std::wstring_view relative) const {
  const auto found = keys_.find(ManifestKey(relative));
  return found == keys_.end() ? nullptr : &entries_[found->second].digest;
}

std::wstring NormalPath(std::wstring_view path) {
  std::wstring normal;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find_first_of(L"\\/", start);
    std::wstring_view part = path.substr(start, end == std::wstring_view::npos ? end : end - start);
    if (part != L".") {
      if (part != L"..") {
        while (part.ends_with(L'.') || part.ends_with(L' ')) {
          part.remove_suffix(1);
        }
      }
      normal += part;
      if (end != std::wstring_view::npos) {
        normal += L'\\';
      }
    }
    if (end == std::wstring_view::npos) {
      return normal;
    }
    start = end + 1;
  }
}

std::wstring ManifestKey(std::wstring_view relative) {
  return text::FoldNameCase(NormalPath(relative));
}

std::wstring DigestHex(const os::Sha256Digest& digest) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdef";
  std::wstring hex;
  for (const std::uint8_t byte : digest) {
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  return hex;
}

std::optional<MediumManifest> ReadMediumManifest(os::IFileSystem& fs, const std::wstring& medium) {
  const std::wstring path = medium + std::wstring(kManifestFile);
  if (!FileExists(fs, path)) {
    return std::nullopt;
  }
  const auto fail = [&](const std::wstring& why) -> MediumFileError {
    return MediumFileError(L"Файл контрольных сумм \"" + fs.FullPath(path) +
                           L"\" установочного носителя не годится: " + why);
  };
  std::string bytes;
  const os::ErrorCode error = os::ReadFileContent(fs, path, bytes, kMaxManifestBytes);
  if (error == os::error::kFileTooLarge) {
    throw fail(L"он больше " + std::to_wstring(kMaxManifestBytes / 1024 / 1024) + L" МиБ");
  }
  if (error != os::error::kSuccess) {
    throw fail(L"он не читается: " + fs.ErrorText(error));
  }
  std::wstring why;
  std::optional<MediumManifest> manifest = MediumManifest::Parse(bytes, why);
  if (!manifest) {
    throw fail(why);
  }
  return manifest;
}

namespace {

void AddFiles(os::IFileSystem& fs, const std::wstring& medium, const std::wstring& folder,
              std::vector<std::wstring>& files, std::vector<std::wstring>* links) {
  std::vector<os::FindEntry> entries;
  fs.Find(medium + folder + L"*", entries);
  for (const os::FindEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") {
      continue;
    }
    if ((entry.attributes & os::attr::kReparsePoint) != 0) {
      // Followed, a junction could lead off the medium or round in a loop.
      if (links != nullptr) {
        links->push_back(folder + entry.name);
      }
    } else if ((entry.attributes & os::attr::kDirectory) != 0) {
      AddFiles(fs, medium, folder + entry.name + L"\\", files, links);
    } else if (!(folder.empty() && ManifestKey(entry.name) == ManifestKey(kManifestFile))) {
      files.push_back(folder + entry.name);
    }
  }
}

}  // namespace

std::vector<std::wstring> MediumFiles(os::IFileSystem& fs, const std::wstring& medium,
                                      std::vector<std::wstring>* links) {
  std::vector<std::wstring> files;
  AddFiles(fs, medium, L"", files, links);
  return files;
}

std::optional<os::Sha256Digest> FileDigest(os::IFileSystem& fs, os::ICrypto& crypto,
                                           const std::wstring& path, std::wstring& error,
                                           const DigestBlockFn& onBlock) {
  os::ErrorCode code = os::error::kSuccess;
  const auto file =
      fs.Open(path, os::Access::kRead, os::Share::kRead, os::Disposition::kOpenExisting, code);
  if (!file) {
    error = fs.ErrorText(code);
    return std::nullopt;
  }
  const auto hash = crypto.CreateSha256(error);
  if (!hash) {
    return std::nullopt;
  }
  const std::unique_ptr<char[]> buffer(new char[kDigestBlock]);
  for (std::uint64_t done = 0;;) {
    std::uint32_t read = 0;
    if ((code = file->Read(buffer.get(), kDigestBlock, read)) != os::error::kSuccess) {
      error = fs.ErrorText(code);
      return std::nullopt;
    }
    if (read == 0) {
      break;
    }
    if (!hash->Update(buffer.get(), read)) {
      error = L"ошибка вычисления SHA-256";
      return std::nullopt;
    }
    done += read;
    if (onBlock) {
      onBlock(done);
    }
  }
  os::Sha256Digest digest{};
  if (!hash->Finish(digest)) {
    error = L"ошибка вычисления SHA-256";
    return std::nullopt;
  }
  return digest;
}

}  // namespace engine
