#include "engine/MediumCheck.h"

#include <algorithm>
#include <map>
#include <set>
#include <span>
#include <unordered_map>

#include "Error.h"
#include "engine/FileOperations.h"
#include "engine/FontNameTable.h"
#include "engine/Fonts.h"
#include "engine/MediumManifest.h"
#include "engine/PackageLayout.h"
#include "engine/ReleaseSet.h"

namespace engine {
namespace {

using std::wstring;

std::wstring Quoted(const wstring& relative) {
  return L"\"" + relative + L"\"";
}

class Checker {
 public:
  Checker(os::Platform& platform, const wstring& medium, const CheckProgressFn& onProgress)
      : platform_(platform), fs_(platform.fs), medium_(medium), onProgress_(onProgress) {}

  MediumReport Run() {
    FileSets();
    Fonts();
    DriverPackageAndInstallers();
    ReleaseSets();
    ReleaseInfo();
    Manifest();
    return std::move(report_);
  }

 private:
  void Finding(wstring text) { report_.findings.push_back(std::move(text)); }

  // The folder's entries, enumerated once.
  const std::vector<os::FindEntry>& Entries(const wstring& folder) {
    const auto found = listings_.find(folder);
    if (found != listings_.end()) {
      return found->second;
    }
    std::vector<os::FindEntry> entries;
    fs_.Find(medium_ + folder + L"*", entries);
    return listings_.emplace(folder, std::move(entries)).first->second;
  }

  // True when every part of the relative path is there under exactly its name (the installer
  // and the complex name their files so; a disc made elsewhere may not keep letter case).
  // Otherwise one finding: for the first part missing or named otherwise, once per folder.
  bool ExactlyThere(const wstring& relative, bool folder = false) {
    wstring parent;
    std::size_t start = 0;
    for (;;) {
      const std::size_t end = relative.find(L'\\', start);
      const bool last = end == wstring::npos;
      const wstring name = relative.substr(start, last ? wstring::npos : end - start);
      const wstring path = parent + name;
      const bool wantFolder = !last || folder;
      const os::FindEntry* other = nullptr;
      bool exact = false;
      for (const os::FindEntry& entry : Entries(parent)) {
        // A link is not followed: what it leads to is not the medium's (Manifest names it).
        if (ManifestKey(entry.name) == ManifestKey(name) &&
            (entry.attributes & os::attr::kReparsePoint) == 0 &&
            ((entry.attributes & os::attr::kDirectory) != 0) == wantFolder) {
          exact = exact || entry.name == name;
          other = &entry;
        }
      }
      if (!exact) {
        if (reported_.insert(ManifestKey(path)).second) {
          const wchar_t* kind = wantFolder ? L"папки" : L"файла";
          Finding(other != nullptr ? L"Имя " + wstring(kind) + L" " + Quoted(parent + other->name) +
                                         L" отличается регистром букв от " + Quoted(path) + L"."
                                   : L"Нет " + wstring(kind) + L" " + Quoted(path) + L".");
        }
        return false;
      }
      if (last) {
        return true;
      }
      parent = path + L"\\";
      start = end + 1;
    }
  }

  void Set(const wstring& folder, std::span<const std::wstring_view> names) {
    for (const std::wstring_view name : names) {
      ExactlyThere(folder + wstring(name));
    }
  }

  void FileSets() {
    using namespace layout;
    const wstring firebird(kFirebirdFolder);
    ExactlyThere(wstring(kDatabaseFolder) + wstring(kDatabaseFile));
    Set(firebird, kServerFilesFamily0);
    for (const std::wstring_view name : kServerFilesFamily1) {
      if (std::find(std::begin(kServerFilesFamily0), std::end(kServerFilesFamily0), name) ==
          std::end(kServerFilesFamily0)) {
        ExactlyThere(firebird + wstring(name));
      }
    }
    Set(firebird + wstring(kInternationalFolder), kInternationalFiles);
    Set(firebird + wstring(kServerFunctionFolder), kServerFunctionFiles);
    Set(wstring(kComplexFunctionFolder), kComplexFunctionFiles);
  }

  // Each font the installation would take: a file whose name table gives a title.
  void Fonts() {
    for (const std::wstring_view name : kFontFiles) {
      const wstring relative = wstring(layout::kFontsFolder) + wstring(name);
      if (ExactlyThere(relative) &&
          FontTitleFromNameTable(ReadFontFile(fs_, medium_ + relative)).empty()) {
        Finding(L"Файл " + Quoted(relative) +
                L" не является шрифтом TrueType: в нём нет названия шрифта.");
      }
    }
  }

  void DriverPackageAndInstallers() {
    const wstring usbprep = wstring(layout::kUsbprepFolder) + L"\\";
    for (const wchar_t* name : {L"Usbprep.exe", L"DPInst32.exe", L"DPInst64.exe", L"DPInstIA64.exe",
                                L"Package\\ftdibus.inf", L"Package\\ftdiport.inf"}) {
      ExactlyThere(usbprep + name);
    }
    ExactlyThere(L"Install.exe");
    ExactlyThere(L"InstallCli.exe");
  }

