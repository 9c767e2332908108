#pragma once
// The complex as Windows knows it: the entry "Virelta" of the system's list of installed programs
// ("Programs and Features", winget, deployment tools), written after a complete installation and
// removed by the uninstaller. Under HKEY_LOCAL_MACHINE, in the 32-bit view that a 32-bit program
// writes, when the user may write there; otherwise under HKEY_CURRENT_USER.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "os/Registry.h"

namespace engine {

inline constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Virelta";
// The uninstaller the installation puts into the target folder (from the medium's root), and the
// argument of its quiet run.
inline constexpr std::wstring_view kUninstallerFile = L"Uninstall.exe";
inline constexpr std::wstring_view kQuietArgument = L"/quiet";

struct UninstallEntry {
  std::wstring DisplayName;     // the complex's Russian name and its product name
  std::wstring DisplayVersion;  // the release level that ran, as "15.06.12"
  std::wstring Publisher;       // the maker, from the contacts file
  std::wstring HelpLink;
  std::wstring HelpTelephone;
  std::wstring URLInfoAbout;
  std::wstring InstallLocation;     // the target folder, ending in "\"
  std::wstring InstallSource;       // the medium's folder the installation ran from
  std::wstring InstallDate;         // yyyymmdd
  std::uint32_t EstimatedSize = 0;  // KiB
  std::wstring DisplayIcon;
  std::wstring UninstallString;       // "\"<folder>Uninstall.exe\""
  std::wstring QuietUninstallString;  // the same with " /quiet"
  // Where the entry was found or written.
  os::RegistryRoot root = os::RegistryRoot::kLocalMachine;
};

// The entry an installation into `target` writes, with the values that do not depend on the run
// (name, maker, links, location, uninstaller, icon).
UninstallEntry MakeUninstallEntry(const std::wstring& target, const std::wstring& productName,
                                  const std::wstring& productDescription,
                                  const std::wstring& mainProgram);

// A release level "150612" (day, month, year) as a version Windows shows: "15.06.12"; any other
// text as it stands.
std::wstring ReadableReleaseLevel(const std::wstring& level);

// Writes every value, DisplayName last: a run stopped half-way leaves an entry that the system's
// list does not show (it shows none without a name), and the next run completes it. Tries
// HKEY_LOCAL_MACHINE, then HKEY_CURRENT_USER; sets entry.root to where it went. kSuccess or the
// error of the last place tried.
os::ErrorCode WriteUninstallEntry(os::IRegistry& registry, UninstallEntry& entry);

// The entry as it is written under `root`, or nothing when there is none (or none with a name).
std::optional<UninstallEntry> ReadUninstallEntry(os::IRegistry& registry, os::RegistryRoot root);
// The entry under HKEY_LOCAL_MACHINE, else under HKEY_CURRENT_USER.
std::optional<UninstallEntry> ReadUninstallEntry(os::IRegistry& registry);

// Removes the entry under `root`; kSuccess also when it is not there.
os::ErrorCode RemoveUninstallEntry(os::IRegistry& registry, os::RegistryRoot root);

}  // namespace engine
