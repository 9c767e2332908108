#pragma once
// What leaving the path page makes of the path field: the field is trimmed and normalised to end
// in "\", an empty path and a drive root are refused with the operator's message, and an accepted
// target folder gets its settings sub-folder at once. The wizard and the console installer both
// take the target folder through here.
#include <string>
#include <string_view>

#include "os/FileSystem.h"

namespace engine {

inline constexpr std::wstring_view kNoTargetFolder = L"Не выбран путь для установки программы!";
// The spelling is the one the operators know.
inline constexpr std::wstring_view kTargetIsDriveRoot =
    L"Программу нелзя устанавливать в корневой каталог!";

struct TargetFolderCheck {
  enum class Verdict {
    kAccepted,
    kEmpty,      // refused with an error box: kNoTargetFolder
    kDriveRoot,  // refused with a warning box: kTargetIsDriveRoot
  };
  Verdict verdict = Verdict::kEmpty;
  // The trimmed path ending in "\", as the field shows it afterwards (also for a drive root);
  // empty for kEmpty, whose field is left as it was.
  std::wstring path;
  // The message for the operator; empty when accepted.
  std::wstring message;

  bool Accepted() const { return verdict == Verdict::kAccepted; }
};

// Whether the path, once "." and ".." are resolved, names the root of a drive ("C:\", "C:\.\",
// "\\?\C:\", "C:\Virelta\..\", "\" of the current drive) or of a network share
// ("\\server\share\"). Only the text is looked at.
bool NamesDriveRoot(const std::wstring& path);

// Trims the field (TrimControlAndBlanks), appends "\" when missing and refuses an empty path, one
// of three characters or fewer (C:\, or C: which has become C:\) and any other spelling of a
// drive's root (NamesDriveRoot). Nothing on disk is touched.
TargetFolderCheck CheckTargetFolder(const std::wstring& field);

// Whether `path` is `folder` or lies inside it, both compared as Windows resolves them: "/" as
// "\", a "\\?\" prefix dropped, doubled separators, "." and ".." resolved, a name's trailing dots
// and blanks dropped, letter case aside. Relative paths are made full first.
bool IsSameOrInside(os::IFileSystem& fs, const std::wstring& path, const std::wstring& folder);

// The kit never works on itself: a target that is the installation medium, lies on it or holds
// it (the medium's files would be renamed, overwritten or copied into themselves), or that is the
// Windows folder or lies inside it, is refused. The operator's message, or empty when the target
// may be used; an empty `medium` or `windows` is not compared. Nothing on disk is touched.
std::wstring TargetOnKitMessage(os::IFileSystem& fs, const std::wstring& target,
                                const std::wstring& medium, const std::wstring& windows);

// Creates the folder when it does not exist, then its settings sub-folder likewise, one level
// each. A failure is not reported here: the installation's first step reports a target folder it
// cannot create.
void PrepareTargetFolder(os::IFileSystem& fs, const std::wstring& folder);

// CheckTargetFolder and, for an accepted path, PrepareTargetFolder.
TargetFolderCheck AcceptTargetFolder(os::IFileSystem& fs, const std::wstring& field);

}  // namespace engine
