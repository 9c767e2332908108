// The floor of the start-up benchmark: only what the setup wizard must do before its first frame,
// done plainly. GDI+ started and the wizard's seven pictures decoded from the same resources, a
// picture of the client area's size painted, the system's rich-edit box loaded with the same
// "INFO" document, and the wizard's 31 child windows of the same kinds with the same texts and
// fonts (one container, six pages of which the first is shown, two panels, 21 controls).
// Carried like the wizard: the same application manifest (common controls 6, DPI awareness).
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <objidl.h>
#include <propidl.h>
#include <richedit.h>

#include <gdiplus.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "MainTexts.h"

namespace {

namespace gp = Gdiplus::DllExports;

constexpr wchar_t kClass[] = L"VireltaFloorWindow";
constexpr wchar_t kPanelClass[] = L"VireltaFloorPanel";
constexpr int kWidth = 954;
constexpr int kHeight = 579;

struct Picture {
  UINT width = 0;
  UINT height = 0;
  std::vector<std::uint32_t> pixels;
};

std::vector<std::uint32_t> gFrame;  // the client area's picture, 0xAARRGGBB from the top

std::string ResourceBytes(const wchar_t* name) {
  const HRSRC resource = ::FindResourceW(nullptr, name, RT_RCDATA);
  const HGLOBAL loaded = resource != nullptr ? ::LoadResource(nullptr, resource) : nullptr;
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  return data == nullptr
             ? std::string()
             : std::string(static_cast<const char*>(data), ::SizeofResource(nullptr, resource));
}

// Decoded as the wizard decodes: GDI+ from a stream over the bytes, into a buffer of ours.
bool Decode(const wchar_t* name, Picture& picture) {
  const std::string bytes = ResourceBytes(name);
  const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  void* data = memory != nullptr ? ::GlobalLock(memory) : nullptr;
  if (data == nullptr || bytes.empty()) {
    return false;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  ::GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    ::GlobalFree(memory);
    return false;
  }
  Gdiplus::GpBitmap* bitmap = nullptr;
  bool decoded = gp::GdipCreateBitmapFromStream(stream, &bitmap) == Gdiplus::Ok &&
                 gp::GdipGetImageWidth(bitmap, &picture.width) == Gdiplus::Ok &&
                 gp::GdipGetImageHeight(bitmap, &picture.height) == Gdiplus::Ok;
  if (decoded) {
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);
    Gdiplus::BitmapData lock{};
    lock.Width = picture.width;
    lock.Height = picture.height;
    lock.Stride = static_cast<INT>(picture.width * 4);
    lock.PixelFormat = PixelFormat32bppARGB;
    lock.Scan0 = picture.pixels.data();
    const Gdiplus::GpRect rect(0, 0, static_cast<INT>(picture.width),
                               static_cast<INT>(picture.height));
    decoded = gp::GdipBitmapLockBits(
                  bitmap, &rect, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                  PixelFormat32bppARGB, &lock) == Gdiplus::Ok;
    if (decoded) {
      gp::GdipBitmapUnlockBits(bitmap, &lock);
    }
  }
  if (bitmap != nullptr) {
    gp::GdipDisposeImage(bitmap);
  }
  stream->Release();
  return decoded;
}

