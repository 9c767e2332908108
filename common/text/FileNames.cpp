#include "text/FileNames.h"

#include <algorithm>
#include <string>

#include "text/NameCase.h"

namespace text {
namespace {

// '*' any run of characters, '?' one character; both sides already case-folded. The last star
// is retried one character further on a mismatch, so a mask costs at most mask x name steps.
bool Wildcard(std::wstring_view mask, std::wstring_view name) {
  std::size_t m = 0;
  std::size_t n = 0;
  std::size_t starMask = std::wstring_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == L'?' || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == L'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::wstring_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == L'*') {
    ++m;
  }
  return m == mask.size();
}

}  // namespace

bool IsReservedInName(wchar_t c) {
  return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' ||
         c == L'*';
}

bool IsInvalidName(std::wstring_view name) {
  return std::any_of(name.begin(), name.end(), IsReservedInName);
}

bool IsInvalidMask(std::wstring_view mask) {
  return std::any_of(mask.begin(), mask.end(),
                     [](wchar_t c) { return c != L'*' && c != L'?' && IsReservedInName(c); });
}

bool HasInvalidName(std::wstring_view path) {
  if (path.size() >= 2 && path[1] == L':') {
    path.remove_prefix(2);
  }
  return IsInvalidName(path);  // the separators between the names are no reserved characters
}

bool MatchesMask(std::wstring_view mask, std::wstring_view name) {
  if (mask == L"*" || mask == L"*.*") {
    return true;
  }
  const std::wstring foldedMask = FoldNameCase(mask);
  const std::wstring foldedName = FoldNameCase(name);
  if (Wildcard(foldedMask, foldedName)) {
    return true;
  }
  return foldedMask.ends_with(L".*") && foldedName.find(L'.') == std::wstring::npos &&
         Wildcard(std::wstring_view(foldedMask).substr(0, foldedMask.size() - 2), foldedName);
}

}  // namespace text
