#include "os/testing/FakeShell.h"

#include <stdexcept>
#include <string>

#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"
#include "os/testing/SeamCalls.h"

namespace os::testing {
namespace {

bool IsFolder(std::uint32_t attributes) {
  return attributes != attr::kInvalid && (attributes & attr::kDirectory) != 0;
}

std::wstring LastName(const std::wstring& path) {
  const auto slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Whether `path` is `folder` itself or lies below it, compared without letter case.
bool IsWithin(const std::wstring& path, const std::wstring& folder) {
  const std::wstring p = FoldCase(path);
  const std::wstring f = FoldCase(folder);
  return p == f || (p.size() > f.size() && p.compare(0, f.size(), f) == 0 && p[f.size()] == L'\\');
}

}  // namespace

int FakeShell::FileOperation(const ShellFileOperation& operation) {
  SeamCalls::Count();
  calls_.push_back(operation);
  if (operation.function != shell::kFoCopy) {
    throw std::invalid_argument("FakeShell models FO_COPY only");
  }
  if (operation.from.find_first_of(L"*?") != std::wstring::npos ||
      operation.to.find_first_of(L"*?") != std::wstring::npos) {
    throw std::invalid_argument("FakeShell copies single paths without wildcards only");
  }
  if (scripted_) {
    return *scripted_;
  }
  const std::wstring source = fs_.FullPath(operation.from);
  const std::wstring dest = fs_.FullPath(operation.to);
  const std::uint32_t sourceAttributes = fs_.GetAttributes(source);
  if (sourceAttributes == attr::kInvalid) {
    return static_cast<int>(error::kFileNotFound);
  }
  // Into an existing folder under the source's own name; otherwise the destination itself.
  const std::wstring target =
      IsFolder(fs_.GetAttributes(dest)) ? JoinPath(dest, LastName(source)) : dest;
  if (IsFolder(sourceAttributes) && IsWithin(target, source)) {
    return shell::kDeDestSubtree;
  }
  return static_cast<int>(CopyEntry(source, target));
}

ErrorCode FakeShell::CopyEntry(const std::wstring& source, const std::wstring& target) {
  const auto slash = target.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2) {
    if (const ErrorCode error = CreateFolders(target.substr(0, slash))) {
      return error;
    }
  }
  if (IsFolder(fs_.GetAttributes(source))) {
    return CopyTree(source, target);
  }
  return fs_.SystemCopy(source, target, false);
}

ErrorCode FakeShell::CopyTree(const std::wstring& source, const std::wstring& target) {
  if (!IsFolder(fs_.GetAttributes(target))) {
    if (const ErrorCode error = fs_.CreateFolder(target)) {
      return error;
    }
  }
  std::vector<FindEntry> entries;
  const ErrorCode found = fs_.Find(JoinPath(source, L"*"), entries);
  if (found != error::kSuccess && found != error::kFileNotFound) {
    return found;
  }
  for (const FindEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") {
      continue;
    }
    const std::wstring from = JoinPath(source, entry.name);
    const std::wstring to = JoinPath(target, entry.name);
    const ErrorCode error = (entry.attributes & attr::kDirectory) != 0
                                ? CopyTree(from, to)
                                : fs_.SystemCopy(from, to, false);
    if (error != error::kSuccess) {
      return error;
    }
  }
  return error::kSuccess;
}

ErrorCode FakeShell::CreateFolders(const std::wstring& folder) {
  if (IsFolder(fs_.GetAttributes(folder))) {
    return error::kSuccess;
  }
  const auto slash = folder.find_last_of(L'\\');
  if (slash != std::wstring::npos && slash > 2) {  // above it lies more than the drive root
    if (const ErrorCode error = CreateFolders(folder.substr(0, slash))) {
      return error;
    }
  }
  return fs_.CreateFolder(folder);
}

}  // namespace os::testing
