#pragma once
// Shell shortcuts (".lnk" files) to a program, on the desktop, in the Quick Launch bar, the
// Send To menu or the Start menu (each optionally in a sub-folder), or in any given folder. The
// special folders are read from the user's registry ("Shell Folders", "MapGroups").
#include <cstdint>
#include <string>

#include "os/Platform.h"

namespace engine {

enum class ShortcutLocation : std::uint8_t {
  Desktop = 0,
  QuickLaunch = 1,
  SendTo = 2,
  StartMenu = 3,
  OtherFolder = 4,  // the folder given as SubFolder
};

// The shortcut's file name: LinkName (FileName when LinkName is empty) with everything from its
// last "." (after the last "\" or ":") replaced by ".lnk", or ".lnk" appended when it has no
// such dot, and then only the part after the last "\" or ":". "Tool 2.5" gives "Tool 2.lnk".
std::wstring ShortcutFileName(const std::wstring& FileName, const std::wstring& LinkName);

// The folder that receives a shortcut for `Location`, as the registry holds it; empty when the
// key or value is missing or the location is unknown. For QuickLaunch the key
// "...\CurrentVersion\GrpConv" is created under HKEY_CURRENT_USER when missing, and for
// Desktop, SendTo, StartMenu and OtherFolder the key "...\CurrentVersion\Explorer".
std::wstring ShortcutFolder(os::IRegistry& registry, ShortcutLocation Location,
                            const std::wstring& SubFolder);

// Writes a shortcut that starts FileName with Arguments in WorkingFolder (empty: FileName's
// folder, ending in "\"), described by Description, named after LinkName (see
// ShortcutFileName), into the folder of Location plus SubFolder (for OtherFolder, SubFolder is
// the folder itself). A sub-folder is not created. LinkFile receives the path written, also when
// the shell could not save the file; with no folder found nothing is written and LinkFile is
// left as it was. Raises OperatorError when the shell's link object cannot be made.
void CreateShortcut(os::Platform& platform, const std::wstring& FileName, ShortcutLocation Location,
                    const std::wstring& SubFolder, const std::wstring& WorkingFolder,
                    const std::wstring& Arguments, const std::wstring& Description,
                    const std::wstring& LinkName, std::wstring& LinkFile);

// The installation's desktop shortcut to the complex's main program in the target folder
// (ending in "\"): named after the product, described as the product description followed by
// a blank and the product name in double quotes, starting in the target folder.
void CreateDesktopShortcut(os::Platform& platform, const std::wstring& targetPath,
                           const std::wstring& mainProgram, const std::wstring& productDescription,
                           const std::wstring& productName);

}  // namespace engine
