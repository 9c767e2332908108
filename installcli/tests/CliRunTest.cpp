// The console installer's run on the seam's doubles, with a scripted installation in place of the
// engine's: the request it is given, what reaches standard output and error, and the exit code.
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "CliOptions.h"
#include "CliRun.h"
#include "Error.h"
#include "RecordingConsole.h"
#include "engine/InstallProgress.h"
#include "engine/InstalledFiles.h"
#include "engine/MediumManifest.h"
#include "engine/ProgressLines.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "text/Utf.h"

namespace cli {
namespace {

using os::testing::FakeSystem;
using testing::RecordingConsole;

enum class Outcome { kComplete, kEndedEarly, kOperatorError, kOtherError };

class CliRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_.system.SetModuleFileName(L"E:\\SETUP\\InstallCli.exe");
    platform_.system.SetString(FakeSystem::kModuleHandle, 0, L"Virelta");
    platform_.system.SetString(FakeSystem::kModuleHandle, 1, L"Вирельта");
    platform_.display.SetLogPixels(120);  // large fonts, as the complex wants them
  }

  int Run(const std::vector<std::wstring>& arguments) {
    return RunCli(arguments, console_, platform_.Get(),
                  [this](const engine::InstallRequest& request, engine::IInstallProgress& progress,
                         os::Platform&) { return Installation(request, progress); });
  }

  // Two completed lines, then a third that an error leaves open, or that ends the run early.
  bool Installation(const engine::InstallRequest& request, engine::IInstallProgress& progress) {
    request_ = request;
    const int first = progress.Add(std::wstring(engine::lines::kCreatingSettings));
    engine::CompleteLine(progress, first, engine::lines::kDone);
    engine::BusyRegion busy(progress);
    interruptRefusedInRun_ = console_.interruptRefused;
    const int copy = progress.Add(engine::lines::CopyingFile(L"R40.FDB"));
    switch (outcome_) {
      case Outcome::kOperatorError:
        throw OperatorError(L"Cannot open file E:\\SETUP\\DTAfb\\R40.FDB");
      case Outcome::kOtherError:
        throw std::runtime_error("Ошибка записи");
      case Outcome::kEndedEarly:
        engine::CompleteLine(progress, copy, engine::lines::kFailed);
        return false;
      case Outcome::kComplete:
        engine::CompleteLine(progress, copy, engine::lines::kDone);
        break;
    }
    return true;
  }

  bool IsFolder(const std::wstring& path) {
    const std::uint32_t attributes = platform_.fs.GetAttributes(path);
    return attributes != os::attr::kInvalid && (attributes & os::attr::kDirectory) != 0;
  }

  os::testing::MemoryPlatform platform_;
  RecordingConsole console_;
  Outcome outcome_ = Outcome::kComplete;
  std::optional<engine::InstallRequest> request_;
  bool interruptRefusedInRun_ = false;
};

TEST_F(CliRunTest, DefaultRunInstallsFromItsOwnFolderIntoCVirelta) {
  EXPECT_EQ(Run({}), kComplete);
  ASSERT_TRUE(request_);
  EXPECT_EQ(request_->TargetPath, L"C:\\Virelta\\");
  EXPECT_EQ(request_->Fcopyfrom, L"E:\\SETUP\\");
  EXPECT_EQ(request_->WindowsFamily, 0);
  EXPECT_TRUE(request_->InstallDriver);
  EXPECT_FALSE(request_->EditionFlag);
  EXPECT_TRUE(IsFolder(L"C:\\Virelta\\Settings\\"));
  EXPECT_EQ(console_.output,
            L"Создание настроечных файлов....Завершено\r\n"
            L"Копирование файла R40.FDB....Завершено\r\n");
  EXPECT_EQ(console_.errors, L"Установка завершена.\r\n");
  EXPECT_TRUE(interruptRefusedInRun_);
  EXPECT_FALSE(console_.interruptRefused);
}

TEST_F(CliRunTest, OptionsAndTheStringTableShapeTheRequest) {
  struct Case {
    std::vector<std::wstring> arguments;
    const wchar_t* productName;
    const wchar_t* target;
    int family;
    bool driver;
    bool edition;
  };
  const Case cases[] = {
      {{L"--windows-xp"}, L"Вирельта", L"C:\\Virelta\\", 1, true, false},
      {{L"--no-driver", L"  C:\\Комплекс  "}, L"Вирельта", L"C:\\Комплекс\\", 0, false, false},
      {{L"C:\\T\\", L"--yes"}, L"ТАВОЛА", L"C:\\T\\", 0, true, true},
  };
  for (const Case& c : cases) {
    platform_.system.SetString(FakeSystem::kModuleHandle, 1, c.productName);
    request_.reset();
    EXPECT_EQ(Run(c.arguments), kComplete);
    ASSERT_TRUE(request_);
    EXPECT_EQ(request_->TargetPath, c.target);
    EXPECT_EQ(request_->WindowsFamily, c.family);
    EXPECT_EQ(request_->InstallDriver, c.driver);
    EXPECT_EQ(request_->EditionFlag, c.edition);
    EXPECT_TRUE(IsFolder(std::wstring(c.target) + L"Settings"));
  }
}

