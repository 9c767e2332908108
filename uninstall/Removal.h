#pragma once
// What the uninstaller removes and what it keeps, over the seam. Removed: the files of the record
// whose content is still what was installed, the desktop shortcut, the uninstall entry and the
// folders this leaves empty. Always kept: the clinic's database with every dated copy of it, the
// settings files, every file the installation did not put there or that changed since, and every
// link or junction (never followed); the fonts and the USB driver are never touched (other
// programs and devices use them). A file in use is kept and reported, and the entry with the
// record stays, so that a second run finishes the job.
#include <optional>
#include <string>
#include <vector>

#include "engine/InstalledFiles.h"
#include "engine/UninstallEntry.h"
#include "os/Platform.h"

namespace uninstall {

// The program's exit codes.
enum ExitCode : int {
  kDone = 0,       // everything of the kit is removed (the clinic's data and changed files stay)
  kPartly = 1,     // files in use were kept: run it again once they are closed
  kRefused = 2,    // no installation to remove in that folder, or a folder never to be touched
  kFailed = 3,     // an unexpected error (its text is shown or on standard error)
  kCancelled = 4,  // the operator pressed "Отмена"
};

struct KeptFile {
  std::wstring path;  // relative to the folder
  std::wstring why;
};

struct Plan {
  std::wstring folder;  // full path, ending in "\"
  engine::UninstallEntry entry;
  engine::InstalledFiles record;
  std::vector<std::wstring> remove;  // relative paths: the kit's files as installed
  std::vector<KeptFile> keep;
  std::wstring shortcut;  // the desktop shortcut's path; empty when there is none
};

struct Prepared {
  std::optional<Plan> plan;
  std::wstring refusal;  // why there is no plan
};

// Looks at the folder (ending in "\") and decides, changing nothing. Refuses a drive's root, the
// Windows folder or one inside it, the system's own top folders ("Program Files", "Users" and
// the like), a folder that is itself a link, a folder that is not the uninstall entry's
// InstallLocation (or no entry at all) and a folder without its record.
Prepared PlanRemoval(os::Platform& platform, const std::wstring& folder,
                     const std::wstring& productName);

struct Outcome {
  std::vector<std::wstring> removed;
  std::vector<KeptFile> kept;  // the plan's, and the files found in use
  bool complete = false;       // no file of the kit is left but `selfFile`
  bool selfLeft = false;       // `selfFile` was the kit's and is left for the program to remove
};

// Carries the plan out. `selfFile` (relative, or empty) is the running uninstaller's own file: it
// cannot be removed while it runs, so it is left and reported in `selfLeft` when it is the kit's.
// When files of the kit were in use, the record is rewritten with them alone and the entry stays;
// otherwise the record and the entry go.
Outcome CarryOut(os::Platform& platform, const Plan& plan, const std::wstring& selfFile);

// The Russian lines of a plan or an outcome for the window and the console.
std::vector<std::wstring> DescribePlan(const Plan& plan);
std::vector<std::wstring> DescribeOutcome(const Plan& plan, const Outcome& outcome);

}  // namespace uninstall
