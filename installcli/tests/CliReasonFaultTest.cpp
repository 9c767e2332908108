// The console installer with the real installation on the seam's doubles, where things fail: the
// progress list on standard output stays exactly the list, and standard error says, after the
// operator's text, which path failed and the system's reason.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "CliOptions.h"
#include "CliRun.h"
#include "Error.h"
#include "RecordingConsole.h"
#include "engine/Installation.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "text/Utf.h"

namespace cli {
namespace {

using os::testing::FakeSystem;

TEST(CliReasons, EachFailureNamesItsPathAndTheSystemsReason) {
  const std::wstring settingsLine = L"Создание настроечных файлов....Завершено\r\n";
  struct Case {
    const char* what;
    const wchar_t* target;
    std::function<void(os::testing::MemoryPlatform&)> arrange;
    std::wstring output;
    std::wstring errors;
    int exitCode;
  };
  const Case cases[] = {
      {"target folder", L"C:\\Нет\\Virelta", [](auto&) {}, L"Ошибка при создании каталога!\r\n",
       L"Error: Ошибка при создании каталога!\r\n"
       L"\"C:\\Нет\\Virelta\\\": The system cannot find the path specified.\r\n"
       L"Установка не завершена.\r\n",
       kEndedEarly},
      {"database folder", L"C:\\Virelta",
       [](auto& p) {
         ASSERT_EQ(p.fs.CreateFolder(L"C:\\Virelta"), 0u);
         os::testing::WriteBytes(p.fs, L"C:\\Virelta\\DTAfb", "a file");
       },
       settingsLine + L"Ошибка при создании каталога <DTAfb>!\r\n",
       L"Error: Ошибка при создании каталога <DTAfb>!\r\n"
       L"\"C:\\Virelta\\DTAfb\\\": Cannot create a file when that file already exists.\r\n"
       L"Установка не завершена.\r\n",
       kEndedEarly},
      {"database read", L"C:\\Virelta",
       [](auto& p) { p.fs.FailReadAfter(L"E:\\SETUP\\DTAfb\\R40.FDB", 3, os::error::kReadFault); },
       settingsLine + L"Каталог <DTAfb> создан...\r\nКопирование файла R40.FDB....ОШИБКА!!!\r\n",
       L"\"E:\\SETUP\\DTAfb\\R40.FDB\": The system cannot read from the specified device.\r\n"
       L"Установка не завершена.\r\n",
       kEndedEarly},
      {"full disk", L"C:\\Virelta", [](auto& p) { p.fs.SetCapacity(p.fs.UsedBytes() + 200); },
       settingsLine + L"Каталог <DTAfb> создан...\r\nКопирование файла R40.FDB....ОШИБКА!!!\r\n",
       L"\"C:\\Virelta\\DTAfb\\R40.FDB.tmp\": There is not enough space on the disk.\r\n"
       L"Установка не завершена.\r\n",
       kEndedEarly},
      {"server file write", L"C:\\Virelta",
       [](auto& p) {
         p.fs.FailWriteAfter(L"C:\\Virelta\\aliases.conf", 1, os::error::kWriteFault);
       },
       settingsLine + L"Каталог <DTAfb> создан...\r\nКопирование файла R40.FDB....Завершено\r\n"
                      L"Копирование файла aliases.conf....ОШИБКА!!!\r\n",
       L"\"C:\\Virelta\\aliases.conf\": The system cannot write to the specified device.\r\n"
       L"Установка не завершена.\r\n",
       kEndedEarly},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os::testing::MemoryPlatform platform;
    platform.fs.AddDrive(L'E');
    platform.system.SetModuleFileName(L"E:\\SETUP\\InstallCli.exe");
    platform.system.SetString(FakeSystem::kModuleHandle, 1, L"Вирельта");
    for (const wchar_t* folder : {L"E:\\SETUP", L"E:\\SETUP\\DTAfb", L"E:\\SETUP\\Firebird"}) {
      ASSERT_EQ(platform.fs.CreateFolder(folder), 0u);
    }
    os::testing::WriteBytes(platform.fs, L"E:\\SETUP\\DTAfb\\R40.FDB", std::string(1000, 'd'));
    os::testing::WriteBytes(platform.fs, L"E:\\SETUP\\Firebird\\aliases.conf", "aliases");
    c.arrange(platform);
    testing::RecordingConsole console;
    EXPECT_EQ(RunCli({L"--yes", c.target}, console, platform.Get(), engine::RunInstallation),
              c.exitCode);
    EXPECT_EQ(console.output, c.output);
    EXPECT_EQ(console.errors, c.errors);
  }
}

// A raised error with a system error behind it (a script that cannot be started) gets the path
// and the reason on the line after its message.
TEST(CliReasons, ARaisedErrorsCauseFollowsItsMessage) {
  os::testing::MemoryPlatform platform;
  platform.system.SetModuleFileName(L"C:\\SETUP\\InstallCli.exe");
  testing::RecordingConsole console;
  const auto raising = [](const engine::InstallRequest&, engine::IInstallProgress&,
                          os::Platform&) -> bool {
    throw OperatorError(L"не могу создать процесс: C:\\A&B\\Install.cmd", L"C:\\A&B\\Install.cmd",
                        os::error::kAccessDenied);
  };
  EXPECT_EQ(RunCli({L"--yes", L"C:\\Virelta"}, console, platform.Get(), raising), kFailed);
  EXPECT_EQ(console.output, L"");
  EXPECT_EQ(console.errors,
            L"не могу создать процесс: C:\\A&B\\Install.cmd.\r\n"
            L"\"C:\\A&B\\Install.cmd\": Access is denied.\r\n");
}

}  // namespace
}  // namespace cli
