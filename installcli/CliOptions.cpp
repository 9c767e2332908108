#include "CliOptions.h"

namespace cli {

namespace {

// Each option's name after its leading "--" (or "/", as Windows programs spell them).
enum class Option { kWindowsXp, kNoDriver, kYes, kDryRun, kCheck, kVerify, kReinstall, kLog, kHelp };

struct OptionName {
  std::wstring_view name;
  Option option;
};

constexpr OptionName kOptionNames[] = {
    {L"windows-xp", Option::kWindowsXp},
    {L"no-driver", Option::kNoDriver},
    {L"yes", Option::kYes},
    {L"dry-run", Option::kDryRun},
    {L"check", Option::kCheck},
    {L"verify", Option::kVerify},
    {L"reinstall", Option::kReinstall},
    {L"log", Option::kLog},
    {L"help", Option::kHelp},
};

// The option an argument names; nothing for an unknown one.
std::optional<Option> OptionOf(std::wstring_view argument) {
  if (argument == L"-h" || argument == L"/h" || argument == L"/?") {
    return Option::kHelp;
  }
  if (argument.starts_with(L"--")) {
    argument.remove_prefix(2);
  } else if (argument.starts_with(L'/')) {
    argument.remove_prefix(1);
  } else {
    return std::nullopt;
  }
  for (const OptionName& known : kOptionNames) {
    if (known.name == argument) {
      return known.option;
    }
  }
  return std::nullopt;
}

}  // namespace

ParsedArguments ParseArguments(const std::vector<std::wstring>& arguments) {
  CliOptions options;
  bool optionsEnded = false;
  bool logFileNext = false;
  for (const std::wstring& argument : arguments) {
    if (logFileNext) {
      options.logFile = argument;
      logFileNext = false;
      continue;
    }
    // Anything else beginning with "-" or "/" is a mistyped option, never a folder: taken as a
    // target, "/dry-run" would install for real into a folder of that name.
    const bool looksLikeOption =
        !optionsEnded && (argument.starts_with(L'-') || argument.starts_with(L'/'));
    if (!looksLikeOption) {
      if (options.target) {
        return {std::nullopt, L"Указано больше одного каталога установки: \"" + *options.target +
                                  L"\" и \"" + argument + L"\"."};
      }
      options.target = argument;
      continue;
    }
    if (argument == L"--") {
      optionsEnded = true;
      continue;
    }
    const std::optional<Option> option = OptionOf(argument);
    if (!option) {
      return {std::nullopt, L"Неизвестный параметр: " + argument};
    }
    switch (*option) {
      case Option::kWindowsXp:
        options.windowsXp = true;
        break;
      case Option::kNoDriver:
        options.noDriver = true;
        break;
      case Option::kYes:
        options.yes = true;
        break;
      case Option::kDryRun:
        options.dryRun = true;
        break;
      case Option::kCheck:
        options.check = true;
        break;
      case Option::kVerify:
        options.verify = true;
        break;
      case Option::kReinstall:
        options.reinstall = true;
        break;
      case Option::kLog:
        logFileNext = true;
        break;
      case Option::kHelp:
        options.help = true;
        break;
    }
  }
  if (logFileNext || (options.logFile && options.logFile->empty())) {
    return {std::nullopt, L"После --log не указан файл журнала."};
  }
  if (options.logFile && (options.check || options.dryRun || options.verify)) {
    return {std::nullopt,
            L"Журнал (--log) ведёт только установка, без --check, --verify и --dry-run."};
  }
  if (options.check) {
    options.medium.swap(options.target);
  }
  return {options, {}};
}

std::vector<std::wstring> SplitCommandLine(std::wstring_view commandLine) {
  const auto isBlank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
  std::size_t i = 0;
  // The program name ends at the next quote when it starts with one, else at the first blank.
  if (i < commandLine.size() && commandLine[i] == L'"') {
    const std::size_t end = commandLine.find(L'"', 1);
    i = end == std::wstring_view::npos ? commandLine.size() : end + 1;
  }
  while (i < commandLine.size() && !isBlank(commandLine[i])) {
    ++i;
  }
  std::vector<std::wstring> arguments;
  for (;;) {
    while (i < commandLine.size() && isBlank(commandLine[i])) {
      ++i;
    }
    if (i == commandLine.size()) {
      return arguments;
    }
    std::wstring argument;
    bool quoted = false;
    for (; i < commandLine.size() && (quoted || !isBlank(commandLine[i])); ++i) {
      if (commandLine[i] == L'"') {
        quoted = !quoted;
      } else {
        argument += commandLine[i];
      }
    }
    arguments.push_back(std::move(argument));
  }
}

std::wstring UsageText() {
  return L"Использование: InstallCli.exe [--dry-run] [--windows-xp] [--no-driver] [--yes] "
         L"[--reinstall] [--log файл] [каталог]\r\n"
         L"       InstallCli.exe --check [каталог носителя]\r\n"
         L"       InstallCli.exe --verify [каталог установки]\r\n"
         L"Устанавливает комплекс \"Вирельта\" с носителя, на котором лежит программа, в "
         L"каталог (по умолчанию C:\\Virelta).\r\n"
         L"  --dry-run     пробный прогон: показывает, что сделала бы установка, ничего не "
         L"меняя на компьютере\r\n"
         L"  --windows-xp  файлы сервера базы данных для Windows XP\r\n"
         L"  --no-driver   не устанавливать драйвер\r\n"
         L"  --yes         отвечать \"Yes\" на все вопросы; полную установку с того же носителя "
         L"не повторять\r\n"
         L"  --reinstall   установить заново и поверх полной установки с того же носителя\r\n"
         L"  --log файл    записывать ход установки в файл (UTF-8)\r\n"
         L"  --check       только проверить носитель (по умолчанию тот, на котором лежит "
         L"программа)\r\n"
         L"  --verify      только сверить установленные файлы со списком InstalledFiles.sha256\r\n"
         L"Каждый параметр можно записать и через \"/\": /dry-run, /yes, /log, /check, /verify, /?.\r\n"
         L"Коды завершения: 0 установка завершена (носитель полон, файлы целы), 1 установка "
         L"прервана, 2 ошибка, 3 носитель неполон или повреждён (файлы изменены), 64 неверные "
         L"параметры, 1618 уже идёт другая установка.\r\n";
}

}  // namespace cli
