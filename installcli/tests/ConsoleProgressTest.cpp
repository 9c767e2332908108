#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "ConsoleProgress.h"
#include "RecordingConsole.h"
#include "engine/InstallProgress.h"
#include "engine/ProgressLines.h"

namespace cli {
namespace {

using testing::RecordingConsole;

// The list's lines as the output must show them once the run is over.
std::wstring AsOutput(const std::vector<std::wstring>& lines) {
  std::wstring out;
  for (const auto& line : lines) {
    out += line + L"\r\n";
  }
  return out;
}

TEST(ConsoleProgress, OutputEqualsTheListLineByLine) {
  RecordingConsole console;
  ConsoleProgress progress(console, Answers::kAsk);
  EXPECT_EQ(progress.Add(std::wstring(engine::lines::kFolderCreated)), 0);
  const int settings = progress.Add(std::wstring(engine::lines::kCreatingSettings));
  EXPECT_EQ(settings, 1);
  // Before its completion word the line is shown but not yet ended.
  EXPECT_EQ(console.output, L"Каталог создан...\r\nСоздание настроечных файлов....");
  engine::CompleteLine(progress, settings, engine::lines::kDone);
  const int copy = progress.Add(engine::lines::CopyingFile(L"gds32.dll"));
  engine::CompleteLine(progress, copy, engine::lines::kFailed);
  progress.Add(engine::lines::CopyingFile(L"fbclient.Dll"));  // raised: never completed
  progress.Finish();
  progress.Finish();  // once over, nothing more
  EXPECT_EQ(console.output,
            L"Каталог создан...\r\n"
            L"Создание настроечных файлов....Завершено\r\n"
            L"Копирование файла gds32.dll....ОШИБКА!!!\r\n"
            L"Копирование файла fbclient.Dll....\r\n");
  EXPECT_EQ(console.output, AsOutput(progress.Lines()));
  EXPECT_EQ(console.errors, L"");
  EXPECT_EQ(progress.Get(2), L"Копирование файла gds32.dll....ОШИБКА!!!");
}

TEST(ConsoleProgress, NoLinesNoOutput) {
  RecordingConsole console;
  ConsoleProgress progress(console, Answers::kAsk);
  progress.Finish();
  EXPECT_EQ(console.output, L"");
}

// Output already written cannot be changed: a rewrite other than the growth of the last line
// is reported on standard error and leaves standard output as it was.
TEST(ConsoleProgress, RewritesThatOutputCannotShowGoToStandardError) {
  struct Case {
    const char* name;
    int index;
    const wchar_t* text;
  };
  const Case cases[] = {
      {"earlier line", 0, L"firstЗавершено"},
      {"last line shortened", 1, L"sec"},
      {"last line replaced", 1, L"other"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingConsole console;
    ConsoleProgress progress(console, Answers::kAsk);
    progress.Add(L"first");
    progress.Add(L"second");
    progress.Put(c.index, c.text);
    EXPECT_EQ(progress.Get(c.index), c.text);
    progress.Finish();
    EXPECT_EQ(console.output, L"first\r\nsecond\r\n");
    EXPECT_EQ(console.errors,
              L"Строка " + std::to_wstring(c.index + 1) + L" списка изменена: " + c.text + L"\r\n");
  }
}

TEST(ConsoleProgress, LinesOutsideTheListAreErrors) {
  RecordingConsole console;
  ConsoleProgress progress(console, Answers::kAsk);
  progress.Add(L"only");
  EXPECT_THROW(progress.Get(1), std::out_of_range);
  EXPECT_THROW(progress.Get(-1), std::out_of_range);
  EXPECT_THROW(progress.Put(1, L"x"), std::out_of_range);
  EXPECT_THROW(progress.Put(-1, L"x"), std::out_of_range);
  EXPECT_EQ(console.output, L"only");
}

TEST(ConsoleProgress, ErrorsGoToStandardErrorOnALineOfTheirOwn) {
  const std::wstring error = L"Error: Ошибка при создании каталога!\r\n";
  struct Case {
    bool sharedScreen;
    std::wstring screen;
  };
  const Case cases[] = {
      {false, L"line" + error + L"\r\nnext"},
      // Where both end up in one place, the open progress line is ended first, so the message
      // starts a line and no empty line follows it.
      {true, L"line\r\n" + error + L"next"},
  };
  for (const Case& c : cases) {
    RecordingConsole console;
    console.sharedScreen = c.sharedScreen;
    ConsoleProgress progress(console, Answers::kAsk);
    progress.Add(L"line");
    progress.ShowError(std::wstring(engine::lines::kFolderCreateError));
    progress.Add(L"next");
    EXPECT_EQ(console.errors, error);
    EXPECT_EQ(console.output, L"line\r\nnext");  // the list is the same bytes either way
    EXPECT_EQ(console.screen, c.screen);
  }
}

TEST(ConsoleProgress, QuestionsAreAnsweredByTheOperatorOrByTheOptions) {
  const std::wstring question = L"Подключите интерфейсный блок и нажмите \"Yes\"?";
  const std::wstring asked = L"Confirm: " + question + L" [Yes/No] ";
  struct Case {
    const char* name;
    Answers answers;
    bool interactive;
    std::deque<std::wstring> typed;
    bool expected;
    int reads;
    std::wstring errors;
  };
  const Case cases[] = {
      {"--yes", Answers::kAllYes, true, {L"n"}, true, 0, asked + L"Yes\r\n"},
      {"no console", Answers::kAsk, false, {L"y"}, false, 0, asked + L"No\r\n"},
      {"typed y", Answers::kAsk, true, {L"y"}, true, 1, asked},
      {"typed Да", Answers::kAsk, true, {L" Да "}, true, 1, asked},
      {"typed YES", Answers::kAsk, true, {L"YES"}, true, 1, asked},
      {"typed n", Answers::kAsk, true, {L"n"}, false, 1, asked},
      {"typed nothing", Answers::kAsk, true, {L""}, false, 1, asked},
      {"typed yess", Answers::kAsk, true, {L"yess"}, false, 1, asked},
      {"input ended", Answers::kAsk, true, {}, false, 1, asked + L"No\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingConsole console;
    console.interactive = c.interactive;
    console.typed = c.typed;
    ConsoleProgress progress(console, c.answers);
    EXPECT_EQ(progress.Confirm(question), c.expected);
    EXPECT_EQ(console.reads, c.reads);
    EXPECT_EQ(console.errors, c.errors);
    EXPECT_EQ(console.output, L"");
  }
}

TEST(ConsoleProgress, BusyRegionRefusesInterruptsUntilLeft) {
  RecordingConsole console;
  ConsoleProgress progress(console, Answers::kAsk);
  {
    engine::BusyRegion busy(progress);
    EXPECT_TRUE(console.interruptRefused);
  }
  EXPECT_FALSE(console.interruptRefused);
  EXPECT_EQ(console.refuseCalls, L"+-");
}

}  // namespace
}  // namespace cli
