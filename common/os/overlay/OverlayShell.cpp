#include "os/overlay/OverlayShell.h"

#include <vector>

#include "os/overlay/OverlayNames.h"

namespace os::overlay {
namespace {

constexpr std::uint32_t kFoCopy = 2;
constexpr int kInvalidFunction = 1;

bool IsFolder(IFileSystem& fs, const std::wstring& path) {
  const std::uint32_t attributes = fs.GetAttributes(path);
  return attributes != attr::kInvalid && (attributes & attr::kDirectory) != 0;
}

// The folder holding `path`, as written (ending in "\"); empty for a root.
std::wstring ParentOf(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
    path.pop_back();
  }
  const std::size_t cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos || cut + 1 >= path.size() ? std::wstring()
                                                             : path.substr(0, cut + 1);
}

}  // namespace

ErrorCode OverlayShell::CreateFolders(const std::wstring& folder) {
  if (IsFolder(view_, folder)) {
    return error::kSuccess;
  }
  const std::wstring parent = ParentOf(view_.FullPath(folder));
  if (!parent.empty() && !IsFolder(view_, parent)) {
    if (const ErrorCode e = CreateFolders(parent); e != error::kSuccess) {
      return e;
    }
  }
  return view_.CreateFolder(folder);
}

void OverlayShell::CopyTree(const std::wstring& source, const std::wstring& target) {
  std::vector<FindEntry> entries;
  view_.Find(names::ChildPrefix(source) + L"*", entries);
  for (const FindEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") {
      continue;
    }
    const std::wstring from = names::ChildPrefix(source) + entry.name;
    const std::wstring to = names::ChildPrefix(target) + entry.name;
    if (entry.attributes & attr::kDirectory) {
      view_.CreateFolder(to);
      CopyTree(from, to);
    } else if (view_.SystemCopy(from, to, false) == error::kAccessDenied) {
      // The operator confirms replacing a read-only file.
      view_.SetAttributes(to, attr::kNormal);
      view_.SystemCopy(from, to, false);
    }
  }
}

int OverlayShell::FileOperation(const ShellFileOperation& operation) {
  if (operation.function != kFoCopy) {
    return kInvalidFunction;
  }
  const std::uint32_t source = view_.GetAttributes(operation.from);
  if (source == attr::kInvalid) {
    return static_cast<int>(error::kFileNotFound);
  }
  std::wstring target = operation.to;
  if (IsFolder(view_, target)) {
    target = names::ChildPrefix(target) + names::LastComponent(operation.from);
  }
  const std::wstring parent = ParentOf(view_.FullPath(target));
  if (const ErrorCode e = parent.empty() ? error::kSuccess : CreateFolders(parent);
      e != error::kSuccess) {
    return static_cast<int>(e);
  }
  if ((source & attr::kDirectory) == 0) {
    return static_cast<int>(view_.SystemCopy(operation.from, target, false));
  }
  if (const ErrorCode e = CreateFolders(target); e != error::kSuccess) {
    return static_cast<int>(e);
  }
  CopyTree(operation.from, target);
  return 0;
}

}  // namespace os::overlay
