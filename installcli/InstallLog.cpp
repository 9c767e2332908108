#include "InstallLog.h"

#include <cstdio>

#include "engine/MediumManifest.h"
#include "text/Utf.h"

namespace cli {
namespace {

std::wstring TimeStamp(const os::LocalTime& t) {
  wchar_t buffer[32];
  std::swprintf(buffer, sizeof buffer / sizeof buffer[0], L"%04d-%02d-%02d %02d:%02d:%02d.%03d",
                t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds);
  return buffer;
}

// A line break inside an event would start a line that is no event: it is written as " / ".
std::wstring OneLine(const std::wstring& text) {
  std::wstring line;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
        ++i;
      }
      line += L" / ";
    } else {
      line += text[i];
    }
  }
  return line;
}

}  // namespace

InstallLog::InstallLog(os::IFileSystem& fs, os::ILocale& locale, IConsole& console,
                       std::wstring path)
    : fs_(fs), locale_(locale), console_(console), path_(std::move(path)) {
  os::ErrorCode error = os::error::kSuccess;
  file_ = fs_.Open(path_, os::Access::kReadWrite, os::Share::kRead, os::Disposition::kCreateAlways,
                   error);
  if (!file_) {
    Failed(fs_.ErrorText(error));
  }
}

void InstallLog::Failed(const std::wstring& reason) {
  file_.reset();
  console_.WriteError(L"Журнал установки \"" + path_ + L"\" не записывается: " + reason +
                      L" Установка продолжается без него.\r\n");
}

void InstallLog::Write(const std::wstring& text) {
  if (!file_) {
    return;
  }
  const std::string bytes = text::ToUtf8(TimeStamp(locale_.Now()) + L" " + OneLine(text) + L"\r\n");
  std::uint32_t written = 0;
  os::ErrorCode error =
      file_->Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), written);
  if (error == os::error::kSuccess && written != bytes.size()) {
    error = os::error::kDiskFull;
  }
  if (error == os::error::kSuccess) {
    error = file_->Flush();
  }
  if (error != os::error::kSuccess) {
    Failed(fs_.ErrorText(error));
  }
}

void InstallLog::ProgressLine(int index, const std::wstring& text) {
  Write(L"Строка " + std::to_wstring(index + 1) + L": " + text);
}

void InstallLog::Question(const std::wstring& text, bool yes) {
  Write(L"Вопрос: " + text + (yes ? L" Ответ: Yes" : L" Ответ: No"));
}

void InstallLog::Error(const std::wstring& text) {
  Write(L"Ошибка: " + text);
}

void InstallLog::Warning(const std::wstring& text) {
  Write(L"Предупреждение: " + text);
}

void InstallLog::FileWritten(const std::wstring& path, std::uint64_t size,
                             const std::optional<os::Sha256Digest>& digest,
                             const std::wstring& digestError) {
  Write(L"Файл: " + path + L", " + std::to_wstring(size) + L" байт, SHA-256 " +
        (digest ? engine::DigestHex(*digest) : L"не получен: " + digestError));
}

void InstallLog::FileRenamed(const std::wstring& from, const std::wstring& to) {
  Write(L"Переименован: " + from + L" -> " + to);
}

void InstallLog::FileRemoved(const std::wstring& path) {
  Write(L"Удалён: " + path);
}

void InstallLog::ProgramEnded(const std::wstring& commandLine, std::uint32_t exitCode) {
  Write(L"Программа: " + commandLine + L", код завершения " + std::to_wstring(exitCode));
}

void InstallLog::ProgramNotStarted(const std::wstring& commandLine, const std::wstring& reason) {
  Write(L"Программа: " + commandLine + L", не запущена: " + reason);
}

}  // namespace cli
