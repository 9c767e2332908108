#include "engine/TargetFolder.h"

#include "VR_Common_Const.h"
#include "engine/InstallRequest.h"

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

}  // namespace

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
  if (path.size() <= 3) {
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
