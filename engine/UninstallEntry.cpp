#include "engine/UninstallEntry.h"

#include <cwctype>
#include <utility>

#include "engine/MakerContacts.h"

namespace engine {
namespace {

constexpr std::uint32_t kWriteAccess =
    os::keyaccess::kQueryValue | os::keyaccess::kSetValue | os::keyaccess::kView32;
constexpr std::uint32_t kReadAccess = os::keyaccess::kRead | os::keyaccess::kView32;

// The string values in the order they are written; DisplayName, which makes the entry visible,
// is written apart, last.
using StringField = std::wstring UninstallEntry::*;
constexpr std::pair<const wchar_t*, StringField> kStrings[] = {
    {L"DisplayVersion", &UninstallEntry::DisplayVersion},
    {L"Publisher", &UninstallEntry::Publisher},
    {L"HelpLink", &UninstallEntry::HelpLink},
    {L"HelpTelephone", &UninstallEntry::HelpTelephone},
    {L"URLInfoAbout", &UninstallEntry::URLInfoAbout},
    {L"InstallLocation", &UninstallEntry::InstallLocation},
    {L"InstallSource", &UninstallEntry::InstallSource},
    {L"InstallDate", &UninstallEntry::InstallDate},
    {L"DisplayIcon", &UninstallEntry::DisplayIcon},
    {L"UninstallString", &UninstallEntry::UninstallString},
    {L"QuietUninstallString", &UninstallEntry::QuietUninstallString},
};

os::ErrorCode WriteUnder(os::IRegistry& registry, os::RegistryRoot root,
                         const UninstallEntry& entry) {
  os::ErrorCode error = os::error::kSuccess;
  const auto key = registry.CreateKey(root, kUninstallKey, kWriteAccess, error);
  if (!key) {
    return error;
  }
  for (const auto& [name, field] : kStrings) {
    if ((error = key->WriteString(name, entry.*field)) != os::error::kSuccess) {
      return error;
    }
  }
  for (const auto& [name, value] : {std::pair{L"EstimatedSize", entry.EstimatedSize},
                                    std::pair{L"NoModify", 1u}, std::pair{L"NoRepair", 1u}}) {
    if ((error = key->WriteNumber(name, value)) != os::error::kSuccess) {
      return error;
    }
  }
  if ((error = key->WriteString(L"DisplayName", entry.DisplayName)) != os::error::kSuccess) {
    return error;
  }
  return key->Flush();
}

}  // namespace

UninstallEntry MakeUninstallEntry(const std::wstring& target, const std::wstring& productName,
                                  const std::wstring& productDescription,
                                  const std::wstring& mainProgram) {
  UninstallEntry entry;
  entry.DisplayName = productDescription + L" \u00AB" + productName + L"\u00BB";
  entry.Publisher = std::wstring(contacts::kMaker);
  entry.HelpLink = std::wstring(contacts::kWeb);
  entry.HelpTelephone = std::wstring(contacts::kPhone);
  entry.URLInfoAbout = std::wstring(contacts::kWeb);
  entry.InstallLocation = target;
  entry.DisplayIcon = target + mainProgram;
  const std::wstring uninstaller = L"\"" + target + std::wstring(kUninstallerFile) + L"\"";
  entry.UninstallString = uninstaller;
  entry.QuietUninstallString = uninstaller + L" " + std::wstring(kQuietArgument);
  return entry;
}

std::wstring ReadableReleaseLevel(const std::wstring& level) {
  if (level.size() != 6) {
    return level;
  }
  for (const wchar_t c : level) {
    if (c < L'0' || c > L'9') {
      return level;
    }
  }
  return level.substr(0, 2) + L"." + level.substr(2, 2) + L"." + level.substr(4, 2);
}

os::ErrorCode WriteUninstallEntry(os::IRegistry& registry, UninstallEntry& entry) {
  os::ErrorCode error = os::error::kSuccess;
  for (const os::RegistryRoot root :
       {os::RegistryRoot::kLocalMachine, os::RegistryRoot::kCurrentUser}) {
    if ((error = WriteUnder(registry, root, entry)) == os::error::kSuccess) {
      entry.root = root;
      return error;
    }
  }
  return error;
}

std::optional<UninstallEntry> ReadUninstallEntry(os::IRegistry& registry, os::RegistryRoot root) {
  os::ErrorCode error = os::error::kSuccess;
  const auto key = registry.OpenKey(root, kUninstallKey, kReadAccess, error);
  if (!key) {
    return std::nullopt;
  }
  UninstallEntry entry;
  entry.root = root;
  if (key->ReadString(L"DisplayName", entry.DisplayName) != os::error::kSuccess) {
    return std::nullopt;
  }
  for (const auto& [name, field] : kStrings) {
    key->ReadString(name, entry.*field);
  }
  key->ReadNumber(L"EstimatedSize", entry.EstimatedSize);
  return entry;
}

std::optional<UninstallEntry> ReadUninstallEntry(os::IRegistry& registry) {
  if (auto entry = ReadUninstallEntry(registry, os::RegistryRoot::kLocalMachine)) {
    return entry;
  }
  return ReadUninstallEntry(registry, os::RegistryRoot::kCurrentUser);
}

os::ErrorCode RemoveUninstallEntry(os::IRegistry& registry, os::RegistryRoot root) {
  const os::ErrorCode error = registry.DeleteKey(root, kUninstallKey, os::keyaccess::kView32);
  return error == os::error::kFileNotFound ? os::error::kSuccess : error;
}

}  // namespace engine
