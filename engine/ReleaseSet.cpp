#include "engine/ReleaseSet.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "Error.h"
#include "engine/FileOperations.h"
#include "engine/PackageLayout.h"
#include "engine/ProgramLaunch.h"

namespace engine {
namespace {

constexpr wchar_t kScriptName[] = L"\\Install.cmd";

std::wstring FolderName(const std::wstring& folder) {
  const std::size_t separator = folder.find_last_of(L'\\');
  return separator == std::wstring::npos ? folder : folder.substr(separator + 1);
}

// Makes the target the current folder again when the step ends, however it ends. A failure to
// change it is of no consequence to the installation and is ignored.
class CurrentFolderRestore {
 public:
  CurrentFolderRestore(os::IProcesses& processes, std::wstring folder)
      : processes_(processes), folder_(std::move(folder)) {}
  CurrentFolderRestore(const CurrentFolderRestore&) = delete;
  CurrentFolderRestore& operator=(const CurrentFolderRestore&) = delete;
  ~CurrentFolderRestore() { processes_.SetCurrentFolder(folder_); }

 private:
  os::IProcesses& processes_;
  std::wstring folder_;
};

// COM for the calling thread during one operation; released only when this call took it.
class ComScope {
 public:
  explicit ComScope(os::IXml& xml) : xml_(xml), initialized_(xml.ComInitialize() >= 0) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (initialized_) {
      xml_.ComUninitialize();
    }
  }

 private:
  os::IXml& xml_;
  bool initialized_;
};

// A failure inside the document work; reported after the common prefix.
[[noreturn]] void Fail(const std::wstring& reason) {
  throw OperatorError(reason);
}

std::unique_ptr<os::IXmlNode> SelectChild(os::IXmlNode& node, const std::wstring& xpath) {
  std::unique_ptr<os::IXmlNode> found;
  std::wstring error;
  if (!node.SelectSingleNode(xpath, found, error)) {
    Fail(L"ошибка выбора узла \"" + xpath + L"\": " + error);
  }
  return found;
}

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// The version as an integer: optional blanks, an optional sign, decimal digits; nothing else.
std::optional<std::int64_t> ParseVersion(const std::wstring& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) {
    ++begin;
  }
  while (end > begin && IsBlank(text[end - 1])) {
    --end;
  }
  bool negative = false;
  if (begin < end && (text[begin] == L'+' || text[begin] == L'-')) {
    negative = text[begin] == L'-';
    ++begin;
  }
  if (begin == end || end - begin > 10) {
    return std::nullopt;
  }
  std::int64_t value = 0;
  for (std::size_t i = begin; i < end; ++i) {
    if (text[i] < L'0' || text[i] > L'9') {
      return std::nullopt;
    }
    value = value * 10 + (text[i] - L'0');
  }
  return negative ? -value : value;
}

// The document loaded and its ROOT, after Version has been read as 1 (a missing one as 0).
struct ReleaseDocument {
  std::unique_ptr<os::IXmlDocument> document;
  std::unique_ptr<os::IXmlNode> root;
};

ReleaseDocument LoadReleaseDocument(os::IXml& xml, const std::wstring& path) {
  std::wstring error;
  ReleaseDocument loaded;
  loaded.document = xml.CreateDocument(error);
  if (!loaded.document) {
    Fail(L"не удалось создать документ XML: " + error);
  }
  os::XmlLoadError loadError;
  if (!loaded.document->Load(path, loadError)) {
    Fail(loadError.line > 0 ? L"ошибка разбора файла в строке " + std::to_wstring(loadError.line) +
                                  L": " + loadError.reason
                            : L"не удалось загрузить файл: " + loadError.reason);
  }
  std::unique_ptr<os::IXmlNode> element;
  if (!loaded.document->DocumentElement(element, error)) {
    Fail(L"ошибка чтения корневого элемента: " + error);
  }
  loaded.root = element ? SelectChild(*element, L"/ROOT") : nullptr;
  if (!loaded.root) {
    Fail(L"в файле нет корневого элемента ROOT");
  }
  std::int64_t version = 0;
  if (const auto versionNode = SelectChild(*loaded.root, L"Version")) {
    std::wstring text;
    if (!versionNode->GetTypedValue(text, error)) {
      Fail(L"ошибка чтения элемента Version: " + error);
    }
    const auto parsed = ParseVersion(text);
    if (!parsed) {
      Fail(L"версия \"" + text + L"\" не является целым числом");
    }
    version = *parsed;
  }
  if (version != 1) {
    Fail(kUnknownReleaseFileVersion);
  }
  return loaded;
}

