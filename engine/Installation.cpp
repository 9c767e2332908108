#include "engine/Installation.h"

#include <exception>
#include <optional>
#include <set>
#include <utility>

#include "Error.h"
#include "VR_Common_Const.h"
#include "VR_Common_Proc.h"
#include "engine/CopyStep.h"
#include "engine/DatabaseBackup.h"
#include "engine/FileOperations.h"
#include "engine/Fonts.h"
#include "engine/InstallerStrings.h"
#include "engine/LastNumberFile.h"
#include "engine/MediumCopy.h"
#include "engine/MediumManifest.h"
#include "engine/PackageLayout.h"
#include "engine/ProgramLaunch.h"
#include "engine/ProgressLines.h"
#include "engine/Registration.h"
#include "engine/ReleaseSet.h"
#include "engine/SettingsFile.h"
#include "engine/Shortcut.h"
#include "os/FileReplace.h"

namespace engine {
namespace {

using std::wstring;

class Run {
 public:
  Run(const InstallRequest& request, IInstallProgress& progress, os::Platform& platform)
      : from_(request.Fcopyfrom),
        to_(request.TargetPath),
        request_(request),
        progress_(progress),
        platform_(platform),
        fs_(platform.fs),
        locale_(platform.locale) {}

  bool CopyPhase() {
    before_ = FilesBeforeRun(fs_, to_);
    Manifest();
    if (!TargetFolder()) {
      return false;
    }
    MainSettingsFile();
    BusyRegion busy(progress_);
    SettingsFolder();
    if (!DatabaseFolder() || !Database()) {
      return false;
    }
    if (!CopySet(layout::ServerFiles(request_.WindowsFamily),
                 from_ + wstring(layout::kFirebirdFolder), to_)) {
      return false;
    }
    if (!CopySetIntoFolder(layout::kInternationalFiles, layout::kInternationalFolder)) {
      return false;
    }
    if (!CopySetIntoFolder(layout::kServerFunctionFiles, layout::kServerFunctionFolder)) {
      return false;
    }
    ComplexFunctionLibraries();
    WriteLastNumberFileIfMissing(fs_, locale_,
                                 SettingsFolderPath() + wstring(layout::kLastNumberFile));
    EditionSettingsFile();
    busy.Leave();
    return true;
  }

  // Fonts, driver package, release sets and updater, release level, desktop shortcut. Errors of
  // the release step and of the shortcut's link object pass on to the caller.
  void FinishingSteps() {
    Fonts();
    DriverPackage();
    ReleaseSetsAndUpdater();
    const wstring level = ApplyLatestReleaseSet(platform_, to_);
    CreateDesktopShortcut(platform_, to_, InstallerString(platform_.system, VR_STR_MAIN_PROGRAM),
                          InstallerString(platform_.system, VR_STR_PRODUCT_DESCRIPTION),
                          InstallerString(platform_.system, VR_STR_PRODUCT_NAME));
    RegisterInstallation(platform_, request_, level, before_, Digests(), progress_);
  }

 private:
  wstring SettingsFolderPath() const { return to_ + vr::SettingsSubDir; }

  // A medium with a manifest has every file it gives checked as it is copied; the manifest is
  // read before anything is written, so a damaged one changes nothing on the computer.
  void Manifest() {
    if (std::optional<MediumManifest> manifest = ReadMediumManifest(fs_, from_)) {
      digests_.emplace(MediumDigests{std::move(*manifest), platform_.crypto, from_});
    }
  }
  const MediumDigests* Digests() const { return digests_ ? &*digests_ : nullptr; }

  // The target folder is created one level deep: its parent must be there.
  bool TargetFolder() {
    return ReportedFolder(to_, lines::kFolderCreated, lines::kFolderCreateError);
  }

  // Nothing when the folder is there; otherwise created and reported with `created`, or, when it
  // cannot be, shown in an error box and reported with `failed`: the run ends then.
  bool ReportedFolder(const wstring& folder, std::wstring_view created, std::wstring_view failed) {
    if (FolderExists(fs_, folder)) {
      return true;
    }
    if (const os::ErrorCode error = fs_.CreateFolder(folder); error != os::error::kSuccess) {
      progress_.ShowError(wstring(failed));
      progress_.FailureReason(FailureText(fs_, folder, error));
      progress_.Add(wstring(failed));
      return false;
    }
    progress_.Add(wstring(created));
    progress_.ProcessMessages();
    return true;
  }

