// Install.exe started for real under Wine from a sample installation medium and driven from
// outside as an operator would: pages, texts, buttons, path messages, the driver warning, the
// questions, the progress list, closing. Every page and message visited is saved as a PNG into
// the folder named by VIRELTA_TEST_SCREENSHOTS.
//
// The screen's resolution comes from VIRELTA_TEST_LOGPIXELS: unset in the normal session (96
// logical pixels per inch, small fonts), 120 in the large-fonts session. Installations change
// the Windows fonts folder and the desktop: this program holds the system-state resource lock,
// and every test removes the fonts, font values and shortcut its runs added.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "SampleMedium.h"
#include "WizardDriver.h"
#include "engine/Fonts.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"

namespace {

using std::wstring;
using uidriver::Dialog;
using uidriver::Wizard;

constexpr DWORD kStartMs = 30000;
constexpr DWORD kStepMs = 10000;
constexpr DWORD kRunMs = 180000;

// What the operator reads, line by line.
const std::vector<wstring> kStartText = {
    L"Добро пожаловать в программу установки комплекса ",
    L"\"ВИРЕЛЬТА\"!",
    L"",
    L"Для продолжения установки, нажмите кнопку \"Далее\".",
    L"",
    L"Для выхода из программы установки нажмите кнопку \"Отмена\".",
};
const std::vector<wstring> kPathText = {
    L"Пожалуйста, задайте путь куда устанавливать программную часть ",
    L"комплекса \"Вирельта\"",
};
const std::vector<wstring> kComponentsText = {
    L" - Если у Вас есть 2-х канальный кабель для регистрации детских ЭКГ, поставьте ",
    L"галочку в поле \"Регистрация 2-х канальной ЭКГ\".",
    L" - Если у Вас есть универсальный регистратор, поставьте галочку в поле ",
    L"\"Универсальный регистратор\".",
    L" - Если у Вас установлен монитор АД \"Tonvar\", поставьте галочку в поле \"установлен ",
    L"монитор АД \"Tonvar\"\".",
    L"",
    L" - Задайте, пожалуйста, тип ЭКГ, который Вы чаще всего будете регистрировать.",
    L"",
    L" - Нажмите кнопку \"Начать установку\", для того чтобы установить программное ",
    L"обеспечение на Ваш компъютер.",
    L"",
    L"Все настройки можно изменить позже, во время работы с программой ",
    L"\"Вирельта\" в меню \"Настройки\".",
};
const std::vector<wstring> kCancelText = {
    L"Установка комплекса \"Вирельта\" отменена!",
    L"",
    L"Нажмите кнопку \"Выход\", для выхода из программы установки.",
};
const std::vector<wstring> kFontSizeText = {
    L"В настройках операционной системы Вашего компьютера выбрано использование ",
    L"\"мелкого\" размера шрифта.",
    L"",
    L"Для корректной работы программы \"Вирельта\" требуется использование ",
    L"\"крупного\" размера шрифта.",
    L"",
    L"Рекомендуется произвести изменения. Для этого надо нажать кнопку \"Изменить ",
    L"настройки\". В появившемся окне надо ответить \"Да\".",
    L"",
    L"Если Вы считаете, что установка \"крупного\" размера шрифта Вам не нужна, ",
    L"нажмите кнопку \"Выход\".",
};
const std::vector<wstring> kRestartQuestion = {
    L"Изменения в настройки внесены, для того чтобы они",
    L"вступили в силу, требуется перзагрузить операционную систему.",
    L"Выполнить перезагрузку сейчас?",
};
constexpr wchar_t kDriverWarning[] =
    L"Внимание!\r Если на вашем компьютере уже установлен комплекс \"Вирельта\",\r снимите "
    L"галочку установки драйвера!";
constexpr wchar_t kNoPath[] = L"Не выбран путь для установки программы!";
constexpr wchar_t kRootFolder[] = L"Программу нелзя устанавливать в корневой каталог!";
constexpr wchar_t kCancelQuestion[] = L"Вы уверены, что хотите отменить процесс установки?";
constexpr wchar_t kDriverQuestion[] = L"Подключите интерфейсный блок и нажмите \"Yes\"?";
constexpr wchar_t kFinalQuestion[] = L"Установка завершена. Выйти из программы установки?";
constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

const std::vector<wstring> kOk = {L"OK"};
const std::vector<wstring> kYesNo = {L"&No", L"&Yes"};

wstring Joined(const std::vector<wstring>& lines) {
  wstring text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    text += (i == 0 ? L"" : L"\r\n") + lines[i];
  }
  return text;
}

// Readable in a failure message.
std::string Shown(const std::vector<wstring>& lines) {
  std::string text;
  for (const wstring& line : lines) {
    text += "[" + text::ToUtf8(line) + "]\n";
  }
  return text;
}
std::string Shown(const wstring& text) {
  return text::ToUtf8(text);
}

