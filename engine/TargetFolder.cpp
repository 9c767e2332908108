#include "engine/TargetFolder.h"

#include <algorithm>
#include <vector>

#include "VR_Common_Const.h"
#include "engine/InstallRequest.h"
#include "text/NameCase.h"

namespace engine {
namespace {

bool FolderExists(os::IFileSystem& fs, const std::wstring& path) {
  const std::uint32_t attributes = fs.GetAttributes(path);
  return attributes != os::attr::kInvalid && (attributes & os::attr::kDirectory) != 0;
}

void CreateFolderIfMissing(os::IFileSystem& fs, const std::wstring& path) {
  if (!FolderExists(fs, path)) {
    fs.CreateFolder(path);  // a failure shows when the installation begins
  }
}

// A name of only dots and blanks ("." and ".." aside) is no folder: Windows drops a name's
// trailing dots and blanks, so "C:\ .\" names the drive itself.
bool IsEmptyName(std::wstring_view name) {
  return name.find_first_not_of(L". ") == std::wstring_view::npos && name != L"..";
}

// How many folder names stay below the start once "." and ".." are resolved (".." never climbs
// above the start, as Windows resolves it).
std::size_t DepthBelowStart(std::wstring_view rest) {
  std::size_t depth = 0;
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find(L'\\', start);
    if (end == std::wstring_view::npos) {
      end = rest.size();
    }
    const std::wstring_view name = rest.substr(start, end - start);
    if (name == L"..") {
      depth = depth == 0 ? 0 : depth - 1;
    } else if (!IsEmptyName(name)) {
      ++depth;
    }
    start = end + 1;
  }
  return depth;
}

bool StartsWithDrive(std::wstring_view path) {
  return path.size() >= 2 && path[1] == L':' &&
         ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z'));
}

// The names of a full path as Windows resolves it, its root first ("C:", or "\\SERVER" and the
// share), each folded for comparing. ".." never climbs above the root.
std::vector<std::wstring> ComparableNames(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  std::wstring_view rest = path;
  std::vector<std::wstring> names;
  std::size_t rootNames = 1;
  if (rest.starts_with(L"\\\\?\\") || rest.starts_with(L"\\\\.\\") || rest.starts_with(L"\\??\\")) {
    rest.remove_prefix(4);
    if (rest.size() >= 4 && text::FoldNameCase(rest.substr(0, 4)) == L"UNC\\") {
      rest.remove_prefix(4);
      names.push_back(L"\\\\");
      rootNames = 3;
    }
  } else if (rest.starts_with(L"\\\\")) {
    rest.remove_prefix(2);
    names.push_back(L"\\\\");
    rootNames = 3;
  }
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = rest.find(L'\\', start);
    if (end == std::wstring_view::npos) {
      end = rest.size();
    }
    std::wstring_view name = rest.substr(start, end - start);
    start = end + 1;
    if (name == L"..") {
      if (names.size() > rootNames) {
        names.pop_back();
      }
      continue;
    }
    while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) {
      name.remove_suffix(1);
    }
    if (!name.empty()) {
      names.push_back(text::FoldNameCase(name));
    }
  }
  return names;
}

std::wstring FullOrAsGiven(os::IFileSystem& fs, const std::wstring& path) {
  std::wstring full = fs.FullPath(path);
  return full.empty() ? path : full;
}

}  // namespace

bool IsSameOrInside(os::IFileSystem& fs, const std::wstring& path, const std::wstring& folder) {
  const std::vector<std::wstring> inner = ComparableNames(FullOrAsGiven(fs, path));
  const std::vector<std::wstring> outer = ComparableNames(FullOrAsGiven(fs, folder));
  return !outer.empty() && inner.size() >= outer.size() &&
         std::equal(outer.begin(), outer.end(), inner.begin());
}

std::wstring TargetOnKitMessage(os::IFileSystem& fs, const std::wstring& target,
                                const std::wstring& medium, const std::wstring& windows) {
  const std::wstring shown = L"\"" + target + L"\"";
  if (!medium.empty() && IsSameOrInside(fs, target, medium)) {
    return L"Папка " + shown + L" находится на установочном носителе \"" + medium +
           L"\": программу нельзя устанавливать на носитель, с которого она устанавливается. "
           L"Выберите другую папку.";
  }
  if (!medium.empty() && IsSameOrInside(fs, medium, target)) {
    return L"В папке " + shown + L" находится установочный носитель \"" + medium +
           L"\": программу нельзя устанавливать в папку, содержащую носитель. Выберите другую "
           L"папку.";
  }
  if (!windows.empty() && IsSameOrInside(fs, target, windows)) {
    return L"Папка " + shown + L" является папкой Windows \"" + windows +
           L"\" или находится в ней: программу нельзя устанавливать в системную папку. Выберите "
           L"другую папку.";
  }
  return {};
}

bool NamesDriveRoot(const std::wstring& path) {
  std::wstring text = path;
  std::replace(text.begin(), text.end(), L'/', L'\\');
  std::wstring_view rest = text;
  // "\\?\", "\\.\" and "\??\" hand the rest to the system as it stands: a drive ("C:\"), a
  // network name ("UNC\server\share\") or a volume ("Volume{...}\").
  if (rest.starts_with(L"\\\\?\\") || rest.starts_with(L"\\\\.\\") || rest.starts_with(L"\\??\\")) {
    rest.remove_prefix(4);
    if (rest.size() >= 4 && (rest[0] == L'U' || rest[0] == L'u') &&
        (rest[1] == L'N' || rest[1] == L'n') && (rest[2] == L'C' || rest[2] == L'c') &&
        rest[3] == L'\\') {
      rest.remove_prefix(4);
      return DepthBelowStart(rest) <= 2;  // server and share: the share's root
    }
    if (!StartsWithDrive(rest)) {
      return DepthBelowStart(rest) <= 1;
    }
  } else if (rest.starts_with(L"\\\\")) {
    rest.remove_prefix(2);
    return DepthBelowStart(rest) <= 2;
  }
  if (StartsWithDrive(rest)) {
    rest.remove_prefix(2);
    // "C:" alone is the drive's root here; "C:name" lies below the drive's current folder.
    return rest.empty() || (rest.front() == L'\\' && DepthBelowStart(rest) == 0);
  }
  return rest.starts_with(L'\\') && DepthBelowStart(rest) == 0;
}

TargetFolderCheck CheckTargetFolder(const std::wstring& field) {
  TargetFolderCheck check;
  std::wstring path = TrimControlAndBlanks(field);
  if (path.empty()) {
    check.verdict = TargetFolderCheck::Verdict::kEmpty;
    check.message = kNoTargetFolder;
    return check;
  }
  if (path.back() != L'\\') {
    path += L'\\';
  }
  if (path.size() <= 3 || NamesDriveRoot(path)) {
    check.verdict = TargetFolderCheck::Verdict::kDriveRoot;
    check.message = kTargetIsDriveRoot;
  } else {
    check.verdict = TargetFolderCheck::Verdict::kAccepted;
  }
  check.path = std::move(path);
  return check;
}

void PrepareTargetFolder(os::IFileSystem& fs, const std::wstring& folder) {
  CreateFolderIfMissing(fs, folder);
  CreateFolderIfMissing(fs, folder + vr::SettingsSubDir);
}

TargetFolderCheck AcceptTargetFolder(os::IFileSystem& fs, const std::wstring& field) {
  TargetFolderCheck check = CheckTargetFolder(field);
  if (check.Accepted()) {
    PrepareTargetFolder(fs, check.path);
  }
  return check;
}

}  // namespace engine
