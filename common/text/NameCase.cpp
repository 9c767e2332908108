#include "text/NameCase.h"

namespace text {

wchar_t FoldNameCase(wchar_t c) {
  if (c >= L'a' && c <= L'z') {
    return static_cast<wchar_t>(c - 32);
  }
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) {  // à..þ without the division sign
    return static_cast<wchar_t>(c - 32);
  }
  if (c >= 0x430 && c <= 0x44F) {  // а..я
    return static_cast<wchar_t>(c - 32);
  }
  if (c >= 0x450 && c <= 0x45F) {  // ѐ..џ, ё among them
    return static_cast<wchar_t>(c - 80);
  }
  return c;
}

std::wstring FoldNameCase(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) {
    c = FoldNameCase(c);
  }
  return folded;
}

}  // namespace text