  // A folder the files that follow go into: should it fail, the first of them raises.
  void FolderIfMissing(const wstring& folder) {
    if (!FolderExists(fs_, folder)) {
      fs_.CreateFolder(folder);
    }
  }

  // The settings folder is normally made when the target folder is chosen; a caller that did
  // not (the console installer into a new folder) still gets the file. Should the folder fail,
  // writing the file raises.
  void MainSettingsFile() {
    FolderIfMissing(SettingsFolderPath());
    SettingsFile settings(fs_, locale_, SettingsFolderPath() + vr::SettingsFileName);
    settings.WriteInteger(L"options", L"FilterType", 0);
    settings.WriteInteger(L"options", L"HardwareType", 1);
    settings.UpdateFile();
  }

  void SettingsFolder() {
    progress_.ProcessMessages();
    const int line = progress_.Add(wstring(lines::kCreatingSettings));
    progress_.ProcessMessages();
    FolderIfMissing(SettingsFolderPath());
    CompleteLine(progress_, line, lines::kDone);
  }

  bool DatabaseFolder() {
    return ReportedFolder(to_ + wstring(layout::kDatabaseFolder), lines::kDatabaseFolderCreated,
                          lines::kDatabaseFolderCreateError);
  }

  // An existing database is the operator's data: it is kept under a dated name before the
  // medium's replaces it, and a failure to keep it ends the run with the database untouched. The
  // medium's database must open before anything is renamed; it is copied under a temporary name
  // and takes the live name only once complete. A copy that fails or raises is removed and the
  // kept database renamed back, so a failed reinstallation leaves the database in use; a run
  // killed during the copy leaves it under its dated name, never a truncated file under the
  // live one.
  bool Database() {
    const wstring folder = to_ + wstring(layout::kDatabaseFolder);
    const wstring name(layout::kDatabaseFile);
    const wstring source = from_ + wstring(layout::kDatabaseFolder) + name;
    const wstring live = folder + name;
    CheckSourceOpens(source);
    std::optional<wstring> kept;
    if (FileExists(fs_, live)) {
      const int line = progress_.Add(lines::BackingUpFile(name));
      progress_.ProcessMessages();
      kept = BackUpByRenaming(fs_, locale_, folder, name);
      CompleteLine(progress_, line, kept ? lines::kDone : lines::kFailed);
      if (!kept) {
        return false;
      }
    }
    const wstring partial = os::ReplacementFileName(live);
    const auto undo = [&] {
      fs_.RemoveFile(partial);
      if (kept) {
        fs_.Move(*kept, live);
      }
    };
    try {
      const int line = progress_.Add(lines::CopyingFile(name));
      progress_.ProcessMessages();
      CopyFailure failure;
      bool copied = CopyMediumFile(
          fs_, Digests(), source, partial,
          [&](std::uint64_t done, std::uint64_t total) {
            progress_.CopyProgress(line, done, total);
          },
          &failure);
      if (copied) {
        failure = {live, fs_.Move(partial, live)};
        copied = failure.error == os::error::kSuccess;
      }
      if (!copied) {
        undo();
      }
      CompleteLine(progress_, line, copied ? lines::kDone : lines::kFailed);
      if (!copied) {
        progress_.FailureReason(FailureText(fs_, failure.path, failure.error));
      }
      return copied;
    } catch (...) {
      undo();
      throw;
    }
  }

  // Raises CopySingleFile's "Cannot open file" when the file cannot be opened for reading.
  void CheckSourceOpens(const wstring& source) {
    os::ErrorCode error = os::error::kSuccess;
    if (!fs_.Open(source, os::Access::kRead, os::Share::kRead, os::Disposition::kOpenExisting,
                  error)) {
      throw OperatorError(L"Cannot open file \"" + fs_.FullPath(source) + L"\". " +
                          fs_.ErrorText(error));
    }
  }