TEST_F(CliRunTest, ExitCodeAndStandardErrorTellHowTheRunEnded) {
  struct Case {
    const char* name;
    Outcome outcome;
    int exitCode;
    const wchar_t* lastLine;
    const wchar_t* errors;
  };
  const Case cases[] = {
      {"early end", Outcome::kEndedEarly, kEndedEarly, L"Копирование файла R40.FDB....ОШИБКА!!!",
       L"Установка не завершена.\r\n"},
      // The raised error's line stays without a completion word; the message gets its full stop.
      {"operator error", Outcome::kOperatorError, kFailed, L"Копирование файла R40.FDB....",
       L"Cannot open file E:\\SETUP\\DTAfb\\R40.FDB.\r\n"},
      {"other error", Outcome::kOtherError, kFailed, L"Копирование файла R40.FDB....",
       L"Ошибка записи.\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    console_ = RecordingConsole{};
    outcome_ = c.outcome;
    EXPECT_EQ(Run({L"--yes"}), c.exitCode);
    EXPECT_EQ(console_.output,
              L"Создание настроечных файлов....Завершено\r\n" + std::wstring(c.lastLine) + L"\r\n");
    EXPECT_EQ(console_.errors, c.errors);
    EXPECT_EQ(console_.refuseCalls, L"+-");  // the busy region was left on the way out
    // One error entry in the application event log.
    ASSERT_FALSE(platform_.eventLog.Reports().empty());
    const os::testing::EventReport event = platform_.eventLog.Reports().back();
    EXPECT_EQ(event.source, L"Virelta");
    EXPECT_EQ(event.type, 1);
    ASSERT_EQ(event.strings.size(), 1u);
    EXPECT_NE(event.strings[0].find(L"\"C:\\Virelta\\\""), std::wstring::npos);
    EXPECT_NE(event.strings[0].find(L"(код завершения " + std::to_wstring(c.exitCode) + L")"),
              std::wstring::npos)
        << text::ToUtf8(event.strings[0]);
  }
}

// Another installation holds the lock: nothing happens, not even the target folder. Free, the
// run takes it and keeps its record; a record that cannot be written stops nothing.
TEST_F(CliRunTest, OneInstallationAtATimeAndItsRecord) {
  struct Lock final : os::IInstallationLock {
    bool TryTake() override {
      ++tries;
      return free;
    }
    bool free = false;
    int tries = 0;
  } lock;
  RunHost host{.lock = &lock,
               .kitVersion = L"1.2.3.4",
               .computer = L"PC",
               .user = L"u",
               .windows = L"Windows 10.0.19045"};
  const auto run = [&](const std::vector<std::wstring>& arguments) {
    return RunCli(
        arguments, console_, platform_.Get(),
        [this](const engine::InstallRequest& request, engine::IInstallProgress& progress,
               os::Platform&) { return Installation(request, progress); },
        host);
  };
  EXPECT_EQ(run({L"--yes", L"--log", L"C:\\run.log"}), kAlreadyRunning);
  EXPECT_FALSE(request_.has_value());
  EXPECT_EQ(console_.errors,
            L"Установка не начата: на этом компьютере уже идёт другая установка комплекса. "
            L"Дождитесь её окончания и запустите установку снова.\r\n");
  EXPECT_EQ(platform_.fs.GetAttributes(L"C:\\Virelta"), os::attr::kInvalid);
  EXPECT_EQ(platform_.fs.GetAttributes(L"C:\\run.log"), os::attr::kInvalid);
  EXPECT_EQ(platform_.eventLog.ReportCount(), 0u);
  // --check and --dry-run take no lock.
  EXPECT_EQ(run({L"--dry-run", L"--yes"}), kComplete);
  EXPECT_EQ(lock.tries, 1);

  lock.free = true;
  console_ = RecordingConsole{};
  EXPECT_EQ(run({L"--yes", L"--log", L"C:\\run.log"}), kComplete);
  const std::wstring record =
      text::FromUtf8(os::testing::ReadBytes(platform_.fs, L"C:\\run.log").value_or(""));
  const std::vector<std::wstring> expected = {
      L"Начало: установка комплекса программой InstallCli.exe версии 1.2.3.4",
      L"Носитель: E:\\SETUP\\, без SHA256SUMS",
      L"Компьютер: PC, пользователь: u, Windows 10.0.19045",
      L"Параметры: --yes --log C:\\run.log",
      L"Каталог установки: C:\\Virelta\\",
      L"Строка 1: Создание настроечных файлов....",
      L"Строка 1: Создание настроечных файлов....Завершено",
      L"Строка 2: Копирование файла R40.FDB....",
      L"Строка 2: Копирование файла R40.FDB....Завершено",
      L"Конец: установка завершена, код завершения 0",
  };
  std::size_t at = 0;
  for (const std::wstring& event : expected) {
    const std::size_t found = record.find(L" " + event + L"\r\n", at);
    ASSERT_NE(found, std::wstring::npos) << text::ToUtf8(event) << "\n" << text::ToUtf8(record);
    at = found + event.size();
  }
  const os::testing::EventReport event = platform_.eventLog.Reports().back();
  EXPECT_EQ(event.type, 4);
  EXPECT_EQ(event.strings.at(0),
            L"Установка комплекса в \"C:\\Virelta\\\": установка завершена (код завершения 0). "
            L"Журнал установки: \"C:\\run.log\".");

  console_ = RecordingConsole{};
  EXPECT_EQ(run({L"--yes", L"--log", L"C:\\нет\\run.log"}), kComplete);
  EXPECT_TRUE(
      console_.errors.starts_with(L"Журнал установки \"C:\\нет\\run.log\" не записывается: "))
      << text::ToUtf8(console_.errors);
}

// A complete run on a screen with small fonts also says that the complex needs large ones; the
// installer changes nothing about them and asks the system for no restart.
TEST_F(CliRunTest, TheCompletionTellsOfSmallFontsWithoutChangingThem) {
  struct Case {
    int logPixels;
    Outcome outcome;
    bool fontsText;
  };
  const Case cases[] = {{96, Outcome::kComplete, true},
                        {99, Outcome::kComplete, true},
                        {100, Outcome::kComplete, false},
                        {120, Outcome::kComplete, false},
                        {96, Outcome::kEndedEarly, false}};
  platform_.system.SetString(FakeSystem::kModuleHandle, 1, L"Тавола");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.logPixels);
    console_ = RecordingConsole{};
    platform_.display.SetLogPixels(c.logPixels);
    platform_.system.ClearCalls();
    outcome_ = c.outcome;
    Run({L"--yes"});
    const std::wstring first = c.outcome == Outcome::kComplete ? L"Установка завершена.\r\n"
                                                               : L"Установка не завершена.\r\n";
    if (!c.fontsText) {
      EXPECT_EQ(console_.errors, first);
      continue;
    }
    EXPECT_TRUE(console_.errors.starts_with(first));
    const std::wstring rest = console_.errors.substr(first.size());
    EXPECT_TRUE(
        rest.starts_with(L"В настройках операционной системы Вашего компьютера выбрано "
                         L"использование \"мелкого\" размера шрифта."));
    EXPECT_NE(rest.find(L"программы \"Тавола\" требуется использование \"крупного\""),
              std::wstring::npos);
    EXPECT_TRUE(rest.ends_with(L".\r\n"));
    EXPECT_EQ(rest.find(L"\r\n"), rest.size() - 2);  // one line
    for (const std::wstring& call : platform_.system.Calls()) {
      EXPECT_FALSE(call.starts_with(L"RequestExitWindows")) << text::ToUtf8(call);
      EXPECT_FALSE(call.starts_with(L"EnablePrivilege")) << text::ToUtf8(call);
    }
  }
}

