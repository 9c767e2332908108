#include "WindowDriver.h"

#include <objidl.h>

#include <gdiplus.h>

#include <algorithm>
#include <chrono>
#include <future>

namespace uidriver {
namespace {

constexpr DWORD kTextTimeoutMs = 1000;

bool SendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
  return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kTextTimeoutMs,
                               &result) != 0;
}

struct EnumState {
  std::wstring_view className;
  bool onlyShown;
  DWORD processId;
  std::vector<HWND> found;
};

// Class names are compared without letter case, as the system does.
bool ClassMatches(HWND window, std::wstring_view className) {
  return className.empty() ||
         ::lstrcmpiW(ClassName(window).c_str(), std::wstring(className).c_str()) == 0;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM state) {
  auto& s = *reinterpret_cast<EnumState*>(state);
  if (ClassMatches(window, s.className) && (!s.onlyShown || IsShown(window))) {
    s.found.push_back(window);
  }
  return TRUE;
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM state) {
  auto& s = *reinterpret_cast<EnumState*>(state);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner == s.processId && ClassMatches(window, s.className)) {
    s.found.push_back(window);
  }
  return TRUE;
}

// GDI+ for the life of one save.
class GdiPlus {
 public:
  GdiPlus() {
    Gdiplus::GdiplusStartupInput input;
    ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
  }
  ~GdiPlus() {
    if (ok_) {
      Gdiplus::GdiplusShutdown(token_);
    }
  }
  GdiPlus(const GdiPlus&) = delete;
  GdiPlus& operator=(const GdiPlus&) = delete;
  bool Ok() const { return ok_; }

 private:
  ULONG_PTR token_ = 0;
  bool ok_ = false;
};

struct ScreenDc {
  HDC dc = ::GetDC(nullptr);
  ~ScreenDc() { ::ReleaseDC(nullptr, dc); }
};
struct MemoryDc {
  HDC dc;
  explicit MemoryDc(HDC compatible) : dc(::CreateCompatibleDC(compatible)) {}
  ~MemoryDc() { ::DeleteDC(dc); }
};
struct Bitmap {
  HBITMAP bitmap;
  ~Bitmap() { ::DeleteObject(bitmap); }
};
struct Selection {
  HDC dc;
  HGDIOBJ old;
  Selection(HDC d, HGDIOBJ object) : dc(d), old(::SelectObject(d, object)) {}
  ~Selection() { ::SelectObject(dc, old); }
};
struct GdipImage {
  Gdiplus::GpBitmap* image = nullptr;
  ~GdipImage() {
    if (image != nullptr) {
      Gdiplus::DllExports::GdipDisposeImage(image);
    }
  }
};

// The PNG encoder of GDI+, {557CF406-1A04-11D3-9A73-0000F81EF32E}.
constexpr CLSID kPngEncoder = {
    0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};

}  // namespace

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (condition()) {
      return true;
    }
    if (std::chrono::steady_clock::now() >= end) {
      return false;
    }
    ::Sleep(20);
  }
}

namespace {

// The other program's window ends its thread's loop when it is destroyed. A function of its own:
// a lambda has no stdcall calling convention, which a 32-bit window procedure needs.
LRESULT CALLBACK OtherWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

OtherWindow::OtherWindow() {
  std::promise<HWND> made;
  std::future<HWND> madeWindow = made.get_future();
  thread_ = std::thread([&made] {
    WNDCLASSW windowClass{};
    windowClass.lpszClassName = L"VireltaOtherProgram";
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpfnWndProc = OtherWindowProc;
    ::RegisterClassW(&windowClass);
    const HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"Другая программа",
                                          WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 150, 120, nullptr,
                                          nullptr, windowClass.hInstance, nullptr);
    made.set_value(window);
    MSG message;
    while (window != nullptr && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
      ::DispatchMessageW(&message);
    }
  });
  window_ = madeWindow.get();
}

OtherWindow::~OtherWindow() {
  if (window_ != nullptr) {
    ::PostMessageW(window_, WM_CLOSE, 0, 0);
  }
  thread_.join();
}

bool OtherWindow::Activate() const {
  // Under Wine the X server's focus events follow an activation and may take it back a moment
  // later: the window counts as active once it has stayed so for half a second.
  for (int attempt = 0; attempt < 5; ++attempt) {
    ::SetForegroundWindow(window_);
    if (BecomesActive(window_, 5000)) {
      ::Sleep(500);
      if (::GetForegroundWindow() == window_) {
        return true;
      }
    }
  }
  return false;
}

bool BecomesActive(HWND window, DWORD timeoutMs) {
  return WaitFor([&] { return ::GetForegroundWindow() == window; }, timeoutMs);
}

RECT ClientRectOnScreen(HWND window) {
  RECT rect{};
  ::GetClientRect(window, &rect);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::wstring ClassName(HWND window) {
  wchar_t name[256] = {};
  const int length = ::GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? length : 0);
}

std::wstring Text(HWND window) {
  DWORD_PTR length = 0;
  if (!SendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, length)) {
    return L"";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendWithTimeout(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                       copied)) {
    return L"";
  }
  text.resize(std::min<std::size_t>(copied, length));
  return text;
}

bool SetText(HWND window, const std::wstring& text) {
  DWORD_PTR result = 0;
  return SendWithTimeout(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), result) &&
         result != 0;
}

bool Answers(HWND window, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return ::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result) != 0;
}

void Click(HWND button) {
  ::PostMessageW(button, BM_CLICK, 0, 0);
}

