// The path page's folder browser.
#include "Main.h"

#include <shlobj.h>

#include "MainTexts.h"
#include "os/win32/Handle.h"

namespace wizard {
namespace {

// The shell's item identifier list, freed with the task allocator.
void FreeItemIdList(PIDLIST_ABSOLUTE list) {
  ::CoTaskMemFree(list);
}
using ItemIdList = os::win32::UniqueAny<PIDLIST_ABSOLUTE, &FreeItemIdList>;

}  // namespace

// The whole folder tree from the desktop, nothing preselected, file-system folders only and no
// button for a new folder; a confirmed folder replaces the path field's text.
void TFMain::BtnSelectPathClick() {
  BROWSEINFOW browse{};
  browse.hwndOwner = Handle();
  browse.lpszTitle = texts::kBrowseInstruction;
  browse.ulFlags = BIF_NEWDIALOGSTYLE | BIF_RETURNONLYFSDIRS | BIF_NONEWFOLDERBUTTON;
  const ItemIdList chosen(::SHBrowseForFolderW(&browse));
  wchar_t path[MAX_PATH] = {};
  if (chosen && ::SHGetPathFromIDListW(chosen.Get(), path)) {
    ePath.SetText(path);
  }
}

}  // namespace wizard
