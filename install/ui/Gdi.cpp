#include "ui/Gdi.h"

namespace ui {

Font MakeFont(const wchar_t* face, int pixelHeight, bool bold, BYTE charSet) {
  LOGFONTW font{};
  font.lfHeight = -pixelHeight;
  font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  font.lfCharSet = charSet;
  font.lfQuality = CLEARTYPE_QUALITY;
  ::lstrcpynW(font.lfFaceName, face, LF_FACESIZE);
  return Font(::CreateFontIndirectW(&font));
}

int WrappedTextHeight(HWND window, HFONT font, const std::wstring& text, int width) {
  WindowDc dc(window);
  SelectedObject selected(dc.Get(), font);
  RECT area{0, 0, width, 0};
  ::DrawTextW(dc.Get(), text.c_str(), static_cast<int>(text.size()), &area,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return area.bottom - area.top;
}

}  // namespace ui
