#pragma once
// What the installation medium holds beside the installer and where it goes in the target
// folder: relative folder names (joined by plain concatenation, so the ones that name a folder
// to append to end in "\") and the file sets in the order they are copied and reported. Names
// keep their letter case: the progress lines show them as written here.
#include <span>
#include <string_view>

namespace engine::layout {

// Folders on the medium (relative to the installer's folder) and in the target folder.
inline constexpr std::wstring_view kDatabaseFolder = L"DTAfb\\";
inline constexpr std::wstring_view kFirebirdFolder = L"Firebird\\";  // medium only
inline constexpr std::wstring_view kInternationalFolder = L"intl\\";
inline constexpr std::wstring_view kServerFunctionFolder = L"udf\\";
inline constexpr std::wstring_view kComplexFunctionFolder = L"UDF\\";  // medium only
inline constexpr std::wstring_view kFontsFolder = L"fonts\\";          // medium only
// The three folders copied whole; given without "\" as the folder-tree copy takes them.
inline constexpr std::wstring_view kUsbprepFolder = L"Usbprep";
inline constexpr std::wstring_view kBackupFolder = L"backup";
inline constexpr std::wstring_view kUpdaterFolder = L"Updater";
// The driver package installer, in "Usbprep\" on both sides.
inline constexpr std::wstring_view kDriverInstaller = L"Usbprep.exe";
// The target's release sets folder as some older installations spell it: the same folder as
// "backup\" on Windows, where names do not differ by letter case.
inline constexpr std::wstring_view kBackupFolderOtherCase = L"Backup\\";
// What the updater's folder brings into the target folder that must stay writable there.
inline constexpr std::wstring_view kReleaseInfoFile = L"ReleaseInfo";
inline constexpr std::wstring_view kUpdaterSettingsFile = L"Updater.exe.cfg";

// The database, in "DTAfb\" on both sides.
inline constexpr std::wstring_view kDatabaseFile = L"R40.FDB";

// Files the installer writes itself: "lastnum.dta" in the settings folder, "btooth.ini" (the
// edition settings) in the target folder.
inline constexpr std::wstring_view kLastNumberFile = L"lastnum.dta";
inline constexpr std::wstring_view kEditionSettingsFile = L"btooth.ini";

// The embedded database server for Windows 7 and 8: from "Firebird\" into the target folder.
inline constexpr std::wstring_view kServerFilesFamily0[] = {
    L"aliases.conf", L"firebird.conf", L"fbclient.Dll", L"ib_util.Dll",
    L"icudt30.Dll",  L"icuin30.Dll",   L"icuuc30.Dll",  L"msvcp80.Dll",
    L"msvcr80.Dll",  L"firebird.msg",  L"gbak.exe",     L"gds32.dll",
};

// The same server for Windows XP: the run-time libraries of version 7.1 instead of 8.0, and
// neither the backup tool nor the old client library.
inline constexpr std::wstring_view kServerFilesFamily1[] = {
    L"aliases.conf", L"firebird.conf", L"fbclient.Dll", L"ib_util.Dll", L"icudt30.Dll",
    L"icuin30.Dll",  L"icuuc30.Dll",   L"msvcp71.Dll",  L"msvcr71.Dll", L"firebird.msg",
};

// From "Firebird\intl\" into "intl\".
inline constexpr std::wstring_view kInternationalFiles[] = {L"fbintl.conf", L"fbintl.dll"};

// The server's own function libraries and their declarations: "Firebird\udf\" into "udf\".
inline constexpr std::wstring_view kServerFunctionFiles[] = {
    L"fbudf.dll", L"ib_udf.dll", L"fbudf.sql", L"ib_udf.sql", L"ib_udf2.sql",
};

// The complex's own database function libraries: "UDF\" into "udf\", beside the server's.
inline constexpr std::wstring_view kComplexFunctionFiles[] = {
    L"VrCommonUdf.Dll",
    L"VrEcgUdf.Dll",
    L"VrPatientUdf.Dll",
    L"VrReportUdf.Dll",
};

// The server file set for the Windows family of the request: 0 is Windows 7 and 8, every other
// value Windows XP.
std::span<const std::wstring_view> ServerFiles(int windowsFamily);

}  // namespace engine::layout