void WriteLevel(os::IXml& xml, const std::wstring& path, const std::wstring& level) {
  std::wstring error;
  const ReleaseDocument loaded = LoadReleaseDocument(xml, path);
  const auto levelNode = SelectChild(*loaded.root, L"Level");
  if (!levelNode) {
    Fail(L"в файле нет элемента Level");
  }
  if (!levelNode->SetTypedValue(level, error)) {
    Fail(L"ошибка записи элемента Level: " + error);
  }
  if (!loaded.document->Save(path, error)) {
    Fail(L"файл не сохранён: " + error);
  }
}

// Runs `work` with COM for the calling thread on a release information file that must exist;
// its failures come out after the common prefix.
template <typename Work>
void OnReleaseInfo(os::IFileSystem& fs, os::IXml& xml, const std::wstring& folder, Work work) {
  const ComScope com(xml);
  const std::wstring path = folder + std::wstring(layout::kReleaseInfoFile);
  if (!FileExists(fs, path)) {
    throw OperatorError(kReleaseInfoMissing);
  }
  try {
    work(path);
  } catch (const OperatorError& error) {
    throw OperatorError(kReleaseInfoFailurePrefix + error.Message());
  }
}

}  // namespace

std::optional<int> ReleaseDateKey(const std::wstring& folder) {
  if (folder.size() < 6) {
    return std::nullopt;
  }
  const std::wstring date = folder.substr(folder.size() - 6);
  if (!std::all_of(date.begin(), date.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; })) {
    return std::nullopt;
  }
  const std::wstring key = date.substr(4, 2) + date.substr(2, 2) + date.substr(0, 2);
  return std::stoi(key);
}

std::wstring ReleaseLevel(const std::wstring& folder) {
  const std::wstring name = FolderName(folder);
  return name.empty() ? name : name.substr(1);
}

std::size_t ChooseReleaseSet(os::ILocale& locale, std::vector<std::wstring>& sets,
                             const std::wstring& backup) {
  if (sets.empty()) {
    throw OperatorError(L"В папке \"" + backup +
                        L"\" нет ни одного выпуска программ: установка не может быть завершена");
  }
  std::stable_sort(sets.begin(), sets.end(), [&](const std::wstring& a, const std::wstring& b) {
    return locale.CompareIgnoreCase(a, b) < 0;
  });
  std::vector<int> keys;
  for (const std::wstring& set : sets) {
    const auto key = ReleaseDateKey(set);
    if (!key) {
      throw OperatorError(L"Имя папки выпуска \"" + FolderName(set) +
                          L"\" не оканчивается датой выпуска из шести цифр (ДДММГГ)");
    }
    keys.push_back(*key);
  }
  std::size_t chosen = 0;
  for (std::size_t i = 1; i < sets.size(); ++i) {
    if (keys[i] > keys[chosen]) {
      chosen = i;
    }
  }
  return chosen;
}

std::wstring ApplyLatestReleaseSet(os::Platform& platform, const std::wstring& targetPath) {
  const std::wstring backup = targetPath + std::wstring(layout::kBackupFolder) + L"\\";
  std::vector<std::wstring> sets;
  ListSubFolders(platform.fs, backup, sets);
  const std::size_t chosen = ChooseReleaseSet(platform.locale, sets, backup);
  {
    const CurrentFolderRestore restore(platform.processes, targetPath);
    platform.processes.SetCurrentFolder(sets[chosen] + L"\\");
    RunInFolderAndWait(platform.processes, sets[chosen] + kScriptName, L"", kShowHidden);
  }
  const std::wstring level = ReleaseLevel(sets[chosen]);
  UpdateReleaseLevel(platform.fs, platform.xml, targetPath, level);
  return level;
}

void UpdateReleaseLevel(os::IFileSystem& fs, os::IXml& xml, const std::wstring& folder,
                        const std::wstring& level) {
  OnReleaseInfo(fs, xml, folder, [&](const std::wstring& path) { WriteLevel(xml, path, level); });
}

void CheckReleaseInfo(os::IFileSystem& fs, os::IXml& xml, const std::wstring& folder) {
  OnReleaseInfo(fs, xml, folder, [&](const std::wstring& path) { LoadReleaseDocument(xml, path); });
}

}  // namespace engine
