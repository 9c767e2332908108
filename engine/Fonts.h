#pragma once
// The TrueType fonts the complex's programs rely on: each one the computer lacks is copied from
// the installer's "fonts\" folder into the Windows fonts folder, registered under
// HKEY_LOCAL_MACHINE and reported by one progress line.
#include <string>
#include <string_view>

#include "engine/InstallProgress.h"
#include "engine/MediumCopy.h"
#include "os/Platform.h"

namespace engine {

// The fonts, in the order they are installed; names as the files are called on the medium.
inline constexpr std::wstring_view kFontFiles[] = {
    L"ARIAL.TTF",  L"ARIALN.TTF", L"COUR.TTF",    L"MICROSS.TTF",
    L"TAHOMA.TTF", L"TIMES.TTF",  L"verdana.TTF",
};

// Where installed fonts are registered, each as "<title> (TrueType)" = "<file name>".
inline constexpr std::wstring_view kFontsKey =
    L"Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";

// "Шрифт <title> уcтановлен". The "c" of the last word is the Latin letter, as the complex has
// always written it; an empty title gives "Шрифт <> уcтановлен".
std::wstring FontInstalledLine(std::wstring_view title);

// Both ending in "\": the installer's "fonts\" folder and the Windows fonts folder.
struct FontFolders {
  std::wstring source;
  std::wstring system;
};

// Installs every font of kFontFiles that the Windows fonts folder lacks, in order. Nothing
// happens when the Windows folder cannot be had. Raises OperatorError at the first font that
// fails (missing on the medium, fonts folder or registry not writable); the fonts after it are
// then not installed. The installation sequence drops that error (fonts never stop a run),
// except MediumFileError: with `digests` each font is checked against the medium's manifest, and
// a damaged medium ends the run.
void InstallFonts(IInstallProgress& progress, os::Platform& platform,
                  const MediumDigests* digests = nullptr);

// One font: when the system folder has no file of that name (letter case aside), takes its
// title from the medium's copy (FontTitle; when "<title> (TrueType)" is already the value of
// another font of the list, the file name without extension follows the title in parentheses, so
// no two fonts of the list share a value name), copies it, registers it, makes the running system
// and every window aware of it and reports it. A copy whose content fails is removed again and
// neither registered nor reported, so that the next installation tries again; so is one that
// differs from the medium's manifest (CopyMediumFile raises then).
void InstallFont(IInstallProgress& progress, os::Platform& platform, const FontFolders& folders,
                 const std::wstring& FontFile, const MediumDigests* digests = nullptr);

// The whole file, for reading a font's name table; empty when it cannot be read or is larger
// than a font file can be.
std::string ReadFontFile(os::IFileSystem& fs, const std::wstring& path);

// The title a font is registered and reported under: the system's (GetFontTitle); when that is
// empty, the one the file's own "name" table gives (FontTitleFromNameTable); when that is empty
// too, the file name without its extension.
std::wstring FontTitle(os::Platform& platform, const std::wstring& fontPath);

// The font's descriptive full name, as the system's font resource query gives it (the font file
// is loaded as a resource for the query and unloaded again). Empty when the query is missing or
// the file gives no font.
std::wstring GetFontTitle(os::IFonts& fonts, const std::wstring& FontPath);

}  // namespace engine
