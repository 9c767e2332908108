// libFuzzer target for the readers of the files the kit takes from a medium or a target folder,
// one reader per run, chosen by VIRELTA_FUZZ_READER:
//   manifest         the medium's SHA256SUMS (MediumManifest::Parse)
//   installed-files  the target's InstalledFiles.sha256 (ParseInstalledFiles)
//   settings         a settings file read and written back (SettingsFile, in every encoding)
//   release-set      a release set's folder name, its date and level (ReleaseDateKey, ReleaseLevel)
// Whatever the bytes: nothing read outside them (AddressSanitizer), nothing undefined (UBSan),
// and what a reader accepts it gives back consistently (checked below, std::abort otherwise).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/InstalledFiles.h"
#include "engine/MediumManifest.h"
#include "engine/ReleaseSet.h"
#include "engine/SettingsFile.h"

namespace {

// One settings file in memory: what the settings file needs of a file system, and no more.
class OneFileSystem final : public os::IFileSystem {
 public:
  explicit OneFileSystem(std::string content) : content_(std::move(content)) {}

  std::unique_ptr<os::IFile> Open(const std::wstring& /*path*/, os::Access /*access*/,
                                  os::Share /*share*/, os::Disposition disposition,
                                  os::ErrorCode& /*error*/) override {
    if (disposition != os::Disposition::kOpenExisting) {
      content_.clear();
    }
    return std::make_unique<File>(content_);
  }
  std::uint32_t GetAttributes(const std::wstring&) override { return os::attr::kArchive; }
  os::ErrorCode SetAttributes(const std::wstring&, std::uint32_t) override { return 0; }
  os::ErrorCode CreateFolder(const std::wstring&) override { return os::error::kAlreadyExists; }
  os::ErrorCode RemoveFolder(const std::wstring&) override { return os::error::kAccessDenied; }
  os::ErrorCode RemoveFile(const std::wstring&) override { return 0; }
  os::ErrorCode Move(const std::wstring&, const std::wstring&) override { return 0; }
  os::ErrorCode Replace(const std::wstring&, const std::wstring&) override { return 0; }
  os::ErrorCode SystemCopy(const std::wstring&, const std::wstring&, bool) override { return 0; }
  os::ErrorCode Find(const std::wstring&, std::vector<os::FindEntry>&) override {
    return os::error::kFileNotFound;
  }
  std::wstring FullPath(const std::wstring& path) override { return path; }
  bool UtcToLocal(os::FileTime utc, os::FileTime& local) override {
    local = utc;
    return true;
  }
  bool LocalToUtc(os::FileTime local, os::FileTime& utc) override {
    utc = local;
    return true;
  }
  std::wstring ErrorText(os::ErrorCode) override { return L"error"; }

 private:
  // Every file opened is the one content: a temporary file and its rename are the same bytes.
  class File final : public os::IFile {
   public:
    explicit File(std::string& content) : content_(content) {}
    os::ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& read) override {
      read = static_cast<std::uint32_t>(std::min<std::size_t>(size, content_.size() - at_));
      std::memcpy(buffer, content_.data() + at_, read);
      at_ += read;
      return 0;
    }
    os::ErrorCode Write(const void* buffer, std::uint32_t size, std::uint32_t& written) override {
      content_.append(static_cast<const char*>(buffer), size);
      written = size;
      return 0;
    }
    os::ErrorCode GetSize(std::uint64_t& size) override {
      size = content_.size();
      return 0;
    }
    os::ErrorCode GetLastWriteTime(os::FileTime& utc) override {
      utc = 0;
      return 0;
    }
    os::ErrorCode SetLastWriteTime(os::FileTime) override { return 0; }
    os::ErrorCode Flush() override { return 0; }

   private:
    std::string& content_;
    std::size_t at_ = 0;
  };

  std::string content_;
};

