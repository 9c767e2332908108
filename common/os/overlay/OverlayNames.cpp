#include "os/overlay/OverlayNames.h"

#include "text/NameCase.h"

namespace os::overlay::names {
namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

}  // namespace

std::wstring Key(std::wstring_view fullPath) {
  std::wstring key;
  for (std::size_t i = 0; i < fullPath.size(); ++i) {
    const wchar_t c = IsSeparator(fullPath[i]) ? L'\\' : text::FoldNameCase(fullPath[i]);
    // A network path keeps its two leading separators; elsewhere a run of them is one.
    if (c == L'\\' && !key.empty() && key.back() == L'\\' && i > 1) {
      continue;
    }
    key += c;
  }
  const bool driveRoot = key.size() == 3 && key[1] == L':';
  if (key.size() > 1 && key.back() == L'\\' && !driveRoot) {
    key.pop_back();
  }
  return key;
}

std::wstring Parent(const std::wstring& key) {
  const std::size_t cut = key.find_last_of(L'\\');
  if (cut == std::wstring::npos || cut + 1 == key.size()) {
    return {};
  }
  std::wstring parent = key.substr(0, cut);
  if (parent.size() == 2 && parent[1] == L':') {
    parent += L'\\';
  }
  return parent;
}

std::wstring ChildPrefix(const std::wstring& folder) {
  return !folder.empty() && IsSeparator(folder.back()) ? folder : folder + L'\\';
}

std::wstring LastComponent(const std::wstring& path) {
  std::size_t end = path.size();
  while (end > 0 && IsSeparator(path[end - 1])) {
    --end;
  }
  const std::size_t cut = path.find_last_of(L"\\/:", end == 0 ? 0 : end - 1);
  return path.substr(cut == std::wstring::npos ? 0 : cut + 1, end - (cut + 1));
}

void SplitPattern(const std::wstring& pattern, std::wstring& folder, std::wstring& mask) {
  const std::size_t cut = pattern.find_last_of(L"\\/");
  if (cut == std::wstring::npos) {
    folder = L".";
    mask = pattern;
    return;
  }
  folder = pattern.substr(0, cut + 1);
  mask = pattern.substr(cut + 1);
}

bool EndsInSeparator(std::wstring_view path) {
  return !path.empty() && IsSeparator(path.back());
}

}  // namespace os::overlay::names