TEST_F(CliRunTest, RefusedCommandLinesAndFoldersInstallNothing) {
  ASSERT_EQ(platform_.fs.CreateFolder(L"C:\\Work"), os::error::kSuccess);
  ASSERT_EQ(platform_.fs.SetCurrentFolder(L"C:\\Work"), os::error::kSuccess);
  struct Case {
    std::vector<std::wstring> arguments;
    const wchar_t* errorsStart;
    bool usage;
  };
  const Case cases[] = {
      {{L"--reboot"}, L"Неизвестный параметр: --reboot\r\n", true},
      {{L"C:\\A", L"C:\\B"}, L"Указано больше одного каталога установки", true},
      {{L""}, L"Error: Не выбран путь для установки программы!\r\n", false},
      {{L" \t "}, L"Error: Не выбран путь для установки программы!\r\n", false},
      {{L"C:"}, L"Warning: Программу нелзя устанавливать в корневой каталог!\r\n", false},
      {{L"D:\\"}, L"Warning: Программу нелзя устанавливать в корневой каталог!\r\n", false},
      // Relative, and long enough for the field's check, but naming the drive root in full.
      {{L"..\\"}, L"Warning: Программу нелзя устанавливать в корневой каталог!\r\n", false},
      {{L"Work\\..\\..\\"},
       L"Warning: Программу нелзя устанавливать в корневой каталог!\r\n",
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(&c - cases));
    console_ = RecordingConsole{};
    EXPECT_EQ(Run(c.arguments), kUsage);
    EXPECT_FALSE(request_);
    EXPECT_TRUE(console_.errors.starts_with(c.errorsStart));
    EXPECT_EQ(console_.errors.find(L"Использование:") != std::wstring::npos, c.usage);
    EXPECT_EQ(console_.output, L"");
  }
  EXPECT_FALSE(IsFolder(L"C:\\Settings"));
  EXPECT_FALSE(IsFolder(L"C:\\Work\\Settings"));
  EXPECT_FALSE(IsFolder(L"C:\\Virelta"));
}