bool IsChecked(HWND checkBox) {
  DWORD_PTR state = 0;
  return SendWithTimeout(checkBox, BM_GETCHECK, 0, 0, state) && state == BST_CHECKED;
}

std::optional<std::vector<std::wstring>> ListBoxLines(HWND listBox) {
  DWORD_PTR count = 0;
  if (!SendWithTimeout(listBox, LB_GETCOUNT, 0, 0, count) ||
      static_cast<LRESULT>(count) == LB_ERR) {
    return std::nullopt;
  }
  std::vector<std::wstring> lines;
  for (WPARAM i = 0; i < count; ++i) {
    DWORD_PTR length = 0;
    if (!SendWithTimeout(listBox, LB_GETTEXTLEN, i, 0, length) ||
        static_cast<LRESULT>(length) == LB_ERR) {
      return std::nullopt;
    }
    std::wstring line(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendWithTimeout(listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()), copied) ||
        static_cast<LRESULT>(copied) == LB_ERR) {
      return std::nullopt;
    }
    line.resize(std::min<std::size_t>(copied, length));
    lines.push_back(std::move(line));
  }
  return lines;
}

bool IsShown(HWND window) {
  return ::IsWindowVisible(window) != FALSE;
}

DWORD Style(HWND window) {
  return static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE));
}

RECT WindowRect(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  return rect;
}

SIZE ClientSize(HWND window) {
  RECT rect{};
  ::GetClientRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className) {
  EnumState state{className, false, processId, {}};
  ::EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

std::vector<HWND> Descendants(HWND parent, std::wstring_view className, bool onlyShown) {
  EnumState state{className, onlyShown, 0, {}};
  ::EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

HWND ShownChild(HWND parent, std::wstring_view className, std::wstring_view text) {
  for (HWND window : Descendants(parent, className, true)) {
    if (Text(window) == text) {
      return window;
    }
  }
  return nullptr;
}

std::vector<std::wstring> ShownTexts(HWND parent, std::wstring_view className) {
  std::vector<std::wstring> texts;
  for (HWND window : Descendants(parent, className, true)) {
    texts.push_back(Text(window));
  }
  std::sort(texts.begin(), texts.end());
  return texts;
}

std::optional<Process> Process::Start(const std::wstring& program, const std::wstring& arguments,
                                      const std::wstring& folder, const std::wstring& outputFile) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  os::win32::FileHandle output;
  os::win32::FileHandle input;
  DWORD flags = 0;
  if (!outputFile.empty()) {
    SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
    output.Reset(::CreateFileW(outputFile.c_str(), GENERIC_WRITE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    input.Reset(::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              &inheritable, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!output || !input) {
      return std::nullopt;
    }
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.Get();
    startup.hStdOutput = output.Get();
    startup.hStdError = output.Get();
    flags = DETACHED_PROCESS;
  }
  std::wstring commandLine = L"\"" + program + L"\"";
  if (!arguments.empty()) {
    commandLine += L" " + arguments;
  }
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, output.Valid(),
                        flags, nullptr, folder.c_str(), &startup, &info)) {
    return std::nullopt;
  }
  ::CloseHandle(info.hThread);
  Process process;
  process.process_.Reset(info.hProcess);
  process.id_ = info.dwProcessId;
  process.outputFile_ = outputFile;
  return process;
}

bool Process::Running() const {
  return process_ && ::WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitForExit(DWORD timeoutMs) const {
  return process_ && ::WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

std::optional<DWORD> Process::ExitCode() const {
  DWORD code = 0;
  if (Running() || !::GetExitCodeProcess(process_.Get(), &code)) {
    return std::nullopt;
  }
  return code;
}

std::string Process::Output() const {
  const os::win32::FileHandle file(::CreateFileW(
      outputFile_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (file && ::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    content.append(buffer, read);
  }
  return content;
}

void Process::Kill() const {
  if (Running()) {
    ::TerminateProcess(process_.Get(), 99);
    ::WaitForSingleObject(process_.Get(), 10000);
  }
}

RECT Union(const RECT& a, const RECT& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

bool SaveScreenPng(const RECT& area, const std::wstring& path, std::string& error) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  if (width <= 0 || height <= 0) {
    error = "empty area";
    return false;
  }
  const ScreenDc screen;
  const MemoryDc memory(screen.dc);
  const Bitmap bitmap{::CreateCompatibleBitmap(screen.dc, width, height)};
  if (screen.dc == nullptr || memory.dc == nullptr || bitmap.bitmap == nullptr) {
    error = "no device context or bitmap";
    return false;
  }
  {
    const Selection selected(memory.dc, bitmap.bitmap);
    if (!::BitBlt(memory.dc, 0, 0, width, height, screen.dc, area.left, area.top, SRCCOPY)) {
      error = "BitBlt failed, error " + std::to_string(::GetLastError());
      return false;
    }
  }
  const GdiPlus gdiplus;
  if (!gdiplus.Ok()) {
    error = "GDI+ does not start";
    return false;
  }
  GdipImage image;
  if (Gdiplus::DllExports::GdipCreateBitmapFromHBITMAP(bitmap.bitmap, nullptr, &image.image) !=
      Gdiplus::Ok) {
    error = "GDI+ takes no bitmap";
    return false;
  }
  const Gdiplus::GpStatus status =
      Gdiplus::DllExports::GdipSaveImageToFile(image.image, path.c_str(), &kPngEncoder, nullptr);
  if (status != Gdiplus::Ok) {
    error = "GDI+ cannot save the PNG, status " + std::to_string(status);
    return false;
  }
  return true;
}

}  // namespace uidriver
