#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CliOptions.h"
#include "text/Utf.h"

namespace cli {
namespace {

TEST(ParseArguments, AcceptsTheOptionsAndOneFolderInAnyOrder) {
  struct Case {
    std::vector<std::wstring> arguments;
    bool windowsXp;
    bool noDriver;
    bool yes;
    bool help;
    const wchar_t* target;  // null: the default
    bool dryRun;
  };
  const Case cases[] = {
      {{}, false, false, false, false, nullptr, false},
      {{L"D:\\Virelta"}, false, false, false, false, L"D:\\Virelta", false},
      {{L"--windows-xp"}, true, false, false, false, nullptr, false},
      {{L"--no-driver", L"--yes"}, false, true, true, false, nullptr, false},
      {{L"D:\\V", L"--yes", L"--windows-xp"}, true, false, true, false, L"D:\\V", false},
      {{L"--yes", L"--yes"}, false, false, true, false, nullptr, false},
      {{L"--", L"-odd folder"}, false, false, false, false, L"-odd folder", false},
      {{L"--no-driver", L"--", L"--yes"}, false, true, false, false, L"--yes", false},
      {{L""}, false, false, false, false, L"", false},  // an empty folder is the path check's
                                                        // business
      {{L"--", L"-"}, false, false, false, false, L"-", false},
      {{L"--", L"/dry-run"}, false, false, false, false, L"/dry-run", false},
      {{L"C:\\Program Files\\Вирельта"},
       false,
       false,
       false,
       false,
       L"C:\\Program Files\\Вирельта",
       false},
      {{L"--help"}, false, false, false, true, nullptr, false},
      {{L"/?"}, false, false, false, true, nullptr, false},
      {{L"-h", L"D:\\V"}, false, false, false, true, L"D:\\V", false},
      {{L"--dry-run", L"D:\\V", L"--yes"}, false, false, true, false, L"D:\\V", true},
      {{L"--", L"--dry-run"}, false, false, false, false, L"--dry-run", false},
      // The Windows spelling of every option.
      {{L"/dry-run", L"D:\\V", L"/yes"}, false, false, true, false, L"D:\\V", true},
      {{L"/windows-xp", L"/no-driver"}, true, true, false, false, nullptr, false},
      {{L"/help"}, false, false, false, true, nullptr, false},
      {{L"/h", L"--yes"}, false, false, true, true, nullptr, false},
  };
  for (const Case& c : cases) {
    std::string trace;
    for (const auto& a : c.arguments) {
      trace += "[" + text::ToUtf8(a) + "] ";
    }
    SCOPED_TRACE(trace);
    const ParsedArguments parsed = ParseArguments(c.arguments);
    ASSERT_TRUE(parsed.options.has_value()) << text::ToUtf8(parsed.error);
    EXPECT_EQ(parsed.options->windowsXp, c.windowsXp);
    EXPECT_EQ(parsed.options->noDriver, c.noDriver);
    EXPECT_EQ(parsed.options->yes, c.yes);
    EXPECT_EQ(parsed.options->help, c.help);
    EXPECT_EQ(parsed.options->dryRun, c.dryRun);
    ASSERT_EQ(parsed.options->target.has_value(), c.target != nullptr);
    if (c.target != nullptr) {
      EXPECT_EQ(*parsed.options->target, c.target);
    }
  }
}

TEST(ParseArguments, RefusesUnknownOptionsAndASecondFolder) {
  struct Case {
    std::vector<std::wstring> arguments;
    const wchar_t* error;
  };
  const Case cases[] = {
      {{L"--reboot"}, L"Неизвестный параметр: --reboot"},
      {{L"-y"}, L"Неизвестный параметр: -y"},
      {{L"--YES"}, L"Неизвестный параметр: --YES"},
      // A slash or a dash begins an option: a mistyped one is never taken as a folder.
      {{L"-"}, L"Неизвестный параметр: -"},
      {{L"/"}, L"Неизвестный параметр: /"},
      {{L"/dryrun"}, L"Неизвестный параметр: /dryrun"},
      {{L"D:\\V", L"/s"}, L"Неизвестный параметр: /s"},
      {{L"/--yes"}, L"Неизвестный параметр: /--yes"},
      {{L"-dry-run"}, L"Неизвестный параметр: -dry-run"},
      {{L"---yes"}, L"Неизвестный параметр: ---yes"},
      {{L"D:\\V", L"--windows-xp=1"}, L"Неизвестный параметр: --windows-xp=1"},
      {{L"D:\\A", L"D:\\B"}, L"Указано больше одного каталога установки: \"D:\\A\" и \"D:\\B\"."},
      {{L"D:\\A", L"--", L"D:\\B"},
       L"Указано больше одного каталога установки: \"D:\\A\" и \"D:\\B\"."},
  };
  for (const Case& c : cases) {
    const ParsedArguments parsed = ParseArguments(c.arguments);
    EXPECT_FALSE(parsed.options.has_value());
    EXPECT_EQ(parsed.error, c.error);
  }
}

TEST(SplitCommandLine, TakesQuotedFoldersWithTheirTrailingBackslash) {
  struct Case {
    const wchar_t* commandLine;
    std::vector<std::wstring> arguments;
  };
  const Case cases[] = {
      {L"InstallCli.exe", {}},
      {L"\"E:\\SETUP\\InstallCli.exe\"", {}},
      {L"\"E:\\Диск установки\\InstallCli.exe\"  --yes", {L"--yes"}},
      {L"InstallCli.exe --yes \t D:\\V ", {L"--yes", L"D:\\V"}},
      {L"InstallCli.exe \"C:\\Program Files\\Virelta\\\" --no-driver",
       {L"C:\\Program Files\\Virelta\\", L"--no-driver"}},
      {L"InstallCli.exe \"\"", {L""}},
      {L"InstallCli.exe C:\\\"Program Files\"\\V", {L"C:\\Program Files\\V"}},
      {L"InstallCli.exe \"unterminated folder", {L"unterminated folder"}},
      {L"\"InstallCli.exe", {}},
      {L"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SplitCommandLine(c.commandLine), c.arguments) << text::ToUtf8(c.commandLine);
  }
}

// With --check the one folder is the medium to check, never a target.
TEST(ParseArguments, CheckTakesItsFolderAsTheMedium) {
  for (const auto& [arguments, medium] :
       {std::pair{std::vector<std::wstring>{L"--check"}, L""},
        std::pair{std::vector<std::wstring>{L"/check", L"F:\\"}, L"F:\\"},
        std::pair{std::vector<std::wstring>{L"E:\\", L"--check"}, L"E:\\"}}) {
    const ParsedArguments parsed = ParseArguments(arguments);
    ASSERT_TRUE(parsed.options.has_value());
    EXPECT_TRUE(parsed.options->check);
    EXPECT_FALSE(parsed.options->target.has_value());
    EXPECT_EQ(parsed.options->medium.value_or(L""), medium);
  }
}

TEST(UsageText, NamesEveryOptionAndEndsWithALineBreak) {
  const std::wstring usage = UsageText();
  for (const wchar_t* option :
       {L"--windows-xp", L"--no-driver", L"--yes", L"--check", L"InstallCli.exe"}) {
    EXPECT_NE(usage.find(option), std::wstring::npos) << text::ToUtf8(option);
  }
  EXPECT_TRUE(usage.ends_with(L"\r\n"));
  EXPECT_EQ(usage.find(L"\n\n"), std::wstring::npos);
}

}  // namespace
}  // namespace cli
