#pragma once
// What the installer programs take from their own string table (resources/StringTable.rc) and
// their own file name: the proposed target folder, the edition and the source folder.
#include <string>
#include <string_view>

#include "os/Locale.h"
#include "os/System.h"
#include "engine/resources/StringTableIds.h"

namespace engine {

// The product name of the edition that also gets "btooth.ini".
inline constexpr std::wstring_view kEditionProductName = L"Тавола";

// Entry `id` of the running program's string table.
std::wstring InstallerString(os::ISystem& system, unsigned id);

// "C:\" + the short application name: C:\Virelta.
std::wstring DefaultTargetFolder(os::ISystem& system);

// True when the product name equals kEditionProductName in the user's locale without regard to
// letter case (both upper-cased, then compared exactly).
bool IsEditionProductName(os::ILocale& locale, std::wstring_view productName);

// IsEditionProductName of the program's own product name.
bool ReadEditionFlag(os::ISystem& system, os::ILocale& locale);

// The folder of the running program (the installation medium), ending in exactly one "\".
std::wstring InstallerFolder(os::ISystem& system);

}  // namespace engine