int ExpectedLogPixels() {
  const char* value = std::getenv("VIRELTA_TEST_LOGPIXELS");
  return value == nullptr || *value == '\0' ? 96 : std::atoi(value);
}

// The lines a console installer wrote (UTF-8, CR LF).
std::vector<wstring> Lines(const std::string& bytes) {
  std::vector<wstring> lines;
  const wstring text = text::FromUtf8(bytes);
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(L"\r\n", start)) != wstring::npos; start = end + 2) {
    lines.push_back(text.substr(start, end - start));
  }
  return lines;
}

std::set<wstring> ValueNames(HKEY root, const wstring& key) {
  std::set<wstring> names;
  HKEY opened = nullptr;
  if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) {
    return names;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[512];
    DWORD length = 512;
    if (::RegEnumValueW(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    names.emplace(name, length);
  }
  ::RegCloseKey(opened);
  return names;
}

wstring RegistryText(HKEY root, const wstring& key, const wstring& name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  return ::RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) ==
                 ERROR_SUCCESS
             ? wstring(value)
             : wstring();
}

bool IsFolder(const wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsFile(const wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The control that has the keyboard focus in the window's thread.
HWND Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus
                                                                                : nullptr;
}

bool IsEnabled(HWND window) {
  return window != nullptr && ::IsWindowEnabled(window);
}

// The countdown label of the timed message form: two blanks, the seconds left, "с".
int SecondsLeft(const Dialog& form) {
  for (const wstring& text : form.texts) {
    if (text.size() > 3 && text.starts_with(L"  ") && text.back() == L'с') {
      return _wtoi(text.substr(2, text.size() - 3).c_str());
    }
  }
  return -1;
}

// The timed message form's docked controls against its client area: the message across the top,
// "OK" flush right in the button strip, "остановить" at the left of the countdown strip (when
// shown) at the bottom, the button strip directly above it.
bool Docked(HWND form) {
  const RECT client = uidriver::ClientRectOnScreen(form);
  const HWND ok = uidriver::ShownChild(form, L"Button", L"OK");
  const HWND message = uidriver::ShownChild(form, L"Static", kDriverWarning);
  if (ok == nullptr || message == nullptr) {
    return false;
  }
  const RECT m = uidriver::WindowRect(message);
  const RECT o = uidriver::WindowRect(ok);
  const HWND stop = uidriver::ShownChild(form, L"Button", L"остановить");
  const RECT s = stop != nullptr ? uidriver::WindowRect(stop) : RECT{client.left, o.bottom, 0, 0};
  return m.left == client.left && m.right == client.right && m.top == client.top &&
         o.right == client.right && s.left == client.left && s.top == o.bottom &&
         (stop != nullptr ? s.bottom : o.bottom) == client.bottom;
}

class WizardUnderWine : public testing::Test {
 protected:
  void SetUp() override {
    const std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    shots_ = uidriver::ScreenshotFolderFromEnvironment(std::to_wstring(ExpectedLogPixels()));
    wchar_t windows[MAX_PATH];
    fontsFolder_ = wstring(windows, ::GetWindowsDirectoryW(windows, MAX_PATH)) + L"\\Fonts\\";
    fontsBefore_ = Names(fontsFolder_ + L"*");
    fontValuesBefore_ = ValueNames(HKEY_LOCAL_MACHINE, wstring(engine::kFontsKey));
    shortcut_ = os::testing::JoinPath(RegistryText(HKEY_CURRENT_USER, kShellFolders, L"Desktop"),
                                      L"Вирельта.lnk");
    ::DeleteFileW(shortcut_.c_str());
    scratch_ = env_->NewScratchFolder();
  }

  void TearDown() override {
    if (wizard_ && wizard_->Program().Running()) {
      if (HasFailure()) {
        std::printf("The wizard's windows:\n%s",
                    text::ToUtf8(uidriver::DescribeWindows(wizard_->Program().Id())).c_str());
      }
      wizard_->Program().Kill();
    }
    wizard_.reset();
    RestoreSystemState();
    for (const wstring& target : targets_) {
      os::testing::RemoveTree(fs_, target);
    }
  }

  // Removes the fonts, font values and the desktop shortcut that runs added, so that the next
  // run installs the fonts again.
  void RestoreSystemState() {
    for (const wstring& font : Names(fontsFolder_ + L"*")) {
      if (!fontsBefore_.contains(font)) {
        ::DeleteFileW((fontsFolder_ + font).c_str());
      }
    }
    for (const wstring& value : ValueNames(HKEY_LOCAL_MACHINE, wstring(engine::kFontsKey))) {
      if (!fontValuesBefore_.contains(value)) {
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, wstring(engine::kFontsKey).c_str(), value.c_str());
      }
    }
    ::DeleteFileW(shortcut_.c_str());
  }

  std::set<wstring> Names(const wstring& pattern) {
    os::ErrorCode error = 0;
    const std::vector<wstring> names = os::testing::FindNames(fs_, pattern, error);
    return {names.begin(), names.end()};
  }

  // A fresh target folder on C:, removed again at the end.
  wstring Target(const wstring& name) {
    const wstring target = L"C:\\" + name + L"\\";
    os::testing::RemoveTree(fs_, target);
    targets_.push_back(target);
    return target;
  }

  // The progress list the console installer of the same medium writes for the same run; the
  // fonts and shortcut it adds are removed again, so the wizard's run installs them as well.
  std::vector<wstring> ConsoleInstallerLines(const wstring& medium, const wstring& options,
                                             const wstring& target) {
    const std::optional<uidriver::Process> cli =
        uidriver::Process::Start(medium + L"InstallCli.exe", options + L" \"" + target + L"\"",
                                 scratch_, scratch_ + L"InstallCli.txt");
    EXPECT_TRUE(cli.has_value()) << "error " << ::GetLastError();
    if (!cli) {
      return {};
    }
    EXPECT_TRUE(cli->WaitForExit(kRunMs));
    EXPECT_EQ(cli->ExitCode(), 0u);
    RestoreSystemState();
    // Standard output and standard error share the file: progress lines are all that do not
    // come from standard error's questions and completion.
    std::vector<wstring> lines;
    for (wstring& line : Lines(cli->Output())) {
      if (!line.starts_with(L"Confirm: ") && !line.starts_with(L"Установка завершена.") &&
          !line.starts_with(L"В настройках операционной системы")) {
        lines.push_back(std::move(line));
      }
    }
    return lines;
  }

  // Start page to the progress page: start page, path page (the field set to `field`), the
  // driver warning, the components page, "Начать установку". Every page checked and shot.
  void WalkToInstallation(Wizard& wizard, const wstring& field, const wstring& normalised) {
    ASSERT_EQ(wizard.Memo(), Joined(kStartText)) << Shown(wizard.Memo());
    const std::vector<wstring> startButtons = {L"Далее", L"Отмена"};
    EXPECT_EQ(wizard.Buttons(), startButtons) << Shown(wizard.Buttons());
    wizard.Screenshot(L"start-page");
    ASSERT_TRUE(wizard.Press(L"Далее"));
    ASSERT_TRUE(wizard.WaitForButton(L"Выбрать", kStepMs));
    EXPECT_EQ(wizard.Memo(), Joined(kPathText)) << Shown(wizard.Memo());
    const std::vector<wstring> pathButtons = {L"Выбрать", L"Далее", L"Отмена"};
    EXPECT_EQ(wizard.Buttons(), pathButtons) << Shown(wizard.Buttons());
    const HWND path = wizard.PathField();
    ASSERT_NE(path, nullptr);
    EXPECT_TRUE(uidriver::IsShown(path));
    EXPECT_EQ(uidriver::Text(path), L"C:\\Virelta");
    EXPECT_TRUE(uidriver::WaitFor([&] { return Focus(wizard.Main()) == path; }, kStepMs));
    wizard.Screenshot(L"path-page");
    ASSERT_TRUE(uidriver::SetText(path, field));
    PressBehindOther(wizard, L"Далее");
    PassDriverWarning(wizard, false);
    EXPECT_TRUE(uidriver::WaitFor([&] { return uidriver::Text(path) == normalised; }, kStepMs))
        << Shown(uidriver::Text(path)) << " answers " << uidriver::Answers(path, 1000);
    EXPECT_EQ(IsFolder(normalised + L"Settings\\"), true) << Shown(normalised);
    ExpectComponentsPage(wizard);
    wizard.Screenshot(L"components-page");
    PressBehindOther(wizard, L"Начать установку");
    ASSERT_TRUE(uidriver::WaitFor(
        [&] {
          return wizard.Button(L"Выход") != nullptr && uidriver::IsShown(wizard.ProgressList());
        },
        kStepMs));
  }

  // The timed warning shown on every entry of the components page: its text, its buttons, the
  // countdown; closed with OK (or, with `stop`, after "остановить").
  void PassDriverWarning(Wizard& wizard, bool stop) {
    const std::optional<Dialog> warning = wizard.WaitForTimedMessage(kStepMs);
    ASSERT_TRUE(warning.has_value()) << "no driver warning";
    EXPECT_EQ(warning->caption, L"");
    ASSERT_FALSE(warning->texts.empty());
    EXPECT_NE(std::find(warning->texts.begin(), warning->texts.end(), kDriverWarning),
              warning->texts.end())
        << Shown(warning->texts);
    const std::vector<wstring> buttons = {L"OK", L"остановить"};
    EXPECT_EQ(warning->buttons, buttons) << Shown(warning->buttons);
    // The main window takes no input while the form is up.
    EXPECT_FALSE(::IsWindowEnabled(wizard.Main()));
    // "  сек" until the first tick, then the seconds left.
    ASSERT_TRUE(uidriver::WaitFor(
        [&] { return SecondsLeft(uidriver::ReadDialog(warning->window)) > 0; }, 3000))
        << Shown(uidriver::ReadDialog(warning->window).texts);
    const int left = SecondsLeft(uidriver::ReadDialog(warning->window));
    EXPECT_TRUE(left >= 17 && left <= 19) << left;
    const HWND ok = uidriver::ShownChild(warning->window, L"Button", L"OK");
    EXPECT_TRUE(uidriver::WaitFor([&] { return Focus(warning->window) == ok; }, kStepMs));
    EXPECT_TRUE(uidriver::WaitFor([&] { return Docked(warning->window); }, kStepMs));
    wizard.Screenshot(stop ? L"driver-warning-again" : L"driver-warning", warning->window);
    if (stop) {
      ASSERT_NE(uidriver::ShownChild(warning->window, L"Button", L"остановить"), nullptr);
      uidriver::Click(uidriver::ShownChild(warning->window, L"Button", L"остановить"));
      ASSERT_TRUE(uidriver::WaitFor(
          [&] { return uidriver::ShownTexts(warning->window, L"Button") == kOk; }, kStepMs))
          << Shown(uidriver::ShownTexts(warning->window, L"Button"));
      EXPECT_EQ(uidriver::ShownChild(warning->window, L"Static", L"Окно закроется через"), nullptr);
      // Its border is sizeable: the docked controls follow a larger size.
      const RECT before = uidriver::WindowRect(warning->window);
      ::SetWindowPos(warning->window, nullptr, 0, 0, before.right - before.left + 120,
                     before.bottom - before.top + 60, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      EXPECT_TRUE(uidriver::WaitFor([&] { return Docked(warning->window); }, kStepMs));
      wizard.Screenshot(L"driver-warning-stopped", warning->window);
    }
    ASSERT_TRUE(wizard.Answer(*warning, L"OK", kStepMs));
    ExpectActive(wizard);
  }

  void ExpectComponentsPage(Wizard& wizard) {
    ASSERT_TRUE(wizard.WaitForButton(L"Начать установку", kStepMs));
    EXPECT_EQ(wizard.Memo(), Joined(kComponentsText)) << Shown(wizard.Memo());
    const std::vector<wstring> buttons = {L"Назад", L"Начать установку", L"Отмена",
                                          L"Устанавливать драйвер"};
    EXPECT_EQ(wizard.Buttons(), buttons) << Shown(wizard.Buttons());
    EXPECT_TRUE(uidriver::IsChecked(wizard.Button(L"Устанавливать драйвер")));
    EXPECT_TRUE(uidriver::Descendants(wizard.Main(), L"ComboBox", true).empty());
  }

  // A message dialog of the wizard with the caption, message and buttons.
  Dialog ExpectDialog(Wizard& wizard, const wchar_t* caption, const wstring& message,
                      const std::vector<wstring>& buttons, const wchar_t* shot,
                      DWORD timeoutMs = kStepMs) {
    const std::optional<Dialog> dialog = wizard.WaitForDialog(timeoutMs);
    if (!dialog) {
      ADD_FAILURE() << "no dialog " << Shown(message);
      return {};
    }
    EXPECT_EQ(dialog->caption, caption);
    EXPECT_EQ(dialog->Message(), message) << Shown(dialog->texts);
    EXPECT_EQ(dialog->buttons, buttons) << Shown(dialog->buttons);
    EXPECT_EQ(dialog->texts.size(), 1u) << Shown(dialog->texts);
    EXPECT_FALSE(::IsWindowEnabled(wizard.Main()));  // modal
    wizard.Screenshot(shot, dialog->window);
    return *dialog;
  }

  // Answers the dialog; unless the answer ends the program, the wizard is the active window again.
  void Answer(Wizard& wizard, const Dialog& dialog, const wchar_t* button, bool ends = false) {
    ASSERT_NE(dialog.window, nullptr);
    EXPECT_TRUE(wizard.Answer(dialog, button, kStepMs)) << Shown(button);
    if (!ends) {
      ExpectActive(wizard);
    }
  }

  // Another program's window is made active before the wizard's next message appears; once the
  // message is gone, the wizard has to be active again (ExpectActive), not that window.
  void PressBehindOther(Wizard& wizard, const wchar_t* button) {
    ASSERT_TRUE(other_.Activate()) << "another program's window cannot be activated";
    ASSERT_TRUE(wizard.Press(button)) << Shown(button);
  }
  void ExpectActive(Wizard& wizard) {
    EXPECT_TRUE(uidriver::BecomesActive(wizard.Main(), kStepMs))
        << "active: " << Shown(uidriver::Text(::GetForegroundWindow()));
  }

  void ExpectEndsWithin(Wizard& wizard, DWORD timeoutMs) {
    EXPECT_TRUE(wizard.Program().WaitForExit(timeoutMs)) << "the wizard still runs";
    EXPECT_EQ(wizard.Program().ExitCode(), 0u);
  }

  void ExpectNoScreenshotErrors(const Wizard& wizard) {
    for (const std::string& error : wizard.ScreenshotErrors()) {
      ADD_FAILURE() << "screenshot: " << error;
    }
  }

  // Starts the wizard from the medium; it is ended at the end of the test if still running, and
  // a failed test reports where it stood.
  Wizard& Launch(const wchar_t* scenario, const wstring& medium) {
    wizard_.reset();
    wizard_.emplace(shots_, scenario);
    EXPECT_TRUE(other_.Activate());
    EXPECT_TRUE(wizard_->Start(medium + L"Install.exe", scratch_, kStartMs))
        << "no main window from " << Shown(medium);
    // Started by the operator, it takes the foreground from the other program's window.
    ExpectActive(*wizard_);
    return *wizard_;
  }

  std::unique_ptr<os::testing::TestEnvironment> env_ = os::testing::MakeTestEnvironment();
  uidriver::OtherWindow other_;
  os::IFileSystem& fs_ = env_->Fs();
  wstring scratch_;
  wstring shots_;
  wstring fontsFolder_;
  std::set<wstring> fontsBefore_;
  std::set<wstring> fontValuesBefore_;
  wstring shortcut_;
  std::vector<wstring> targets_;
  std::optional<Wizard> wizard_;
};

// The whole road from the sample medium: every page's texts, the driver question answered
// "&Yes", the progress list as the console installer writes it, then at 96 logical pixels per
// inch the font-size page with the restart question answered "&No" and "Выход", at 120 the final
// question answered "&Yes".
TEST_F(WizardUnderWine, InstallsFromTheSampleMedium) {
  const int pixels = ExpectedLogPixels();
  ASSERT_TRUE(pixels == 96 || pixels == 120) << pixels;
  const wstring medium = medium::SampleMediumFolder();
  const wstring suffix = std::to_wstring(pixels);
  const std::vector<wstring> expected =
      ConsoleInstallerLines(medium, L"--yes", Target(L"UiConsole" + suffix));
  ASSERT_GT(expected.size(), 20u) << Shown(expected);
  const wstring target = Target(L"UiFull" + suffix);

  Wizard& wizard = Launch(L"install", medium);
  ASSERT_FALSE(HasFailure());
  const SIZE client = uidriver::ClientSize(wizard.Main());
  EXPECT_EQ(client.cx, 954);
  EXPECT_EQ(client.cy, 579);
  // A system menu with its close box; no sizing border, no minimise box.
  EXPECT_EQ(uidriver::Style(wizard.Main()) & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_SYSMENU),
            static_cast<DWORD>(WS_SYSMENU));
  const std::vector<HWND> launching =
      uidriver::TopLevelWindows(wizard.Program().Id(), uidriver::kWaitRunClass);
  ASSERT_EQ(launching.size(), 1u);
  EXPECT_FALSE(uidriver::IsShown(launching[0]));
  EXPECT_EQ(uidriver::Text(launching[0]), L"Launching ");
  const std::vector<HWND> info = uidriver::Descendants(wizard.Main(), L"RICHEDIT50W", true);
  ASSERT_EQ(info.size(), 1u);
  EXPECT_FALSE(uidriver::Text(info[0]).empty());
  EXPECT_FALSE(IsEnabled(wizard.Button(L"Выход")));  // not shown
  const RECT cancel = uidriver::WindowRect(wizard.Button(L"Отмена"));
  const RECT next = uidriver::WindowRect(wizard.Button(L"Далее"));
  EXPECT_LT(cancel.right, next.left) << "\"Отмена\" on the left, \"Далее\" on the right";

  // Blanks around the field's path are dropped and "\" is added.
  WalkToInstallation(wizard, L"  " + target.substr(0, target.size() - 1) + L" ", target);
  EXPECT_EQ(wizard.Buttons(), std::vector<wstring>{L"Выход"}) << Shown(wizard.Buttons());
  EXPECT_FALSE(IsEnabled(wizard.Button(L"Выход")));

  // The driver question comes after the copy phase and the fonts.
  const Dialog driver =
      ExpectDialog(wizard, L"Confirm", kDriverQuestion, kYesNo, L"driver-question", kRunMs);
  const auto driverLine =
      std::find(expected.begin(), expected.end(), L"Началась установка драйверов устройства...");
  ASSERT_NE(driverLine, expected.end()) << Shown(expected);
  EXPECT_EQ(wizard.Progress(), std::vector<wstring>(expected.begin(), driverLine));
  EXPECT_FALSE(IsEnabled(wizard.Button(L"Выход")));
  Answer(wizard, driver, L"&Yes");

  if (pixels == 96) {
    ASSERT_TRUE(wizard.WaitForButton(L"Изменить настройки", kRunMs));
    EXPECT_EQ(wizard.Memo(), Joined(kFontSizeText)) << Shown(wizard.Memo());
    const std::vector<wstring> buttons = {L"Выход", L"Изменить настройки"};
    EXPECT_EQ(wizard.Buttons(), buttons) << Shown(wizard.Buttons());
    EXPECT_EQ(wizard.Progress(), expected) << Shown(wizard.Progress());
    wizard.Screenshot(L"font-size-page");
    PressBehindOther(wizard, L"Изменить настройки");
    Answer(wizard,
           ExpectDialog(wizard, L"Warning", Joined(kRestartQuestion), kYesNo, L"restart-question"),
           L"&No");
    EXPECT_TRUE(wizard.WaitForButton(L"Изменить настройки", kStepMs));
    EXPECT_TRUE(wizard.Program().Running());
    ASSERT_TRUE(wizard.Press(L"Выход"));
  } else {
    const Dialog final =
        ExpectDialog(wizard, L"Confirm", kFinalQuestion, kYesNo, L"final-question", kRunMs);
    EXPECT_EQ(wizard.Progress(), expected) << Shown(wizard.Progress());
    EXPECT_TRUE(IsEnabled(wizard.Button(L"Выход")));
    Answer(wizard, final, L"&Yes", true);
  }
  ExpectEndsWithin(wizard, kStepMs);
  ExpectNoScreenshotErrors(wizard);

  // What the run left: the files of the medium, the release level, the driver, the shortcut.
  EXPECT_EQ(os::testing::ReadBytes(fs_, target + L"DTAfb\\R40.FDB"),
            os::testing::ReadBytes(fs_, medium + L"DTAfb\\R40.FDB"));
  const std::string releaseInfo = os::testing::ReadBytes(fs_, target + L"ReleaseInfo").value_or("");
  EXPECT_NE(releaseInfo.find("<Level>010113</Level>"), std::string::npos) << releaseInfo;
  EXPECT_TRUE(os::testing::ReadBytes(fs_, target + L"Usbprep\\dpinst_standin.log").has_value());
  EXPECT_TRUE(IsFile(shortcut_)) << Shown(shortcut_);
}

