#include "text/NameCase.h"

namespace text {

wchar_t FoldNameCase(wchar_t c) {
  if (c >= L'a' && c <= L'z') {
    return static_cast<wchar_t>(c - 32);
  }
  if (c < 0xE0) {
    return c;
  }
  if (c <= 0xFE) {  // Latin-1 à..þ, except the division sign
    return c == 0xF7 ? c : static_cast<wchar_t>(c - 32);
  }
  if (c == 0xFF) {
    return static_cast<wchar_t>(0x178);  // ÿ -> Ÿ
  }
  if (c >= 0x430 && c <= 0x44F) {  // а..я
    return static_cast<wchar_t>(c - 32);
  }
  if (c >= 0x450 && c <= 0x45F) {  // ѐ..џ, ё among them
    return static_cast<wchar_t>(c - 80);
  }
  // Cyrillic supplement pairs: upper case even, lower case odd...
  if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x4FF)) {
    return (c & 1) ? static_cast<wchar_t>(c - 1) : c;
  }
  // ...except here, where upper case is odd.
  if (c >= 0x4C1 && c <= 0x4CE) {
    return (c & 1) ? c : static_cast<wchar_t>(c - 1);
  }
  if (c == 0x4CF) {
    return static_cast<wchar_t>(0x4C0);
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