  // The sets as the release step will see them once copied: their names must end in the date,
  // and the newest is the one that runs.
  void ReleaseSets() {
    const wstring backup(layout::kBackupFolder);
    if (!ExactlyThere(backup, true)) {
      return;
    }
    std::vector<wstring> sets;
    ListSubFolders(fs_, medium_ + backup + L"\\", sets);
    if (sets.empty()) {
      Finding(L"В папке " + Quoted(backup) + L" нет ни одного выпуска программ.");
      return;
    }
    bool named = true;
    for (const wstring& set : sets) {
      if (!ReleaseDateKey(set)) {
        named = false;
        Finding(L"Имя папки выпуска " + Quoted(set.substr(medium_.size())) +
                L" не оканчивается датой выпуска из шести цифр (ДДММГГ).");
      }
    }
    if (!named) {
      return;
    }
    const std::size_t chosen = ChooseReleaseSet(platform_.locale, sets, medium_ + backup + L"\\");
    const wstring set = sets[chosen].substr(medium_.size());
    report_.releaseSet = set.substr(set.find_last_of(L'\\') + 1);
    if (!FileExists(fs_, sets[chosen] + L"\\Install.cmd")) {
      Finding(L"В выпуске " + Quoted(set) + L", который будет запущен, нет файла \"Install.cmd\".");
    }
  }

  void ReleaseInfo() {
    const wstring updater = wstring(layout::kUpdaterFolder) + L"\\";
    if (!ExactlyThere(updater + wstring(layout::kReleaseInfoFile))) {
      return;
    }
    try {
      CheckReleaseInfo(fs_, platform_.xml, medium_ + updater);
    } catch (const OperatorError& error) {
      Finding(L"Файл " + Quoted(updater + wstring(layout::kReleaseInfoFile)) + L" не годится: " +
              WithClosingFullStop(error.Message()));
    }
  }

  void Manifest() {
    const wstring name(kManifestFile);
    // The medium as enumerated, links and junctions not entered: each file by its key, with
    // its name as the medium has it.
    std::vector<wstring> links;
    const std::vector<wstring> files = MediumFiles(fs_, medium_, &links);
    std::vector<wstring> linkKeys;
    for (const wstring& link : links) {
      Finding(L"На носителе есть ссылка " + Quoted(link) +
              L" (символическая ссылка или точка соединения): она не проверяется, носителю "
              L"она не нужна.");
      linkKeys.push_back(ManifestKey(link));
    }
    std::optional<MediumManifest> manifest;
    try {
      manifest = ReadMediumManifest(fs_, medium_);
    } catch (const MediumFileError& error) {
      Finding(WithClosingFullStop(error.Message()));
      return;
    }
    if (!manifest) {
      Finding(L"Нет файла контрольных сумм " + Quoted(name) +
              L": содержимое файлов носителя не проверено.");
      return;
    }
    std::unordered_map<wstring, const wstring*> onMedium;
    for (const wstring& file : files) {
      onMedium.emplace(ManifestKey(file), &file);
    }
    CheckProgress progress{0, manifest->Entries().size(), 0};
    for (const ManifestEntry& entry : manifest->Entries()) {
      ++progress.filesDone;
      const wstring key = ManifestKey(entry.path);
      const auto found = onMedium.find(key);
      if (found == onMedium.end()) {
        if (!Below(key, linkKeys)) {
          Finding(L"Нет файла " + Quoted(entry.path) + L", указанного в " + name + L".");
        }
        Progress(progress);
        continue;
      }
      const wstring& actual = *found->second;
      if (actual != entry.path) {
        OtherCaseInManifest(entry.path, actual);
      }
      wstring error;
      const std::uint64_t before = progress.bytes;
      const std::optional<os::Sha256Digest> digest =
          FileDigest(fs_, platform_.crypto, medium_ + actual, error, [&](std::uint64_t bytes) {
            progress.bytes = before + bytes;
            Progress(progress);
          });
      if (!digest) {
        Finding(L"Файл " + Quoted(actual) + L" не удаётся проверить: " +
                WithClosingFullStop(error));
      } else if (*digest != entry.digest) {
        Finding(L"Файл " + Quoted(actual) +
                L" повреждён: его содержимое не совпадает с контрольной суммой в " + name + L".");
      } else {
        ++report_.filesVerified;
      }
      Progress(progress);
    }
    for (const wstring& file : files) {
      if (manifest->Find(file) == nullptr) {
        Finding(L"Файл " + Quoted(file) + L" не указан в " + name + L".");
      }
    }
  }

  // A name the manifest spells in other letter case than the medium: named once, by its first
  // part that differs (a folder for all of its files).
  void OtherCaseInManifest(const wstring& listed, const wstring& actual) {
    std::size_t end = 0;
    while (end < listed.size() && listed[end] == actual[end]) {
      ++end;
    }
    end = listed.find(L'\\', end);
    const bool folder = end != wstring::npos;
    const wstring part = listed.substr(0, end);
    if (otherCase_.insert(ManifestKey(part)).second) {
      Finding(L"Имя " + wstring(folder ? L"папки " : L"файла ") + Quoted(part) + L" в " +
              wstring(kManifestFile) + L" отличается регистром букв от имени на носителе " +
              Quoted(actual.substr(0, part.size())) +
              L": sha256sum -c на записанном диске не найдёт " +
              (folder ? L"файлов в ней." : L"этот файл."));
    }
  }

  void Progress(const CheckProgress& progress) {
    if (onProgress_) {
      onProgress_(progress);
    }
  }

  // Whether the key names one of the links or lies below one.
  static bool Below(const wstring& key, const std::vector<wstring>& linkKeys) {
    return std::any_of(linkKeys.begin(), linkKeys.end(), [&](const wstring& link) {
      return key == link || key.starts_with(link + L"\\");
    });
  }

  os::Platform& platform_;
  os::IFileSystem& fs_;
  const wstring medium_;
  const CheckProgressFn& onProgress_;
  MediumReport report_;
  std::map<wstring, std::vector<os::FindEntry>> listings_;
  std::set<wstring> reported_;
  std::set<wstring> otherCase_;  // names of the manifest already found in other letter case
};

}  // namespace

MediumReport CheckMedium(os::Platform& platform, const std::wstring& medium,
                         const CheckProgressFn& onProgress) {
  return Checker(platform, medium, onProgress).Run();
}

}  // namespace engine
