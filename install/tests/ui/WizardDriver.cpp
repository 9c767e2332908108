#include "WizardDriver.h"

#include <cstdlib>

#include "os/testing/FileHelpers.h"
#include "text/Utf.h"

namespace uidriver {
namespace {

bool IsMemo(HWND edit) {
  const DWORD style = Style(edit);
  return (style & ES_MULTILINE) != 0 && (style & ES_READONLY) != 0;
}

// Lets a window that has just changed finish painting: messages sent are handled before
// painting, so one answer is not enough.
void LetPaint(HWND window) {
  Answers(window, 2000);
  ::Sleep(300);
  Answers(window, 2000);
}

}  // namespace

Dialog ReadDialog(HWND window) {
  Dialog dialog;
  dialog.window = window;
  dialog.caption = Text(window);
  for (HWND label : Descendants(window, L"Static", true)) {
    std::wstring text = Text(label);
    if (!text.empty()) {
      dialog.texts.push_back(std::move(text));
    }
  }
  dialog.buttons = ShownTexts(window, L"Button");
  return dialog;
}

std::wstring DescribeWindows(DWORD processId) {
  std::wstring description;
  for (HWND window : TopLevelWindows(processId, L"")) {
    description += ClassName(window) + L" \"" + Text(window) + L"\"" +
                   (IsShown(window) ? L" shown" : L" hidden") + L"\n";
    if (!IsShown(window)) {
      continue;
    }
    for (HWND control : Descendants(window, L"", true)) {
      const std::wstring text =
          ClassName(control) == L"ListBox"
              ? std::to_wstring(
                    ListBoxLines(control).value_or(std::vector<std::wstring>{}).size()) +
                    L" lines"
              : Text(control);
      if (!text.empty()) {
        description += L"  " + ClassName(control) + L": " + text.substr(0, 80) + L"\n";
      }
    }
  }
  return description;
}

bool Wizard::Start(const std::wstring& program, const std::wstring& folder, DWORD timeoutMs) {
  std::optional<Process> started = Process::Start(program, L"", folder);
  if (!started) {
    return false;
  }
  process_ = std::move(*started);
  return WaitFor(
             [&] {
               for (HWND window : TopLevelWindows(process_.Id(), kMainClass)) {
                 if (IsShown(window) && Text(window) == kMainCaption) {
                   main_ = window;
                   return true;
                 }
               }
               return !process_.Running();
             },
             timeoutMs) &&
         main_ != nullptr;
}

HWND Wizard::Page() const {
  const std::vector<HWND> pages = Descendants(main_, L"TTabSheet", true);
  return pages.size() == 1 ? pages.front() : nullptr;
}

HWND Wizard::Button(std::wstring_view text) const {
  return ShownChild(main_, L"Button", text);
}

std::vector<std::wstring> Wizard::Buttons() const {
  return ShownTexts(main_, L"Button");
}

std::wstring Wizard::Memo() const {
  for (HWND edit : Descendants(main_, L"Edit", true)) {
    if (IsMemo(edit)) {
      return Text(edit);
    }
  }
  return L"(no memo shown)";
}

HWND Wizard::PathField() const {
  for (HWND edit : Descendants(main_, L"Edit", false)) {
    const DWORD style = Style(edit);
    if ((style & ES_MULTILINE) == 0 && (style & ES_READONLY) == 0) {
      return edit;
    }
  }
  return nullptr;
}

HWND Wizard::ProgressList() const {
  const std::vector<HWND> lists = Descendants(main_, L"ListBox", false);
  return lists.size() == 1 ? lists.front() : nullptr;
}

std::vector<std::wstring> Wizard::Progress() const {
  return ListBoxLines(ProgressList()).value_or(std::vector<std::wstring>{L"(no answer)"});
}

bool Wizard::Press(std::wstring_view text) const {
  const HWND button = Button(text);
  if (button == nullptr) {
    return false;
  }
  Click(button);
  return true;
}

bool Wizard::WaitForButton(std::wstring_view text, DWORD timeoutMs) const {
  return WaitFor([&] { return Button(text) != nullptr; }, timeoutMs);
}

std::optional<Dialog> Wizard::WaitForTopLevel(const wchar_t* className, bool owned,
                                              DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor(
      [&] {
        for (HWND window : TopLevelWindows(process_.Id(), className)) {
          if (IsShown(window) && (!owned || ::GetWindow(window, GW_OWNER) == main_)) {
            found = window;
            return true;
          }
        }
        return !process_.Running();
      },
      timeoutMs);
  if (found == nullptr) {
    return std::nullopt;
  }
  // Its controls are made before it shows, but may still be painting.
  Answers(found, 2000);
  return ReadDialog(found);
}

std::optional<Dialog> Wizard::WaitForDialog(DWORD timeoutMs) const {
  return WaitForTopLevel(kDialogClass, true, timeoutMs);
}

std::optional<Dialog> Wizard::WaitForTimedMessage(DWORD timeoutMs) const {
  return WaitForTopLevel(kTimedMessageClass, false, timeoutMs);
}

bool Wizard::Answer(const Dialog& dialog, std::wstring_view button, DWORD timeoutMs) const {
  const HWND control = ShownChild(dialog.window, L"Button", button);
  if (control == nullptr) {
    return false;
  }
  Click(control);
  return WaitFor([&] { return !::IsWindow(dialog.window) || !IsShown(dialog.window); }, timeoutMs);
}

void Wizard::Screenshot(std::wstring_view name, HWND over) {
  if (folder_.empty() || main_ == nullptr) {
    return;
  }
  LetPaint(over != nullptr ? over : main_);
  RECT area = WindowRect(main_);
  if (over != nullptr) {
    area = Union(area, WindowRect(over));
  }
  ++shot_;
  const std::wstring number = (shot_ < 10 ? L"0" : L"") + std::to_wstring(shot_);
  const std::wstring path = folder_ + prefix_ + L"-" + number + L"-" + std::wstring(name) + L".png";
  std::string error;
  if (SaveScreenPng(area, path, error)) {
    screenshots_.push_back(path);
  } else {
    screenshotErrors_.push_back(text::ToUtf8(path) + ": " + error);
  }
}

std::wstring ScreenshotFolderFromEnvironment(const std::wstring& subfolder) {
  const char* value = std::getenv("VIRELTA_TEST_SCREENSHOTS");
  if (value == nullptr || *value == '\0') {
    return L"";
  }
  std::wstring folder = os::testing::WinePathOfBuildFile(value);
  if (folder.back() != L'\\') {
    folder += L'\\';
  }
  ::CreateDirectoryW(folder.c_str(), nullptr);
  if (!subfolder.empty()) {
    folder += subfolder + L"\\";
    ::CreateDirectoryW(folder.c_str(), nullptr);
  }
  return folder;
}

}  // namespace uidriver
