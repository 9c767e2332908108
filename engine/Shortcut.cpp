#include "engine/Shortcut.h"

#include "Error.h"

namespace engine {
namespace {

constexpr wchar_t kExplorerKey[] = L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
constexpr wchar_t kShellFolders[] = L"Shell Folders";
constexpr wchar_t kGrpConvKey[] = L"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv";
constexpr wchar_t kMapGroups[] = L"MapGroups";

// The part of a path up to and including its last "\" or ":" (empty when it has neither).
std::wstring FolderPart(const std::wstring& path) {
  const auto delimiter = path.find_last_of(L"\\:");
  return delimiter == std::wstring::npos ? std::wstring() : path.substr(0, delimiter + 1);
}

std::wstring NamePart(const std::wstring& path) {
  const auto delimiter = path.find_last_of(L"\\:");
  return delimiter == std::wstring::npos ? path : path.substr(delimiter + 1);
}

// The string value `name` of the sub-key `subKey` of a key that is opened, and created when
// missing, with full access. Empty when anything on the way is missing or unreadable.
std::wstring ReadBelowCreatedKey(os::IRegistry& registry, const wchar_t* key, const wchar_t* subKey,
                                 const wchar_t* name) {
  os::ErrorCode error = os::error::kSuccess;
  const auto opened =
      registry.CreateKey(os::RegistryRoot::kCurrentUser, key, os::keyaccess::kAllAccess, error);
  if (!opened || name == nullptr) {
    return {};
  }
  const auto sub = opened->OpenSubKey(subKey, os::keyaccess::kRead, error);
  std::wstring value;
  if (!sub || sub->ReadString(name, value) != os::error::kSuccess) {
    return {};
  }
  return value;
}

}  // namespace

std::wstring ShortcutFileName(const std::wstring& FileName, const std::wstring& LinkName) {
  std::wstring name = LinkName.empty() ? FileName : LinkName;
  const auto delimiter = name.find_last_of(L".\\:");
  if (delimiter != std::wstring::npos && name[delimiter] == L'.') {
    name.erase(delimiter);
  }
  name += L".lnk";
  return NamePart(name);
}

std::wstring ShortcutFolder(os::IRegistry& registry, ShortcutLocation Location,
                            const std::wstring& SubFolder) {
  switch (Location) {
    case ShortcutLocation::QuickLaunch:
      return ReadBelowCreatedKey(registry, kGrpConvKey, kMapGroups, L"Quick Launch");
    case ShortcutLocation::Desktop:
      return ReadBelowCreatedKey(registry, kExplorerKey, kShellFolders, L"Desktop");
    case ShortcutLocation::SendTo:
      return ReadBelowCreatedKey(registry, kExplorerKey, kShellFolders, L"SendTo");
    case ShortcutLocation::StartMenu:
      return ReadBelowCreatedKey(registry, kExplorerKey, kShellFolders, L"Start Menu");
    case ShortcutLocation::OtherFolder:
      // The Explorer key is opened (and created) here too, though nothing is read from it.
      ReadBelowCreatedKey(registry, kExplorerKey, kShellFolders, nullptr);
      return SubFolder;
  }
  return {};
}

void CreateShortcut(os::Platform& platform, const std::wstring& FileName, ShortcutLocation Location,
                    const std::wstring& SubFolder, const std::wstring& WorkingFolder,
                    const std::wstring& Arguments, const std::wstring& Description,
                    const std::wstring& LinkName, std::wstring& LinkFile) {
  std::wstring error;
  const auto link = platform.shellLinks.Create(error);
  if (!link) {
    throw OperatorError(error);
  }
  // The shell accepts or refuses each part on its own; a refused one simply stays unset.
  link->SetPath(FileName);
  link->SetArguments(Arguments);
  link->SetDescription(Description);

  const std::wstring fileName = ShortcutFileName(FileName, LinkName);
  const std::wstring folder = ShortcutFolder(platform.registry, Location, SubFolder);
  if (folder.empty()) {
    return;
  }
  const std::wstring linkPath = !SubFolder.empty() && Location != ShortcutLocation::OtherFolder
                                    ? folder + L"\\" + SubFolder + L"\\" + fileName
                                    : folder + L"\\" + fileName;
  link->SetWorkingDirectory(WorkingFolder.empty() ? FolderPart(FileName) : WorkingFolder);
  // A shortcut that cannot be written is not worth stopping for: the program is installed.
  link->Save(linkPath, false);
  LinkFile = linkPath;
}

void CreateDesktopShortcut(os::Platform& platform, const std::wstring& targetPath,
                           const std::wstring& mainProgram, const std::wstring& productDescription,
                           const std::wstring& productName) {
  std::wstring linkFile;
  CreateShortcut(platform, targetPath + mainProgram, ShortcutLocation::Desktop, L"", L"", L"",
                 productDescription + L" \"" + productName + L"\"", productName, linkFile);
}

}  // namespace engine
