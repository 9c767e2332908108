#include "CliOptions.h"

namespace cli {

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
    const bool looksLikeOption =
        !optionsEnded && ((argument.size() > 1 && argument.front() == L'-') || argument == L"/?");
    if (!looksLikeOption) {
      if (options.target) {
        return {std::nullopt, L"Указано больше одного каталога установки: \"" + *options.target +
                                  L"\" и \"" + argument + L"\"."};
      }
      options.target = argument;
    } else if (argument == L"--") {
      optionsEnded = true;
    } else if (argument == L"--windows-xp") {
      options.windowsXp = true;
    } else if (argument == L"--no-driver") {
      options.noDriver = true;
    } else if (argument == L"--yes") {
      options.yes = true;
    } else if (argument == L"--dry-run") {
      options.dryRun = true;
    } else if (argument == L"--check") {
      options.check = true;
    } else if (argument == L"--reinstall") {
      options.reinstall = true;
    } else if (argument == L"--log") {
      logFileNext = true;
    } else if (argument == L"--verify") {
      options.verify = true;
    } else if (argument == L"--help" || argument == L"-h" || argument == L"/?") {
      options.help = true;
    } else {
      return {std::nullopt, L"Неизвестный параметр: " + argument};
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
         L"Коды завершения: 0 установка завершена (носитель полон, файлы целы), 1 установка "
         L"прервана, 2 ошибка, 3 носитель неполон или повреждён (файлы изменены), 64 неверные "
         L"параметры, 1618 уже идёт другая установка.\r\n";
}

}  // namespace cli
