#pragma once
// Driving a window program of another process from outside, as an operator would: its windows
// and controls found by class and text, clicks posted (as real input is, so a click that ends
// the program lets it end), texts read with a time-out (a busy program never stalls the driver),
// waits with time-outs, and screenshots of screen areas saved as PNG through GDI+.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "os/win32/Handle.h"

namespace uidriver {

// Polls `condition` every 20 ms until it holds (true) or `timeoutMs` has run out (false).
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs);

std::wstring ClassName(HWND window);
// The window's text through WM_GETTEXT with a time-out of one second: edits and list boxes of
// another process answer only that way. Empty when the window does not answer.
std::wstring Text(HWND window);
bool SetText(HWND window, const std::wstring& text);
// Whether the window's thread answers a message within `timeoutMs` (the system shows a window
// that does not answer for about 5 s as not responding).
bool Answers(HWND window, DWORD timeoutMs);
// Posts a click to a button.
void Click(HWND button);
bool IsChecked(HWND checkBox);
// The lines of a list box; nothing when it does not answer.
std::optional<std::vector<std::wstring>> ListBoxLines(HWND listBox);
// Whether the window and every parent up to its top-level window are visible.
bool IsShown(HWND window);
DWORD Style(HWND window);
RECT WindowRect(HWND window);
SIZE ClientSize(HWND window);

// The top-level windows of a process with the class name (all of them when it is empty).
std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className);
// All windows below `parent` (children of children too) of the class, in the order the system
// enumerates them; with `onlyShown`, only those the operator can see.
std::vector<HWND> Descendants(HWND parent, std::wstring_view className, bool onlyShown);
// The first shown descendant of the class whose text is `text`; null when there is none.
HWND ShownChild(HWND parent, std::wstring_view className, std::wstring_view text);
// The texts of the shown descendants of the class, sorted.
std::vector<std::wstring> ShownTexts(HWND parent, std::wstring_view className);

// A process started by the driver. The destructor ends it when it still runs, so that a failed
// test never leaves it behind.
class Process {
 public:
  Process() = default;
  Process(Process&&) = default;
  Process& operator=(Process&&) = default;
  ~Process() { Kill(); }

  // Starts `program` with the arguments (quoted where needed) in `folder`. With `outputFile`,
  // standard output and standard error go there and the program gets no console.
  static std::optional<Process> Start(const std::wstring& program, const std::wstring& arguments,
                                      const std::wstring& folder,
                                      const std::wstring& outputFile = L"");
  DWORD Id() const { return id_; }
  HANDLE Handle() const { return process_.Get(); }
  bool Running() const;
  // Waits for the end; false on time-out.
  bool WaitForExit(DWORD timeoutMs) const;
  std::optional<DWORD> ExitCode() const;
  // What the program wrote into the output file so far (read whoever else holds it open).
  std::string Output() const;
  void Kill() const;

 private:
  os::win32::KernelHandle process_;
  DWORD id_ = 0;
  std::wstring outputFile_;
};

// A top-level window of the driving process, standing for another program's window on the screen
// (the Explorer window that started the wizard, say): small, in the screen's top-left corner, and
// served by a thread of its own as another program's window would be.
class OtherWindow {
 public:
  OtherWindow();
  ~OtherWindow();
  OtherWindow(const OtherWindow&) = delete;
  OtherWindow& operator=(const OtherWindow&) = delete;
  HWND Handle() const { return window_; }
  // Makes it the active window of the screen and waits until it is.
  bool Activate() const;

 private:
  HWND window_ = nullptr;
  std::thread thread_;
};

// Whether `window` is the active window of the screen, waiting up to `timeoutMs` for it.
bool BecomesActive(HWND window, DWORD timeoutMs);

// The window's client area in screen coordinates.
RECT ClientRectOnScreen(HWND window);

// The smallest rectangle holding both.
RECT Union(const RECT& a, const RECT& b);
// Copies the area of the screen into a PNG file (GDI+ encoder). False with `error` set when it
// cannot.
bool SaveScreenPng(const RECT& area, const std::wstring& path, std::string& error);

}  // namespace uidriver
