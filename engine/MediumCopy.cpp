#include "engine/MediumCopy.h"

#include <optional>
#include <vector>

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

// The files a folder copy takes from `folder`, relative to it with "\", sub-folders after the
// files of their folder.
void ListCopiedFiles(os::IFileSystem& fs, const std::wstring& folder, const std::wstring& prefix,
                     FolderCopyKind kind, std::vector<std::wstring>& files) {
  std::vector<os::FindEntry> entries;
  fs.Find(folder + L"\\*.*", entries);
  std::vector<std::wstring> folders;
  for (const os::FindEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") {
      continue;
    }
    if ((entry.attributes & os::attr::kDirectory) == 0) {
      files.push_back(prefix + entry.name);
    } else if (kind == FolderCopyKind::kShell ||
               (entry.attributes & (os::attr::kHidden | os::attr::kSystem)) == 0) {
      folders.push_back(entry.name);
    }
  }
  for (const std::wstring& name : folders) {
    ListCopiedFiles(fs, folder + L"\\" + name, prefix + name + L"\\", kind, files);
  }
}

// The manifest's digest of a medium file the installation takes; raises MediumFileError for one
// it does not list. Null for a file outside the medium.
const os::Sha256Digest* ExpectedDigest(os::IFileSystem& fs, const MediumDigests& digests,
                                       const std::wstring& source) {
  const std::optional<std::wstring> relative = RelativeToMedium(digests.medium, source);
  if (!relative) {
    return nullptr;
  }
  const os::Sha256Digest* expected = digests.manifest.Find(*relative);
  if (expected == nullptr) {
    throw MediumFileError(L"Файл \"" + fs.FullPath(source) +
                          L"\" установочного носителя не указан в файле контрольных сумм " +
                          std::wstring(kManifestFile) + L": носитель собран неверно");
  }
  return expected;
}

// Calls `check(source, destination, expected digest)` for every file a folder copy takes from the
// medium.
template <typename Check>
void ForEachCopiedFile(os::IFileSystem& fs, const MediumDigests* digests,
                       const std::wstring& sourceFolder, const std::wstring& destinationFolder,
                       FolderCopyKind kind, const std::function<void()>& onFile, Check check) {
  if (digests == nullptr || !RelativeToMedium(digests->medium, sourceFolder + L"\\")) {
    return;
  }
  std::vector<std::wstring> files;
  ListCopiedFiles(fs, sourceFolder, L"", kind, files);
  for (const std::wstring& file : files) {
    const std::wstring source = sourceFolder + L"\\" + file;
    if (const os::Sha256Digest* expected = ExpectedDigest(fs, *digests, source)) {
      check(source, destinationFolder + L"\\" + file, *expected);
    }
    if (onFile) {
      onFile();
    }
  }
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
    ExpectedDigest(fs, *digests, source);  // raises: the file is not listed
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

void CheckMediumFolder(os::IFileSystem& fs, const MediumDigests* digests,
                       const std::wstring& sourceFolder, FolderCopyKind kind,
                       const std::function<void()>& onFile) {
  ForEachCopiedFile(
      fs, digests, sourceFolder, sourceFolder, kind, onFile,
      [&](const std::wstring& source, const std::wstring&, const os::Sha256Digest& expected) {
        std::wstring why;
        const std::optional<os::Sha256Digest> digest = FileDigest(fs, digests->crypto, source, why);
        if (!digest) {
          throw UncheckableFile(fs.FullPath(source), why);
        }
        if (*digest != expected) {
          throw MediumFileError(DamagedMediumFileText(fs.FullPath(source)));
        }
      });
}

void CheckCopiedFolder(os::IFileSystem& fs, const MediumDigests* digests,
                       const std::wstring& sourceFolder, const std::wstring& destinationFolder,
                       FolderCopyKind kind, const std::function<void()>& onFile) {
  ForEachCopiedFile(
      fs, digests, sourceFolder, destinationFolder, kind, onFile,
      [&](const std::wstring& source, const std::wstring& copy, const os::Sha256Digest& expected) {
        if (!FileExists(fs, copy)) {
          return;
        }
        std::wstring why;
        const std::optional<os::Sha256Digest> digest = FileDigest(fs, digests->crypto, copy, why);
        if (!digest || *digest != expected) {
          throw MediumFileError(
              L"Копия \"" + fs.FullPath(copy) + L"\" файла \"" + fs.FullPath(source) +
              L"\" установочного носителя " +
              (digest ? L"не совпадает с контрольной суммой в файле " + std::wstring(kManifestFile)
                      : L"не удаётся проверить: " + why) +
              L". Установка прервана");
        }
      });
}

}  // namespace engine
