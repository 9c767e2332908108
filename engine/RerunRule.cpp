#include "engine/RerunRule.h"

#include <exception>
#include <vector>

#include "engine/FileOperations.h"
#include "engine/InstalledFiles.h"
#include "engine/MediumManifest.h"
#include "engine/PackageLayout.h"
#include "engine/ReleaseSet.h"
#include "engine/UninstallEntry.h"

namespace engine {
namespace {

// The release level the medium's newest release set gives; empty when there is none.
std::wstring MediumReleaseLevel(os::Platform& platform, const std::wstring& medium) {
  const std::wstring backup = medium + std::wstring(layout::kBackupFolder) + L"\\";
  std::vector<std::wstring> sets;
  ListSubFolders(platform.fs, backup, sets);
  const std::size_t chosen = ChooseReleaseSet(platform.locale, sets, backup);
  return ReleaseLevel(sets[chosen]);
}

}  // namespace

std::optional<std::wstring> CompleteInstallationFromMedium(os::Platform& platform,
                                                           const std::wstring& target,
                                                           const std::wstring& medium) {
  try {
    const std::optional<UninstallEntry> entry = ReadUninstallEntry(platform.registry);
    if (!entry || platform.locale.CompareIgnoreCase(entry->InstallLocation, target) != 0) {
      return std::nullopt;
    }
    std::wstring error;
    const std::optional<InstalledFiles> record = ReadInstalledFiles(platform.fs, target, error);
    if (!record) {
      return std::nullopt;
    }
    const std::wstring manifest = medium + std::wstring(kManifestFile);
    if (platform.fs.GetAttributes(manifest) != os::attr::kInvalid) {
      const std::optional<os::Sha256Digest> digest =
          FileDigest(platform.fs, platform.crypto, manifest, error);
      if (!digest || record->mediumDigest != DigestHex(*digest)) {
        return std::nullopt;
      }
      return L"выпуск " + entry->DisplayVersion + L", носитель с SHA256SUMS " +
             record->mediumDigest;
    }
    if (!record->mediumDigest.empty() ||
        entry->DisplayVersion != ReadableReleaseLevel(MediumReleaseLevel(platform, medium))) {
      return std::nullopt;
    }
    return L"выпуск " + entry->DisplayVersion + L", носитель без SHA256SUMS";
  } catch (const std::exception&) {
    return std::nullopt;
  }
}

}  // namespace engine