// The background picture repeated over the client area: a frame of the wizard's size to paint.
void ComposeFrame(const Picture& background) {
  gFrame.resize(static_cast<std::size_t>(kWidth) * kHeight);
  const int width = static_cast<int>(background.width);
  for (int y = 0; y < kHeight; ++y) {
    const std::uint32_t* row =
        background.pixels.data() + static_cast<std::size_t>(y % background.height) * width;
    std::uint32_t* out = gFrame.data() + static_cast<std::size_t>(y) * kWidth;
    for (int x = 0; x < kWidth; x += width) {
      std::memcpy(out + x, row, static_cast<std::size_t>(std::min(width, kWidth - x)) * 4);
    }
  }
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      const HDC dc = ::BeginPaint(window, &paint);
      BITMAPINFO info{};
      info.bmiHeader.biSize = sizeof info.bmiHeader;
      info.bmiHeader.biWidth = kWidth;
      info.bmiHeader.biHeight = -kHeight;
      info.bmiHeader.biPlanes = 1;
      info.bmiHeader.biBitCount = 32;
      info.bmiHeader.biCompression = BI_RGB;
      ::SetDIBitsToDevice(dc, 0, 0, kWidth, kHeight, 0, 0, 0, kHeight, gFrame.data(), &info,
                          DIB_RGB_COLORS);
      ::EndPaint(window, &paint);
      return 0;
    }
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
    default:
      return ::DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) {
    RECT area;
    ::GetClientRect(window, &area);
    ::FillRect(reinterpret_cast<HDC>(wParam), &area, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    return 1;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

std::wstring Joined(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) {
    text += (text.empty() ? L"" : L"\r\n") + line;
  }
  return text;
}

HWND Child(const wchar_t* kind, const std::wstring& text, DWORD style, int x, int y, int width,
           int height, HWND parent, HFONT font) {
  const HWND child = ::CreateWindowExW(0, kind, text.c_str(), WS_CHILD | style, x, y, width, height,
                                       parent, nullptr, nullptr, nullptr);
  ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return child;
}

struct Reader {
  const std::string* bytes;
  std::size_t offset;
};

DWORD CALLBACK ReadDocument(DWORD_PTR cookie, LPBYTE buffer, LONG size, LONG* read) {
  auto& reader = *reinterpret_cast<Reader*>(cookie);
  const std::size_t count =
      std::min(reader.bytes->size() - reader.offset, static_cast<std::size_t>(size));
  std::memcpy(buffer, reader.bytes->data() + reader.offset, count);
  reader.offset += count;
  *read = static_cast<LONG>(count);
  return 0;
}

// The wizard's child windows: the rich-edit box, the page container with its six pages (the
// first shown), the two panels and the 21 controls of the pages, with the wizard's texts.
void CreateControls(HWND window) {
  namespace texts = wizard::texts;
  const HFONT windowFont = ::CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0,
                                         0, L"MS Sans Serif");
  const HFONT tahoma =
      ::CreateFontW(-15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
  const HFONT serif = ::CreateFontW(-20, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                                    L"Times New Roman");
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(windowFont), FALSE);

  ::LoadLibraryW(L"Msftedit.dll");
  const HWND rich = Child(MSFTEDIT_CLASS, L"",
                          WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, 16,
                          110, 282, 441, window, windowFont);
  const std::string document = ResourceBytes(L"INFO");
  Reader reader{&document, 0};
  EDITSTREAM stream{};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&reader);
  stream.pfnCallback = ReadDocument;
  ::SendMessageW(rich, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  ::SendMessageW(rich, EM_SETBKGNDCOLOR, 0, RGB(255, 255, 255));

  const HWND pages =
      Child(kPanelClass, L"", WS_VISIBLE | WS_CLIPCHILDREN, 320, 110, 619, 441, window, nullptr);
  HWND page[6];
  for (int i = 0; i < 6; ++i) {
    page[i] = Child(kPanelClass, L"", i == 0 ? WS_VISIBLE : 0, 0, 0, 619, 441, pages, nullptr);
  }
  const HWND pathPanel = Child(kPanelClass, L"", WS_VISIBLE, 12, 128, 595, 44, page[1], nullptr);
  const HWND componentsPanel =
      Child(kPanelClass, L"", WS_VISIBLE, 12, 318, 595, 40, page[2], nullptr);

  constexpr DWORD memo = WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL;
  constexpr DWORD button = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
  const struct {
    const wchar_t* kind;
    std::wstring text;
    DWORD style;
    int x, y, width, height;
    HWND parent;
    HFONT font;
  } controls[] = {
      {L"Edit", Joined(texts::kMemoStart), memo, 12, 12, 595, 366, page[0], serif},
      {L"Button", texts::kCancel, button, 12, 402, 100, 27, page[0], tahoma},
      {L"Button", texts::kNext, button | BS_DEFPUSHBUTTON, 507, 402, 100, 27, page[0], tahoma},
      {L"Edit", Joined(texts::kMemoInputPath), memo, 12, 12, 595, 104, page[1], serif},
      {L"Edit", L"C:\\", WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 8, 10, 471, 24, pathPanel,
       tahoma},
      {L"Button", texts::kSelect, button, 487, 8, 100, 27, pathPanel, tahoma},
      {L"Button", texts::kCancel, button, 12, 402, 100, 27, page[1], tahoma},
      {L"Button", texts::kNext, button, 507, 402, 100, 27, page[1], tahoma},
      {L"Edit", Joined(texts::kMemoInputComponents), memo, 12, 12, 595, 300, page[2], tahoma},
      {L"Button", texts::kDriverCheckBox, WS_VISIBLE | BS_AUTOCHECKBOX, 8, 10, 260, 22,
       componentsPanel, tahoma},
      {WC_COMBOBOXW, L"", CBS_DROPDOWNLIST, 300, 8, 200, 200, componentsPanel, tahoma},
      {L"Button", texts::kCancel, button, 12, 402, 100, 27, page[2], tahoma},
      {L"Button", texts::kBack, button, 349, 402, 100, 27, page[2], tahoma},
      {L"Button", texts::kInstall, button, 457, 402, 150, 27, page[2], tahoma},
      {L"ListBox", L"", WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS, 12, 12, 595, 366,
       page[3], tahoma},
      {L"Button", texts::kExit, button, 507, 402, 100, 27, page[3], tahoma},
      {L"Edit", Joined(texts::kMemoCancel), memo, 12, 12, 595, 160, page[4], serif},
      {L"Button", texts::kExit, button, 507, 402, 100, 27, page[4], tahoma},
      {L"Edit", Joined(texts::kMemoChangeFontSize), memo, 12, 12, 595, 366, page[5], tahoma},
      {L"Button", texts::kChangeFont, button, 329, 402, 170, 27, page[5], tahoma},
      {L"Button", texts::kExit, button, 507, 402, 100, 27, page[5], tahoma},
  };
  for (const auto& c : controls) {
    Child(c.kind, c.text, c.style, c.x, c.y, c.width, c.height, c.parent, c.font);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  INITCOMMONCONTROLSEX common{sizeof common,
                              ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&common);
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartupInput input;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) {
    return 1;
  }
  Picture pictures[7];
  const wchar_t* names[7] = {L"BACKGROUND",  L"MAIN",        L"LOGO", L"TITLE_PNL_L",
                             L"TITLE_PNL_R", L"TITLE_PNL_M", L"TITLE"};
  for (int i = 0; i < 7; ++i) {
    if (!Decode(names[i], pictures[i])) {
      return 1;
    }
  }
  ComposeFrame(pictures[0]);

  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClass;
  WNDCLASSW panelClass = windowClass;
  panelClass.lpfnWndProc = PanelProc;
  panelClass.lpszClassName = kPanelClass;
  if (::RegisterClassW(&windowClass) == 0 || ::RegisterClassW(&panelClass) == 0) {
    return 1;
  }
  constexpr DWORD style =
      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, kWidth, kHeight};
  ::AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const HWND window = ::CreateWindowExW(WS_EX_CONTROLPARENT, kClass, L"Floor window", style,
                                        (::GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                        (::GetSystemMetrics(SM_CYSCREEN) - height) / 2, width,
                                        height, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) {
    return 1;
  }
  CreateControls(window);
  ::ShowWindow(window, show);
  ::UpdateWindow(window);
  MSG message;
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (!::IsDialogMessageW(window, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  Gdiplus::GdiplusShutdown(token);
  return 0;
}
