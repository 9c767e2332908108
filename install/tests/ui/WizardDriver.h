#pragma once
// The setup wizard Install.exe driven from outside: its main window and pages, the message
// dialogs it shows, the timed message form, and screenshots of what the operator sees.
//
// How the wizard presents itself: the main window is the top-level window of class "TFMain";
// its pages are "TTabSheet" windows of which only the current one is shown, so controls are
// looked up among the shown ones by class and text ("Отмена", "Далее" and "Выход" exist on
// several pages). Memos are read-only multi-line edits, the path field is the one writable
// single-line edit, the progress list is the list box. Message dialogs are top-level windows of
// class "TMessageForm" owned by the main window; the timed message form is "TFMessageform".
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "WindowDriver.h"

namespace uidriver {

inline constexpr wchar_t kMainClass[] = L"TFMain";
inline constexpr wchar_t kMainCaption[] = L"Установка комплекса";
inline constexpr wchar_t kDialogClass[] = L"TMessageForm";
inline constexpr wchar_t kTimedMessageClass[] = L"TFMessageform";
inline constexpr wchar_t kWaitRunClass[] = L"TFWaitRun";

// A dialog window as the operator sees it.
struct Dialog {
  HWND window = nullptr;
  std::wstring caption;
  std::vector<std::wstring> texts;    // the shown labels with text, in the system's order
  std::vector<std::wstring> buttons;  // the shown buttons' texts, sorted
  // The label of a message dialog (its only label with text).
  std::wstring Message() const { return texts.empty() ? L"" : texts.front(); }
};

// What a dialog window shows now.
Dialog ReadDialog(HWND window);

// Every top-level window of the process with its class, caption, whether it is shown, and the
// texts of its shown controls: what a failure report needs to tell where the program stands.
std::wstring DescribeWindows(DWORD processId);

class Wizard {
 public:
  // Screenshots go into `folder` (ending in "\"; none are taken when it is empty), named
  // <prefix>-<two-digit sequence number>-<name>.png.
  Wizard(std::wstring screenshotFolder, std::wstring screenshotPrefix)
      : folder_(std::move(screenshotFolder)), prefix_(std::move(screenshotPrefix)) {}

  // Starts the program in `folder` and waits until its main window is shown.
  bool Start(const std::wstring& program, const std::wstring& folder, DWORD timeoutMs);
  const Process& Program() const { return process_; }
  HWND Main() const { return main_; }

  // Of the current page and the main window, only what is shown.
  HWND Page() const;
  HWND Button(std::wstring_view text) const;
  std::vector<std::wstring> Buttons() const;
  std::wstring Memo() const;
  // The path field, the progress list and its lines, whichever page is shown.
  HWND PathField() const;
  HWND ProgressList() const;
  std::vector<std::wstring> Progress() const;

  // Clicks the shown button; false when there is none.
  bool Press(std::wstring_view text) const;
  bool WaitForButton(std::wstring_view text, DWORD timeoutMs) const;
  // The first shown message dialog owned by the main window, or the timed message form.
  std::optional<Dialog> WaitForDialog(DWORD timeoutMs) const;
  std::optional<Dialog> WaitForTimedMessage(DWORD timeoutMs) const;
  // Clicks the dialog's button and waits until the dialog has gone.
  bool Answer(const Dialog& dialog, std::wstring_view button, DWORD timeoutMs) const;

  // The main window (and the dialog over it) as a PNG; failures are collected, not fatal.
  void Screenshot(std::wstring_view name, HWND over = nullptr);
  const std::vector<std::string>& ScreenshotErrors() const { return screenshotErrors_; }
  // The files saved so far.
  const std::vector<std::wstring>& Screenshots() const { return screenshots_; }

 private:
  std::optional<Dialog> WaitForTopLevel(const wchar_t* className, bool owned,
                                        DWORD timeoutMs) const;

  std::wstring folder_;
  std::wstring prefix_;
  Process process_;
  HWND main_ = nullptr;
  int shot_ = 0;
  std::vector<std::string> screenshotErrors_;
  std::vector<std::wstring> screenshots_;
};

// The folder named by VIRELTA_TEST_SCREENSHOTS as a Windows path ending in "\" (a Linux path
// given there is taken as Wine's drive Z:), created when missing; empty when the variable is not
// set.
std::wstring ScreenshotFolderFromEnvironment(const std::wstring& subfolder);

}  // namespace uidriver
