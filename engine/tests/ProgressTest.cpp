#include <gtest/gtest.h>

#include <stdexcept>

#include "RecordingProgress.h"
#include "engine/InstallProgress.h"
#include "engine/InstallRequest.h"
#include "engine/ProgressLines.h"

namespace engine {
namespace {

using testing::RecordingProgress;

TEST(TargetPath, TrimsEverythingUpToCode32OnBothEnds) {
  struct Case {
    std::wstring field;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"  C:\\Virelta\\  ", L"C:\\Virelta\\"},
      {L"\t\r\nC:\\Вирельта\\\x1F", L"C:\\Вирельта\\"},
      {L"C:\\Program Files\\Virelta\\", L"C:\\Program Files\\Virelta\\"},  // inner blank kept
      {L" \x01 ", L""},
      {L"", L""},
      {L"\x21X\x21", L"\x21X\x21"},  // code 33 is not trimmed
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TrimControlAndBlanks(c.field), c.expected);
  }
}

TEST(Fcopyfrom, IsTheProgramFolderWithOneBackslash) {
  struct Case {
    std::wstring program;
    std::wstring expected;
  };
  const Case cases[] = {
      {L"E:\\SETUP\\Install.exe", L"E:\\SETUP\\"},
      {L"E:\\Install.exe", L"E:\\"},
      {L"\\\\server\\share\\kit\\Install.exe", L"\\\\server\\share\\kit\\"},
      {L"D:\\Диск установки\\Install.exe", L"D:\\Диск установки\\"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FolderOfFile(c.program), c.expected);
  }
}

TEST(CompleteLine, AppendsTheWordWithoutBlank) {
  RecordingProgress progress;
  progress.Add(L"first");
  const int line = progress.Add(lines::CopyingFile(L"gds32.dll"));
  CompleteLine(progress, line, lines::kFailed);
  EXPECT_EQ(progress.lines[1], L"Копирование файла gds32.dll....ОШИБКА!!!");
  CompleteLine(progress, 0, lines::kDone);
  EXPECT_EQ(progress.lines[0], L"firstЗавершено");
}

TEST(LineTexts, KeepTheirDotsAndBlanks) {
  EXPECT_EQ(lines::CopyingFile(L"aliases.conf") + std::wstring(lines::kDone),
            L"Копирование файла aliases.conf....Завершено");
  EXPECT_TRUE(lines::kFolderCreated.ends_with(L"н..."));
  EXPECT_TRUE(lines::kCreatingSettings.ends_with(L"в...."));
  EXPECT_TRUE(lines::kDriverStarted.ends_with(L"а..."));
  EXPECT_EQ(lines::kDatabaseFolderCreateError, L"Ошибка при создании каталога <DTAfb>!");
}

TEST(BusyRegion, EntersAndLeavesOnce) {
  RecordingProgress progress;
  {
    BusyRegion busy(progress);
    EXPECT_TRUE(progress.busy);
    busy.Leave();
    EXPECT_FALSE(progress.busy);
  }
  EXPECT_EQ(progress.calls, (std::vector<std::wstring>{L"SetBusy true", L"SetBusy false"}));
}

TEST(BusyRegion, IsLeftWhenAnErrorPassesThrough) {
  RecordingProgress progress;
  EXPECT_THROW(
      {
        BusyRegion busy(progress);
        throw std::runtime_error("copy failed");
      },
      std::runtime_error);
  EXPECT_FALSE(progress.busy);
  EXPECT_EQ(progress.calls.back(), L"SetBusy false");
}

}  // namespace
}  // namespace engine
