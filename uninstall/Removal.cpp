#include "uninstall/Removal.h"

#include <algorithm>
#include <set>

#include "engine/FileOperations.h"
#include "engine/PackageLayout.h"
#include "engine/Shortcut.h"
#include "engine/TargetFolder.h"
#include "text/NameCase.h"

namespace uninstall {
namespace {

using engine::FileState;
using std::wstring;

constexpr wchar_t kWhyData[] = L"база данных клиники и её копии";
constexpr wchar_t kWhySettings[] = L"настройки комплекса";
constexpr wchar_t kWhyForeign[] = L"этот файл не устанавливался программой установки";
constexpr wchar_t kWhyChanged[] = L"файл изменён после установки";
constexpr wchar_t kWhyLink[] = L"ссылка: то, на что она указывает, не трогается";
constexpr wchar_t kWhyUnreadable[] = L"файл не удалось прочитать";
constexpr wchar_t kWhyInUse[] = L"файл занят другой программой";

wstring WithSeparator(wstring path) {
  if (path.empty() || path.back() != L'\\') {
    path += L'\\';
  }
  return path;
}

bool Under(const wstring& path, const wstring& folder) {
  return text::FoldNameCase(path).starts_with(text::FoldNameCase(folder));
}

// The system's own folders: its root folders for programs, users and their data.
bool IsSystemFolder(os::Platform& platform, const wstring& folder) {
  if (const auto windows = platform.system.WindowsDirectory()) {
    if (Under(folder, WithSeparator(platform.fs.FullPath(*windows)))) {
      return true;
    }
  }
  const std::size_t rootEnd = folder.find(L'\\');
  if (rootEnd == wstring::npos) {
    return false;
  }
  const wstring below = text::FoldNameCase(folder.substr(rootEnd + 1));
  for (const wchar_t* name : {L"Program Files\\", L"Program Files (x86)\\", L"Users\\",
                              L"ProgramData\\", L"Documents and Settings\\", L"Windows\\"}) {
    if (below == text::FoldNameCase(name)) {
      return true;
    }
  }
  return false;
}

wstring WhyKept(const wstring& relative) {
  const wstring folded = text::FoldNameCase(relative);
  return folded.starts_with(text::FoldNameCase(engine::layout::kDatabaseFolder)) ? kWhyData
                                                                                 : kWhySettings;
}

// Whether a folder on the way from `folder` to the file is a link or junction: what lies behind
// it is elsewhere, and never the kit's to remove.
bool BehindLink(os::IFileSystem& fs, const wstring& folder, const wstring& relative) {
  for (std::size_t cut = relative.find(L'\\'); cut != wstring::npos;
       cut = relative.find(L'\\', cut + 1)) {
    const std::uint32_t attributes = fs.GetAttributes(folder + relative.substr(0, cut));
    if (attributes != os::attr::kInvalid && (attributes & engine::kReparsePoint) != 0) {
      return true;
    }
  }
  return false;
}

bool IsInUse(os::ErrorCode error) {
  return error == os::error::kSharingViolation || error == os::error::kAccessDenied;
}

}  // namespace

Prepared PlanRemoval(os::Platform& platform, const wstring& given, const wstring& productName) {
  os::IFileSystem& fs = platform.fs;
  Prepared prepared;
  const wstring folder = WithSeparator(fs.FullPath(given));
  const auto refuse = [&](const wstring& why) {
    prepared.refusal = L"Папка \"" + folder + L"\" " + why;
    return prepared;
  };
  if (engine::NamesDriveRoot(folder)) {
    return refuse(L"— корень диска: из неё ничего не удаляется.");
  }
  if (IsSystemFolder(platform, folder)) {
    return refuse(L"— папка Windows: из неё ничего не удаляется.");
  }
  const std::uint32_t attributes = fs.GetAttributes(folder);
  if (attributes == os::attr::kInvalid || (attributes & os::attr::kDirectory) == 0) {
    return refuse(L"не найдена.");
  }
  if ((attributes & engine::kReparsePoint) != 0) {
    return refuse(L"— ссылка на другую папку: из неё ничего не удаляется.");
  }
  std::optional<engine::UninstallEntry> entry;
  for (const os::RegistryRoot root :
       {os::RegistryRoot::kLocalMachine, os::RegistryRoot::kCurrentUser}) {
    auto found = engine::ReadUninstallEntry(platform.registry, root);
    if (found &&
        text::FoldNameCase(WithSeparator(found->InstallLocation)) == text::FoldNameCase(folder)) {
      entry = std::move(found);
      break;
    }
  }
  if (!entry) {
    return refuse(L"не записана в Windows как папка установленного комплекса: удалять нечего.");
  }
  wstring error;
  auto record = engine::ReadInstalledFiles(fs, folder, error);
  if (!record) {
    return refuse(error.empty() ? L"не содержит списка установленных файлов " +
                                      wstring(engine::kInstalledFilesRecord) + L"."
                                : L"— список установленных файлов не читается: " + error);
  }

  Plan plan;
  plan.folder = folder;
  plan.entry = std::move(*entry);
  plan.record = std::move(*record);
  std::set<wstring> recorded;
  for (const engine::InstalledFile& file : plan.record.files) {
    recorded.insert(text::FoldNameCase(file.path));
    if (BehindLink(fs, folder, file.path)) {
      plan.keep.push_back({file.path, kWhyLink});
      continue;
    }
    switch (engine::CompareInstalledFile(fs, platform.crypto, folder, file)) {
      case FileState::kSame:
        plan.remove.push_back(file.path);
        break;
      case FileState::kChanged:
        plan.keep.push_back({file.path, kWhyChanged});
        break;
      case FileState::kUnreadable:
        plan.keep.push_back({file.path, kWhyUnreadable});
        break;
      case FileState::kMissing:
        break;
    }
  }
  for (const engine::FoundFile& found : engine::FilesBelow(fs, folder)) {
    if ((found.entry.attributes & engine::kReparsePoint) != 0) {
      plan.keep.push_back({found.path, kWhyLink});
    } else if (engine::IsClinicData(found.path)) {
      if (text::FoldNameCase(found.path) != text::FoldNameCase(engine::kInstalledFilesRecord)) {
        plan.keep.push_back({found.path, WhyKept(found.path)});
      }
    } else if (recorded.count(text::FoldNameCase(found.path)) == 0) {
      plan.keep.push_back({found.path, kWhyForeign});
    }
  }
  const wstring desktop =
      engine::ShortcutFolder(platform.registry, engine::ShortcutLocation::Desktop, L"");
  if (!desktop.empty()) {
    const wstring link =
        WithSeparator(desktop) + engine::ShortcutFileName(productName, productName);
    if (engine::FileExists(fs, link)) {
      plan.shortcut = link;
    }
  }
  prepared.plan = std::move(plan);
  return prepared;
}

Outcome CarryOut(os::Platform& platform, const Plan& plan, const wstring& selfFile) {
  os::IFileSystem& fs = platform.fs;
  Outcome outcome;
  outcome.kept = plan.keep;
  engine::InstalledFiles left;
  left.mediumDigest = plan.record.mediumDigest;
  std::set<wstring> folders;
  const auto keepInRecord = [&](const wstring& relative) {
    for (const engine::InstalledFile& file : plan.record.files) {
      if (file.path == relative) {
        left.files.push_back(file);
      }
    }
  };
  for (const wstring& relative : plan.remove) {
    for (std::size_t cut = relative.find(L'\\'); cut != wstring::npos;
         cut = relative.find(L'\\', cut + 1)) {
      folders.insert(relative.substr(0, cut + 1));
    }
    if (!selfFile.empty() && text::FoldNameCase(relative) == text::FoldNameCase(selfFile)) {
      outcome.selfLeft = true;
      continue;
    }
    const wstring path = plan.folder + relative;
    const std::uint32_t attributes = fs.GetAttributes(path);
    if (attributes != os::attr::kInvalid && (attributes & os::attr::kReadOnly) != 0) {
      fs.SetAttributes(path, attributes & ~os::attr::kReadOnly);
    }
    const os::ErrorCode error = fs.RemoveFile(path);
    if (error == os::error::kSuccess || error == os::error::kFileNotFound) {
      outcome.removed.push_back(relative);
    } else {
      if (attributes != os::attr::kInvalid) {
        fs.SetAttributes(path, attributes);
      }
      outcome.kept.push_back({relative, IsInUse(error) ? wstring(kWhyInUse) : fs.ErrorText(error)});
      keepInRecord(relative);
    }
  }
  if (!plan.shortcut.empty()) {
    fs.RemoveFile(plan.shortcut);
  }
  outcome.complete = left.files.empty();
  if (outcome.complete) {
    fs.RemoveFile(plan.folder + wstring(engine::kInstalledFilesRecord));
    engine::RemoveUninstallEntry(platform.registry, plan.entry.root);
  } else {
    // A second run removes what this one could not: the record lists just that.
    engine::WriteInstalledFiles(fs, plan.folder, left);
  }
  // The deepest first; a folder that still holds anything stays.
  std::vector<wstring> emptied(folders.begin(), folders.end());
  std::sort(emptied.begin(), emptied.end(),
            [](const wstring& a, const wstring& b) { return a.size() > b.size(); });
  for (const wstring& relative : emptied) {
    fs.RemoveFolder(plan.folder + relative);
  }
  if (!outcome.selfLeft) {
    fs.RemoveFolder(plan.folder);
  }
  return outcome;
}

std::vector<wstring> DescribePlan(const Plan& plan) {
  std::vector<wstring> lines;
  lines.push_back(L"Будет удалено из папки " + plan.folder + L": файлов комплекса — " +
                  std::to_wstring(plan.remove.size()) +
                  (plan.shortcut.empty() ? L"" : L", ярлык на рабочем столе") +
                  L", запись в списке программ Windows.");
  lines.push_back(
      L"Останутся (не удаляются никогда): база данных клиники и все её копии, "
      L"настройки, шрифты (ими пользуются другие программы) и драйвер USB "
      L"(им пользуются другие устройства).");
  if (!plan.keep.empty()) {
    lines.push_back(L"Останутся в папке:");
    for (const KeptFile& kept : plan.keep) {
      lines.push_back(L"  " + kept.path + L" — " + kept.why);
    }
  }
  return lines;
}

std::vector<wstring> DescribeOutcome(const Plan& plan, const Outcome& outcome) {
  std::vector<wstring> lines;
  lines.push_back(outcome.complete
                      ? L"Комплекс удалён. Удалено файлов: " +
                            std::to_wstring(outcome.removed.size() + (outcome.selfLeft ? 1 : 0)) +
                            L"."
                      : L"Комплекс удалён не полностью: часть файлов занята. Закройте "
                        L"программы комплекса и запустите удаление ещё раз.");
  if (!outcome.kept.empty()) {
    lines.push_back(L"Оставлено в папке " + plan.folder + L":");
    for (const KeptFile& kept : outcome.kept) {
      lines.push_back(L"  " + kept.path + L" — " + kept.why);
    }
  }
  return lines;
}

}  // namespace uninstall
