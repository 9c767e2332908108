#include "engine/Registration.h"

#include <algorithm>
#include <cstdio>

#include "Error.h"
#include "engine/FileOperations.h"
#include "engine/InstalledFiles.h"
#include "engine/InstallerStrings.h"
#include "engine/MediumManifest.h"
#include "engine/PackageLayout.h"
#include "engine/UninstallEntry.h"
#include "engine/resources/StringTableIds.h"
#include "os/FileReplace.h"
#include "text/NameCase.h"

namespace engine {
namespace {

using std::wstring;

void AddFolded(std::set<wstring>& set, const wstring& relative) {
  set.insert(text::FoldNameCase(relative));
}

// The relative paths the kit's own steps put into the target folder.
std::set<wstring> KitFiles(os::IFileSystem& fs, const InstallRequest& request) {
  std::set<wstring> kit;
  for (const std::wstring_view name : layout::ServerFiles(request.WindowsFamily)) {
    AddFolded(kit, wstring(name));
  }
  for (const std::wstring_view name : layout::kInternationalFiles) {
    AddFolded(kit, wstring(layout::kInternationalFolder) + wstring(name));
  }
  for (const std::wstring_view name : layout::kServerFunctionFiles) {
    AddFolded(kit, wstring(layout::kServerFunctionFolder) + wstring(name));
  }
  for (const std::wstring_view name : layout::kComplexFunctionFiles) {
    AddFolded(kit, wstring(layout::kServerFunctionFolder) + wstring(name));
  }
  AddFolded(kit, wstring(kUninstallerFile));
  AddFolded(kit, wstring(layout::kReleaseInfoFile));
  // The copied trees: the driver package and the release sets into same-named folders, the
  // updater's files into the target folder itself.
  for (const auto& [from, to] : {std::pair{layout::kUsbprepFolder, layout::kUsbprepFolder},
                                 std::pair{layout::kBackupFolder, layout::kBackupFolder},
                                 std::pair{layout::kUpdaterFolder, std::wstring_view()}}) {
    const wstring prefix = to.empty() ? wstring() : wstring(to) + L"\\";
    for (const wstring& relative : MediumFiles(fs, request.Fcopyfrom + wstring(from) + L"\\")) {
      AddFolded(kit, prefix + relative);
    }
  }
  return kit;
}

// The uninstaller goes in whole or not at all: copied beside its place, then renamed over it.
void CopyUninstaller(os::Platform& platform, const InstallRequest& request,
                     const MediumDigests* digests, IInstallProgress& progress) {
  os::IFileSystem& fs = platform.fs;
  const wstring source = request.Fcopyfrom + wstring(kUninstallerFile);
  const wstring target = request.TargetPath + wstring(kUninstallerFile);
  const wstring partial = os::ReplacementFileName(target);
  // A medium made before the uninstaller existed has none: nothing to say, the entry names where
  // it would be.
  if (!FileExists(fs, source)) {
    return;
  }
  CopyFailure failure;
  bool copied = false;
  try {
    copied = CopyMediumFile(fs, digests, source, partial, {}, &failure);
  } catch (const OperatorError& error) {
    // A damaged or unlisted uninstaller is not installed; the installation itself is complete.
    fs.RemoveFile(partial);
    progress.Warning(L"Программа удаления не скопирована: " + error.Message());
    return;
  }
  if (copied) {
    failure = {target, fs.Replace(partial, target)};
    copied = failure.error == os::error::kSuccess;
  }
  if (!copied) {
    fs.RemoveFile(partial);
    progress.Warning(L"Программа удаления не скопирована: " +
                     FailureText(fs, failure.path, failure.error));
  }
}

struct Recorded {
  InstalledFiles record;
  std::uint64_t bytes = 0;
};

Recorded RecordFiles(os::Platform& platform, const InstallRequest& request,
                     const std::set<wstring>& before, IInstallProgress& progress) {
  os::IFileSystem& fs = platform.fs;
  const wstring& target = request.TargetPath;
  const std::set<wstring> kit = KitFiles(fs, request);
  std::set<wstring> previous;
  wstring error;
  if (const auto old = ReadInstalledFiles(fs, target, error)) {
    for (const InstalledFile& file : old->files) {
      AddFolded(previous, file.path);
    }
  }
  Recorded recorded;
  for (const FoundFile& found : FilesBelow(fs, target)) {
    if (IsClinicData(found.path) || (found.entry.attributes & kReparsePoint) != 0) {
      continue;
    }
    const wstring folded = text::FoldNameCase(found.path);
    if (kit.count(folded) == 0 && previous.count(folded) == 0 && before.count(folded) != 0) {
      continue;  // there before the run, and not the kit's
    }
    wstring why;
    const auto digest = FileDigest(fs, platform.crypto, target + found.path, why);
    if (!digest) {
      progress.Warning(L"Файл не внесён в список установленных: \"" +
                       fs.FullPath(target + found.path) + L"\": " + why);
      continue;
    }
    recorded.record.files.push_back(InstalledFile{found.path, *digest, found.entry.size});
    recorded.bytes += found.entry.size;
  }
  const wstring manifest = request.Fcopyfrom + wstring(kManifestFile);
  if (FileExists(fs, manifest)) {
    if (const auto digest = FileDigest(fs, platform.crypto, manifest, error)) {
      recorded.record.mediumDigest = DigestHex(*digest);
    }
  }
  return recorded;
}

std::uint64_t DatabaseBytes(os::IFileSystem& fs, const wstring& target) {
  std::vector<os::FindEntry> entries;
  fs.Find(target + wstring(layout::kDatabaseFolder) + wstring(layout::kDatabaseFile), entries);
  return entries.empty() ? 0 : entries.front().size;
}

wstring DateStamp(const os::LocalTime& now) {
  wchar_t text[16] = {};
  std::swprintf(text, 16, L"%04d%02d%02d", now.year, now.month, now.day);
  return text;
}

}  // namespace

std::set<std::wstring> FilesBeforeRun(os::IFileSystem& fs, const std::wstring& target) {
  std::set<wstring> files;
  if (FolderExists(fs, target)) {
    for (const FoundFile& found : FilesBelow(fs, target)) {
      AddFolded(files, found.path);
    }
  }
  return files;
}

void RegisterInstallation(os::Platform& platform, const InstallRequest& request,
                          const std::wstring& releaseLevel, const std::set<std::wstring>& before,
                          const MediumDigests* digests, IInstallProgress& progress) {
  os::IFileSystem& fs = platform.fs;
  const wstring& target = request.TargetPath;
  CopyUninstaller(platform, request, digests, progress);
  const Recorded recorded = RecordFiles(platform, request, before, progress);
  if (const os::ErrorCode error = WriteInstalledFiles(fs, target, recorded.record);
      error != os::error::kSuccess) {
    progress.Warning(L"Список установленных файлов не записан: " +
                     FailureText(fs, target + wstring(kInstalledFilesRecord), error));
  }

  UninstallEntry entry =
      MakeUninstallEntry(fs.FullPath(target), InstallerString(platform.system, VR_STR_PRODUCT_NAME),
                         InstallerString(platform.system, VR_STR_PRODUCT_DESCRIPTION),
                         InstallerString(platform.system, VR_STR_MAIN_PROGRAM));
  entry.DisplayVersion = ReadableReleaseLevel(releaseLevel);
  entry.InstallSource = fs.FullPath(request.Fcopyfrom);
  entry.InstallDate = DateStamp(platform.locale.Now());
  const std::uint64_t kib = (recorded.bytes + DatabaseBytes(fs, target) + 1023) / 1024;
  entry.EstimatedSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(kib, 0xFFFFFFFFu));
  if (const os::ErrorCode error = WriteUninstallEntry(platform.registry, entry);
      error != os::error::kSuccess) {
    progress.Warning(L"Сведения об установке не записаны в реестр Windows (" +
                     wstring(kUninstallKey) + L"): " + fs.ErrorText(error));
  }
}

}  // namespace engine
