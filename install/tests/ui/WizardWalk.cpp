// Drives the setup wizard through one complete installation, as an operator would, and saves a
// screenshot of every page and message on the way:
//   wizard_walk <Install.exe> <target folder> [<screenshots folder>] [--pause <ms>]
// Start page, path page (the target typed in), the driver warning, the components page, the
// driver question ("&Yes"), then the font-size page (the restart question answered "&No", then
// "Выход") or the final question ("&Yes"). --pause waits between the steps, for a watcher.
// Prints each step and the final progress list; exits with 0 when the wizard ended as expected.
// A Linux path (/...) is taken as Wine's drive Z:.
#include <windows.h>

#include <cwchar>
#include <string>

#include "WizardDriver.h"
#include "os/testing/FileHelpers.h"
#include "text/Utf.h"

namespace {

using std::wstring;
using uidriver::Wizard;

constexpr DWORD kStepMs = 15000;
constexpr DWORD kRunMs = 300000;

DWORD pauseMs = 0;

void Print(const wstring& line) {
  const std::string bytes = text::ToUtf8(line + L"\n");
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

DWORD processId = 0;

int Fail(const wstring& what) {
  Print(L"wizard_walk: " + what);
  if (processId != 0) {
    Print(L"The wizard's windows:\n" + uidriver::DescribeWindows(processId));
  }
  return 1;
}

void Step(Wizard& wizard, const wstring& what, const wchar_t* shot, HWND over = nullptr) {
  Print(L"- " + what);
  ::Sleep(pauseMs);
  wizard.Screenshot(shot, over);
}

bool Answer(Wizard& wizard, const wchar_t* button, const wchar_t* shot, DWORD timeoutMs) {
  const std::optional<uidriver::Dialog> dialog = wizard.WaitForDialog(timeoutMs);
  if (!dialog) {
    return false;
  }
  Step(wizard, dialog->caption + L": " + dialog->Message() + L" -> " + button, shot,
       dialog->window);
  return wizard.Answer(*dialog, button, kStepMs);
}

wstring WindowsPath(const wchar_t* path) {
  return os::testing::WinePathOfBuildFile(text::ToUtf8(path).c_str());
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wstring folder;
  wstring positional[3];
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--pause") == 0 && i + 1 < argc) {
      pauseMs = static_cast<DWORD>(_wtoi(argv[++i]));
    } else if (count < 3) {
      positional[count++] = argv[i];
    }
  }
  if (count < 2) {
    return Fail(
        L"usage: wizard_walk <Install.exe> <target folder> [<screenshots folder>] "
        L"[--pause <ms>]");
  }
  const wstring program = WindowsPath(positional[0].c_str());
  if (count == 3) {
    folder = WindowsPath(positional[2].c_str());
    if (folder.back() != L'\\') {
      folder += L'\\';
    }
    ::CreateDirectoryW(folder.c_str(), nullptr);
  }
  Wizard wizard(folder, L"wizard");
  if (!wizard.Start(program, program.substr(0, program.find_last_of(L'\\') + 1), kStepMs)) {
    return Fail(L"the wizard did not show its window: " + program);
  }
  processId = wizard.Program().Id();
  Step(wizard, L"start page", L"start-page");
  if (!wizard.Press(L"Далее") || !wizard.WaitForButton(L"Выбрать", kStepMs)) {
    return Fail(L"no path page");
  }
  Step(wizard, L"path page", L"path-page");
  if (!uidriver::SetText(wizard.PathField(), positional[1]) || !wizard.Press(L"Далее")) {
    return Fail(L"cannot type the target folder");
  }
  const std::optional<uidriver::Dialog> warning = wizard.WaitForTimedMessage(kStepMs);
  if (!warning) {
    return Fail(L"no driver warning");
  }
  Step(wizard, L"driver warning -> OK", L"driver-warning", warning->window);
  if (!wizard.Answer(*warning, L"OK", kStepMs) ||
      !wizard.WaitForButton(L"Начать установку", kStepMs)) {
    return Fail(L"no components page");
  }
  Step(wizard, L"components page", L"components-page");
  wizard.Press(L"Начать установку");
  if (!Answer(wizard, L"&Yes", L"driver-question", kRunMs)) {
    return Fail(L"no driver question");
  }
  const auto questionShown = [&] {
    for (HWND dialog : uidriver::TopLevelWindows(wizard.Program().Id(), uidriver::kDialogClass)) {
      if (uidriver::IsShown(dialog)) {
        return true;
      }
    }
    return false;
  };
  if (!uidriver::WaitFor(
          [&] { return wizard.Button(L"Изменить настройки") != nullptr || questionShown(); },
          kRunMs)) {
    return Fail(L"the installation did not end");
  }
  const bool fontSizePage = wizard.Button(L"Изменить настройки") != nullptr;
  Print(L"Progress list:");
  for (const wstring& line : wizard.Progress()) {
    Print(L"  " + line);
  }
  if (fontSizePage) {
    Step(wizard, L"font-size page", L"font-size-page");
    wizard.Press(L"Изменить настройки");
    if (!Answer(wizard, L"&No", L"restart-question", kStepMs)) {
      return Fail(L"no restart question");
    }
    Step(wizard, L"font-size page -> Выход", L"font-size-page-again");
    wizard.Press(L"Выход");
  } else if (!Answer(wizard, L"&Yes", L"final-question", kStepMs)) {
    return Fail(L"neither the font-size page nor the final question");
  }
  if (!wizard.Program().WaitForExit(kStepMs)) {
    return Fail(L"the wizard did not end");
  }
  for (const std::string& error : wizard.ScreenshotErrors()) {
    Print(L"screenshot failed: " + text::FromUtf8(error));
  }
  for (const wstring& shot : wizard.Screenshots()) {
    Print(L"screenshot " + shot);
  }
  Print(L"The wizard ended with exit code " +
        std::to_wstring(wizard.Program().ExitCode().value_or(0)));
  return wizard.ScreenshotErrors().empty() ? 0 : 1;
}