  // Every file of the set, in order; the first failure ends the set and the run.
  bool CopySet(std::span<const std::wstring_view> names, const wstring& sourceFolder,
               const wstring& targetFolder) {
    for (const std::wstring_view name : names) {
      if (!CopyFileStep(progress_, fs_, wstring(name), sourceFolder + wstring(name),
                        targetFolder + wstring(name), Digests())) {
        return false;
      }
    }
    return true;
  }

  // A set from the same-named sub-folder of "Firebird\", into that folder of the target.
  bool CopySetIntoFolder(std::span<const std::wstring_view> names, std::wstring_view folder) {
    const wstring target = to_ + wstring(folder);
    FolderIfMissing(target);
    return CopySet(names, from_ + wstring(layout::kFirebirdFolder) + wstring(folder), target);
  }

  // The complex's own libraries: a failed one is marked and the others still follow.
  void ComplexFunctionLibraries() {
    for (const std::wstring_view name : layout::kComplexFunctionFiles) {
      CopyFileStep(progress_, fs_, wstring(name),
                   from_ + wstring(layout::kComplexFunctionFolder) + wstring(name),
                   to_ + wstring(layout::kServerFunctionFolder) + wstring(name), Digests());
    }
  }

  // Fonts never stop an installation: whatever fails here, the fonts installed before the
  // failure keep their lines and the run goes on. A damaged medium is no font failure: it ends
  // the run here as anywhere.
  void Fonts() {
    try {
      InstallFonts(progress_, platform_, Digests());
    } catch (const MediumFileError&) {
      throw;
    } catch (const std::exception&) {
    }
  }

  // The driver installer runs hidden and blocks the window until it ends; whether it could be
  // started or what it reports does not change the run.
  void DriverPackage() {
    if (!request_.InstallDriver || !progress_.Confirm(wstring(lines::kDriverQuestion))) {
      return;
    }
    const wstring package(layout::kUsbprepFolder);
    if (FolderExists(fs_, from_ + package)) {
      vr::CopyFolderByShell(platform_.shell, from_ + package, to_ + package);
    }
    progress_.Add(wstring(lines::kDriverStarted));
    progress_.Repaint();
    StartProgram(platform_.processes, to_ + package + L"\\" + wstring(layout::kDriverInstaller),
                 kShowHidden, true);
    progress_.Add(wstring(lines::kDriverFinished));
  }

  // The release sets land in "backup\" and the updater's files in the target folder itself;
  // neither is reported, and a folder or file that fails is simply not there (the release step
  // reports what it misses). The updater's two files must stay writable for the updater,
  // whatever attributes the medium gave them.
  void ReleaseSetsAndUpdater() {
    const wstring backup(layout::kBackupFolder);
    if (!FolderExists(fs_, to_ + wstring(layout::kBackupFolderOtherCase))) {
      fs_.CreateFolder(to_ + backup + L"\\");
    }
    CopyFolderTree(fs_, from_ + backup, to_ + backup);
    CopyFolderTree(fs_, from_ + wstring(layout::kUpdaterFolder), to_);
    SetReadOnlyAttribute(fs_, to_ + wstring(layout::kReleaseInfoFile), false);
    SetReadOnlyAttribute(fs_, to_ + wstring(layout::kUpdaterSettingsFile), false);
  }

  void EditionSettingsFile() {
    if (!request_.EditionFlag) {
      return;
    }
    SettingsFile edition(fs_, locale_, to_ + wstring(layout::kEditionSettingsFile));
    edition.WriteString(L"Common", L"Disk", L"I");
    edition.UpdateFile();
  }

  const wstring from_;
  const wstring to_;
  const InstallRequest& request_;
  IInstallProgress& progress_;
  os::Platform& platform_;
  os::IFileSystem& fs_;
  os::ILocale& locale_;
  std::optional<MediumDigests> digests_;
  std::set<wstring> before_;
};

}  // namespace

bool RunInstallation(const InstallRequest& Request, IInstallProgress& Progress,
                     os::Platform& platform) {
  Run run(Request, Progress, platform);
  if (!run.CopyPhase()) {
    return false;
  }
  run.FinishingSteps();
  return true;
}

}  // namespace engine