// A locale whose ANSI code page is Latin-1, as a Western Windows has it.
class Latin1Locale final : public os::ILocale {
 public:
  os::LocalTime Now() override { return {2026, 1, 2, 3, 4, 5, 6}; }
  std::wstring DateSeparator() override { return L"."; }
  std::wstring TimeSeparator() override { return L":"; }
  std::optional<std::string> ToAnsi(std::wstring_view text) override {
    std::string bytes;
    for (const wchar_t c : text) {
      bytes += static_cast<unsigned>(c) <= 0xFF ? static_cast<char>(c) : '?';
    }
    return bytes;
  }
  std::wstring FromAnsi(std::string_view bytes) override {
    std::wstring text;
    for (const char c : bytes) {
      text += static_cast<wchar_t>(static_cast<unsigned char>(c));
    }
    return text;
  }
  std::wstring ToUpper(std::wstring_view text) override {
    std::wstring upper(text);
    for (wchar_t& c : upper) {
      c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 0x20) : c;
    }
    return upper;
  }
  int CompareIgnoreCase(std::wstring_view a, std::wstring_view b) override {
    return ToUpper(a).compare(ToUpper(b));
  }
};

enum class Reader { kManifest, kInstalledFiles, kSettings, kReleaseSet };
Reader reader = Reader::kManifest;

void Manifest(std::string_view bytes) {
  std::wstring error;
  const auto manifest = engine::MediumManifest::Parse(bytes, error);
  if (manifest.has_value() != error.empty()) {
    std::abort();
  }
  if (manifest) {
    // Every listed path is found again under its own name.
    for (const engine::ManifestEntry& entry : manifest->Entries()) {
      const os::Sha256Digest* digest = manifest->Find(entry.path);
      if (digest == nullptr || *digest != entry.digest) {
        std::abort();
      }
    }
  }
}

void InstalledFiles(std::string_view bytes) {
  std::wstring error;
  const auto record = engine::ParseInstalledFiles(bytes, error);
  if (record.has_value() != error.empty()) {
    std::abort();
  }
  if (record) {
    // A record read back from its own bytes is the same record.
    const auto again = engine::ParseInstalledFiles(engine::FormatInstalledFiles(*record), error);
    if (!again || again->mediumDigest != record->mediumDigest ||
        again->files.size() != record->files.size()) {
      std::abort();
    }
  }
}

void Settings(std::string_view bytes) {
  OneFileSystem fs{std::string(bytes)};
  Latin1Locale locale;
  try {
    engine::SettingsFile settings(fs, locale, L"C:\\S\\virelta.ini");
    settings.WriteString(L"options", L"FilterType", L"0");
    settings.WriteInteger(L"options", L"HardwareType", 1);
    if (settings.ReadString(L"options", L"FilterType", L"?") != L"0") {
      std::abort();
    }
    settings.UpdateFile();
    // What was written reads back with the values set.
    const engine::SettingsFile again(fs, locale, L"C:\\S\\virelta.ini");
    if (again.ReadString(L"options", L"HardwareType", L"?") != L"1") {
      std::abort();
    }
  } catch (const std::exception&) {
    // A file that cannot be read or written is an operator's error, not a fault.
  }
}

void ReleaseSet(std::string_view bytes) {
  std::wstring name;
  for (std::size_t i = 0; i + 1 < bytes.size() && name.size() < 300; i += 2) {
    name += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  const auto key = engine::ReleaseDateKey(name);
  const std::wstring level = engine::ReleaseLevel(name);
  if (key && (*key < 0 || level.size() + 1 != name.substr(name.find_last_of(L'\\') + 1).size())) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  const char* chosen = std::getenv("VIRELTA_FUZZ_READER");
  const std::string_view name = chosen != nullptr ? chosen : "manifest";
  if (name == "installed-files") {
    reader = Reader::kInstalledFiles;
  } else if (name == "settings") {
    reader = Reader::kSettings;
  } else if (name == "release-set") {
    reader = Reader::kReleaseSet;
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  switch (reader) {
    case Reader::kManifest:
      Manifest(bytes);
      break;
    case Reader::kInstalledFiles:
      InstalledFiles(bytes);
      break;
    case Reader::kSettings:
      Settings(bytes);
      break;
    case Reader::kReleaseSet:
      ReleaseSet(bytes);
      break;
  }
  return 0;
}