// The path page's two messages, "Назад" and the driver warning once more (the second time it
// closes by itself after its 20 seconds), then the cancel question answered "&No" and "&Yes",
// the cancel page and its "Выход".
TEST_F(WizardUnderWine, PathMessagesBackAndCancel) {
  const wstring target = Target(L"UiPaths");
  Wizard& wizard = Launch(L"paths", medium::SampleMediumFolder());
  ASSERT_FALSE(HasFailure());
  ASSERT_TRUE(wizard.Press(L"Далее"));
  ASSERT_TRUE(wizard.WaitForButton(L"Выбрать", kStepMs));
  const HWND path = wizard.PathField();
  ASSERT_NE(path, nullptr);

  struct Case {
    const wchar_t* field;
    const wchar_t* caption;
    const wchar_t* message;
    const wchar_t* shownAfter;
    const wchar_t* shot;
  };
  const Case cases[] = {
      {L"", L"Error", kNoPath, L"", L"empty-path"},
      {L" \t  ", L"Error", kNoPath, L" \t  ", L"blank-path"},
      {L"C:", L"Warning", kRootFolder, L"C:\\", L"root-folder"},
      {L" C:\\ ", L"Warning", kRootFolder, L"C:\\", L"root-folder-again"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Shown(c.field));
    ASSERT_TRUE(uidriver::SetText(path, c.field));
    PressBehindOther(wizard, L"Далее");
    Answer(wizard, ExpectDialog(wizard, c.caption, c.message, kOk, c.shot), L"OK");
    EXPECT_TRUE(wizard.WaitForButton(L"Выбрать", kStepMs)) << "not on the path page any more";
    EXPECT_TRUE(uidriver::WaitFor([&] { return Focus(wizard.Main()) == path; }, kStepMs));
    EXPECT_EQ(uidriver::Text(path), c.shownAfter);
  }

  // The folder browser cancelled leaves the field as it was.
  ASSERT_TRUE(uidriver::SetText(path, target.substr(0, target.size() - 1)));
  PressBehindOther(wizard, L"Выбрать");
  HWND browser = nullptr;
  ASSERT_TRUE(uidriver::WaitFor(
      [&] {
        for (HWND window : uidriver::TopLevelWindows(wizard.Program().Id(), L"#32770")) {
          browser = uidriver::IsShown(window) ? window : browser;
        }
        return browser != nullptr;
      },
      kStepMs))
      << "no folder browser";
  wizard.Screenshot(L"folder-browser", browser);
  ::PostMessageW(browser, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(uidriver::WaitFor([&] { return !uidriver::IsShown(browser); }, kStepMs));
  ExpectActive(wizard);
  EXPECT_EQ(uidriver::Text(path), target.substr(0, target.size() - 1));

  PressBehindOther(wizard, L"Далее");
  PassDriverWarning(wizard, true);
  ExpectComponentsPage(wizard);
  wizard.Screenshot(L"components-page");

  ASSERT_TRUE(wizard.Press(L"Назад"));
  ASSERT_TRUE(wizard.WaitForButton(L"Выбрать", kStepMs));
  EXPECT_EQ(uidriver::Text(path), target);
  PressBehindOther(wizard, L"Далее");
  // Left alone, the warning closes itself after 20 seconds.
  const std::optional<Dialog> again = wizard.WaitForTimedMessage(kStepMs);
  ASSERT_TRUE(again.has_value()) << "no second driver warning";
  EXPECT_NE(std::find(again->texts.begin(), again->texts.end(), kDriverWarning),
            again->texts.end());
  const DWORD shown = ::GetTickCount();
  ASSERT_TRUE(uidriver::WaitFor([&] { return !uidriver::IsShown(again->window); }, 30000));
  const DWORD closedAfter = ::GetTickCount() - shown;
  EXPECT_TRUE(closedAfter >= 18000 && closedAfter <= 22000) << closedAfter << " ms";
  ExpectActive(wizard);
  ExpectComponentsPage(wizard);

  PressBehindOther(wizard, L"Отмена");
  Answer(wizard, ExpectDialog(wizard, L"Confirm", kCancelQuestion, kYesNo, L"cancel-question"),
         L"&No");
  ExpectComponentsPage(wizard);
  PressBehindOther(wizard, L"Отмена");
  Answer(wizard, ExpectDialog(wizard, L"Confirm", kCancelQuestion, kYesNo, L"cancel-question"),
         L"&Yes");
  ASSERT_TRUE(uidriver::WaitFor([&] { return wizard.Memo() == Joined(kCancelText); }, kStepMs))
      << Shown(wizard.Memo());
  EXPECT_EQ(wizard.Buttons(), std::vector<wstring>{L"Выход"}) << Shown(wizard.Buttons());
  EXPECT_TRUE(IsEnabled(wizard.Button(L"Выход")));
  wizard.Screenshot(L"cancel-page");
  ASSERT_TRUE(wizard.Press(L"Выход"));
  ExpectEndsWithin(wizard, kStepMs);
  ExpectNoScreenshotErrors(wizard);
  // Leaving the path page made the folders; cancelling leaves them.
  EXPECT_TRUE(IsFolder(target + L"Settings\\"));
  EXPECT_FALSE(IsFile(target + L"Settings\\virelta.ini"));
}

// On the start page the close box and a close request end the program at once, unasked.
TEST_F(WizardUnderWine, ClosesAtOnceOnTheStartPage) {
  struct Case {
    const char* name;
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {{"close box", WM_SYSCOMMAND, SC_CLOSE}, {"WM_CLOSE", WM_CLOSE, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Wizard& wizard = Launch(L"close", medium::SampleMediumFolder());
    ASSERT_FALSE(HasFailure());
    ::PostMessageW(wizard.Main(), c.message, c.wParam, 0);
    // A question would keep it running: it has to be gone within a few seconds.
    ExpectEndsWithin(wizard, 5000);
  }
}

// A database large enough to take a while: during its copy the window answers within a second,
// shows how far the copy is, and refuses to close; the final list is the usual one.
TEST_F(WizardUnderWine, LongCopyKeepsTheWindowAliveAndRefusesToClose) {
  const wstring medium = os::testing::WinePathOfBuildFile(VIRELTA_LONG_COPY_MEDIUM_DIR) + L"\\";
  // The console installer's list of the sample medium: the lines do not depend on the sizes.
  const std::vector<wstring> expected = ConsoleInstallerLines(
      medium::SampleMediumFolder(), L"--no-driver", Target(L"UiLongCopyConsole"));
  const wstring target = Target(L"UiLongCopy");
  const wstring copying = L"Копирование файла R40.FDB....";

  Wizard& wizard = Launch(L"long-copy", medium);
  ASSERT_FALSE(HasFailure());
  WalkToInstallation(wizard, target, target);
  const auto databaseLineOpen = [&] {
    const std::vector<wstring> lines = wizard.Progress();
    return !lines.empty() && lines.back().starts_with(copying) &&
           !lines.back().ends_with(L"Завершено");
  };
  ASSERT_TRUE(uidriver::WaitFor(databaseLineOpen, kStepMs)) << Shown(wizard.Progress());

  int probes = 0;
  int unanswered = 0;
  bool percentShown = false;
  bool shot = false;
  while (databaseLineOpen()) {
    ++probes;
    if (!uidriver::Answers(wizard.Main(), 1000)) {
      ++unanswered;
    }
    const wstring line = wizard.Progress().back();
    if (line.size() > copying.size() && line.ends_with(L"%")) {
      const wstring percent = line.substr(copying.size());
      EXPECT_TRUE(percent.size() >= 3 && percent.size() <= 5 && percent[0] == L' ') << Shown(line);
      percentShown = true;
      if (!shot) {
        wizard.Screenshot(L"long-copy");
        shot = true;
      }
    }
    if (probes == 2) {
      // Neither the close box nor a close request ends the copy.
      ::PostMessageW(wizard.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
      ::PostMessageW(wizard.Main(), WM_CLOSE, 0, 0);
    }
    // Often enough that even a fast disk gives several probes.
    ::Sleep(50);
  }
  std::printf("The database copy was watched %d times.\n", probes);
  EXPECT_GE(probes, 5) << "the copy took too short a time to watch: make the database larger";
  EXPECT_EQ(unanswered, 0) << "of " << probes << " probes";
  EXPECT_TRUE(percentShown);
  ASSERT_TRUE(wizard.Program().Running()) << "a close request ended the copy";

  Answer(wizard,
         ExpectDialog(wizard, L"Confirm", kDriverQuestion, kYesNo, L"driver-question", kRunMs),
         L"&No");
  if (ExpectedLogPixels() == 96) {
    ASSERT_TRUE(wizard.WaitForButton(L"Изменить настройки", kRunMs));
  } else {
    Answer(wizard,
           ExpectDialog(wizard, L"Confirm", kFinalQuestion, kYesNo, L"final-question", kRunMs),
           L"&No");
  }
  EXPECT_EQ(wizard.Progress(), expected) << Shown(wizard.Progress());
  // Not busy any more: the close box closes.
  ::PostMessageW(wizard.Main(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ExpectEndsWithin(wizard, kStepMs);
  ExpectNoScreenshotErrors(wizard);
  WIN32_FILE_ATTRIBUTE_DATA copied{};
  ASSERT_TRUE(
      ::GetFileAttributesExW((target + L"DTAfb\\R40.FDB").c_str(), GetFileExInfoStandard, &copied));
  WIN32_FILE_ATTRIBUTE_DATA source{};
  ASSERT_TRUE(
      ::GetFileAttributesExW((medium + L"DTAfb\\R40.FDB").c_str(), GetFileExInfoStandard, &source));
  EXPECT_EQ(copied.nFileSizeLow, source.nFileSizeLow);
  EXPECT_EQ(copied.nFileSizeHigh, source.nFileSizeHigh);
}

// One installation at a time: the wizard started while InstallCli copies a large database says
// so, opens no main window and ends with 1618; the console installer completes as usual.
TEST_F(WizardUnderWine, IsRefusedWhileAnotherInstallationRuns) {
  const wstring medium = os::testing::WinePathOfBuildFile(VIRELTA_LONG_COPY_MEDIUM_DIR) + L"\\";
  const wstring target = Target(L"UiRefusedConsole");
  const std::optional<uidriver::Process> cli =
      uidriver::Process::Start(medium + L"InstallCli.exe", L"--no-driver \"" + target + L"\"",
                               scratch_, scratch_ + L"InstallCli.txt");
  ASSERT_TRUE(cli.has_value());
  ASSERT_TRUE(uidriver::WaitFor(
      [&] {
        return ::GetFileAttributesW((target + L"DTAfb\\R40.FDB.tmp").c_str()) !=
               INVALID_FILE_ATTRIBUTES;
      },
      kStepMs));
  const std::optional<uidriver::Process> second =
      uidriver::Process::Start(medium::SampleMediumFolder() + L"Install.exe", L"", scratch_);
  ASSERT_TRUE(second.has_value());
  HWND message = nullptr;
  ASSERT_TRUE(uidriver::WaitFor(
      [&] {
        const std::vector<HWND> shown =
            uidriver::TopLevelWindows(second->Id(), uidriver::kDialogClass);
        message = shown.empty() ? nullptr : shown.front();
        return message != nullptr;
      },
      kStartMs));
  const Dialog dialog = uidriver::ReadDialog(message);
  EXPECT_EQ(dialog.caption, L"Warning");
  EXPECT_EQ(dialog.Message(),
            L"На этом компьютере уже идёт установка комплекса \"Вирельта\". Дождитесь её "
            L"окончания; вторая программа установки закрывается, ничего не изменив.")
      << Shown(dialog.texts);
  EXPECT_TRUE(uidriver::TopLevelWindows(second->Id(), uidriver::kMainClass).empty());
  EXPECT_TRUE(cli->Running()) << "the console installer ended before the wizard was refused";
  uidriver::Click(uidriver::ShownChild(message, L"Button", L"OK"));
  ASSERT_TRUE(second->WaitForExit(kStepMs));
  EXPECT_EQ(second->ExitCode(), 1618u);
  ASSERT_TRUE(cli->WaitForExit(kRunMs));
  EXPECT_EQ(cli->ExitCode(), 0u) << cli->Output();
  EXPECT_NE(cli->Output().find("Установка завершена."), std::string::npos) << cli->Output();
}

}  // namespace
