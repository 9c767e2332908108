#include "engine/MediumCopy.h"

#include <optional>

namespace engine {
namespace {

// The source's path relative to the medium; nothing when it lies elsewhere.
std::optional<std::wstring> RelativeToMedium(const std::wstring& medium,
                                             const std::wstring& source) {
  if (medium.empty() || source.size() <= medium.size() ||
      ManifestKey(source.substr(0, medium.size())) != ManifestKey(medium)) {
    return std::nullopt;
  }
  return source.substr(medium.size());
}

// A medium file whose digest cannot be made: it is not trusted either.
MediumFileError UncheckableFile(const std::wstring& fullPath, const std::wstring& why) {
  return MediumFileError(L"Файл \"" + fullPath +
                         L"\" установочного носителя не удаётся проверить: " + why);
}

}  // namespace

std::wstring DamagedMediumFileText(const std::wstring& fullPath) {
  return L"Файл \"" + fullPath +
         L"\" установочного носителя повреждён: его содержимое не совпадает с контрольной суммой "
         L"в файле " +
         std::wstring(kManifestFile) + L". Установка прервана";
}

bool CopyMediumFile(os::IFileSystem& fs, const MediumDigests* digests, const std::wstring& source,
                    const std::wstring& destination, const CopyBlockFn& onBlock,
                    CopyFailure* failure) {
  const std::optional<std::wstring> relative =
      digests ? RelativeToMedium(digests->medium, source) : std::nullopt;
  if (!relative) {
    return CopySingleFile(fs, source, destination, onBlock, failure);
  }
  const os::Sha256Digest* expected = digests->manifest.Find(*relative);
  if (expected == nullptr && !FileExists(fs, source)) {
    // Missing as well: reported as any missing source is.
    return CopySingleFile(fs, source, destination, onBlock, failure);
  }
  if (expected == nullptr) {
    throw MediumFileError(L"Файл \"" + fs.FullPath(source) +
                          L"\" установочного носителя не указан в файле контрольных сумм " +
                          std::wstring(kManifestFile) + L": носитель собран неверно");
  }
  std::wstring why;
  const auto hash = digests->crypto.CreateSha256(why);
  if (!hash) {
    throw UncheckableFile(fs.FullPath(source), why);
  }
  bool hashed = true;
  if (!CopySingleFile(fs, source, destination, onBlock, failure,
                      [&](const char* data, std::uint32_t size) {
                        hashed = hashed && hash->Update(data, size);
                      })) {
    return false;
  }
  os::Sha256Digest digest{};
  hashed = hashed && hash->Finish(digest);
  if (!hashed || digest != *expected) {
    fs.RemoveFile(destination);
    if (!hashed) {
      throw UncheckableFile(fs.FullPath(source), L"ошибка вычисления SHA-256");
    }
    throw MediumFileError(DamagedMediumFileText(fs.FullPath(source)));
  }
  return true;
}

}  // namespace engine
