#pragma once
// The installation record of InstallCli --log <file>: one event per line, each written and
// flushed as it happens, so that a run ended from outside leaves a record without its end line.
// UTF-8, lines ended by CR LF, each beginning with the local time
// ("2026-12-10 14:05:09.120 ") and a word that says what the line is:
//   Начало: / Носитель: / Компьютер: / Каталог установки: / Параметры:   the run's setting
//   Строка N: <text>              a progress line as it stands after each change
//   Вопрос: / Ошибка: / Предупреждение:   a question with its answer, an error with the
//                                 system's reason, a failure that does not fail the installation
//   Файл: <path>, <n> байт, SHA-256 <digest>    a file written (Переименован: / Удалён: too)
//   Программа: <command line>, код завершения N  a program the run started, when it ended
//   Конец: <result>, код завершения N
// A failure to write the record is said once on standard error; the installation goes on.
#include <memory>
#include <string>

#include "Console.h"
#include "engine/RunObserver.h"
#include "os/FileSystem.h"
#include "os/Locale.h"

namespace cli {

class InstallLog final : public engine::IRunObserver {
 public:
  // Creates (or empties) the file. A file that cannot be created is said on standard error and
  // the record is left out.
  InstallLog(os::IFileSystem& fs, os::ILocale& locale, IConsole& console, std::wstring path);

  // Whether the record is still being written.
  bool Writing() const { return file_ != nullptr; }
  const std::wstring& Path() const { return path_; }

  // One line: the time, then the text.
  void Write(const std::wstring& text);

  void ProgressLine(int index, const std::wstring& text) override;
  void Question(const std::wstring& text, bool yes) override;
  void Error(const std::wstring& text) override;
  void Warning(const std::wstring& text) override;
  void FileWritten(const std::wstring& path, std::uint64_t size,
                   const std::optional<os::Sha256Digest>& digest,
                   const std::wstring& digestError) override;
  void FileRenamed(const std::wstring& from, const std::wstring& to) override;
  void FileRemoved(const std::wstring& path) override;
  void ProgramEnded(const std::wstring& commandLine, std::uint32_t exitCode) override;
  void ProgramNotStarted(const std::wstring& commandLine, const std::wstring& reason) override;

 private:
  void Failed(const std::wstring& reason);

  os::IFileSystem& fs_;
  os::ILocale& locale_;
  IConsole& console_;
  std::wstring path_;
  std::unique_ptr<os::IFile> file_;
};

}  // namespace cli