// A relative folder is taken from the current folder at the start, as a full path.
TEST_F(CliRunTest, RelativeFolderBecomesAFullPath) {
  ASSERT_EQ(platform_.fs.CreateFolder(L"C:\\Work"), os::error::kSuccess);
  ASSERT_EQ(platform_.fs.SetCurrentFolder(L"C:\\Work"), os::error::kSuccess);
  EXPECT_EQ(Run({L"Virelta"}), kComplete);
  ASSERT_TRUE(request_);
  EXPECT_EQ(request_->TargetPath, L"C:\\Work\\Virelta\\");
  EXPECT_TRUE(IsFolder(L"C:\\Work\\Virelta\\Settings"));
}

TEST_F(CliRunTest, HelpShowsTheUsageAndInstallsNothing) {
  EXPECT_EQ(Run({L"--help"}), kComplete);
  EXPECT_FALSE(request_);
  EXPECT_EQ(console_.errors, UsageText());
  EXPECT_FALSE(IsFolder(L"C:\\Virelta"));
}

TEST(ErrorText, AppendsAFullStopUnlessTheTextEndsInOneOrALowerCharacter) {
  EXPECT_EQ(ErrorText(L"Cannot open file X"), L"Cannot open file X.");
  EXPECT_EQ(ErrorText(L"Готово."), L"Готово.");
  EXPECT_EQ(ErrorText(L"Ошибка!"), L"Ошибка!");
  EXPECT_EQ(ErrorText(L"file \"a\""), L"file \"a\"");
  EXPECT_EQ(ErrorText(L"x)"), L"x)");
  EXPECT_EQ(ErrorText(L"x/"), L"x/.");
}

TEST_F(CliRunTest, VerifyComparesTheInstalledFilesWithTheRecord) {
  const std::wstring folder = L"C:\\Virelta\\";
  EXPECT_EQ(Run({L"--verify"}), kUsage);  // no folder: the default is not there
  ASSERT_EQ(platform_.fs.CreateFolder(folder), 0u);
  EXPECT_EQ(Run({L"--verify", folder}), kBadMedium);  // no record
  EXPECT_NE(console_.errors.find(L"InstalledFiles.sha256"), std::wstring::npos);

  engine::InstalledFiles record;
  for (const wchar_t* name : {L"fbclient.Dll", L"gds32.dll", L"ReleaseInfo"}) {
    os::testing::WriteBytes(platform_.fs, folder + name, text::ToUtf8(name));
    std::wstring error;
    record.files.push_back(
        {name, *engine::FileDigest(platform_.fs, platform_.crypto, folder + name, error), 0});
  }
  ASSERT_EQ(engine::WriteInstalledFiles(platform_.fs, folder, record), 0u);
  console_ = RecordingConsole();
  EXPECT_EQ(Run({L"--verify", L"C:\\Virelta"}), kComplete);
  EXPECT_EQ(console_.output, L"");

  os::testing::WriteBytes(platform_.fs, folder + L"fbclient.Dll", "fbclient.Dlm");
  ASSERT_EQ(platform_.fs.RemoveFile(folder + L"ReleaseInfo"), 0u);
  console_ = RecordingConsole();
  EXPECT_EQ(Run({L"--verify", folder}), kBadMedium);
  EXPECT_EQ(console_.output, L"Файл изменён: fbclient.Dll\r\nНет файла: ReleaseInfo\r\n");
}

}  // namespace
}  // namespace cli
