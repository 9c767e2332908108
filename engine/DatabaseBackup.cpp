#include "engine/DatabaseBackup.h"

namespace engine {
namespace {

// Enough for every backup an operator could make in one second; a bound all the same.
constexpr int kMostAttempts = 1000;

std::wstring Digits(int value, std::size_t width) {
  std::wstring text = std::to_wstring(value);
  if (text.size() < width) {
    text.insert(0, width - text.size(), L'0');
  }
  return text;
}

}  // namespace

std::wstring DatedBackupName(std::wstring_view fileName, const os::LocalTime& time, int attempt) {
  const size_t dot = fileName.rfind(L'.');
  const std::wstring_view stem = fileName.substr(0, dot);
  const std::wstring_view extension =
      dot == std::wstring_view::npos ? std::wstring_view() : fileName.substr(dot);
  std::wstring name = std::wstring(stem) + L"_" + Digits(time.year, 4) + Digits(time.month, 2) +
                      Digits(time.day, 2) + L"_" + Digits(time.hour, 2) + Digits(time.minute, 2) +
                      Digits(time.second, 2);
  if (attempt > 1) {
    name += L"_" + std::to_wstring(attempt);
  }
  return name + std::wstring(extension);
}

std::optional<std::wstring> BackUpByRenaming(os::IFileSystem& fs, os::ILocale& locale,
                                             const std::wstring& folder, std::wstring_view fileName,
                                             os::ErrorCode* error) {
  os::ErrorCode last = os::error::kAlreadyExists;  // every dated name taken
  const auto failed = [&]() -> std::optional<std::wstring> {
    if (error != nullptr) {
      *error = last;
    }
    return std::nullopt;
  };
  const std::wstring original = folder + std::wstring(fileName);
  const os::LocalTime now = locale.Now();
  for (int attempt = 1; attempt <= kMostAttempts; ++attempt) {
    const std::wstring backup = folder + DatedBackupName(fileName, now, attempt);
    if (fs.GetAttributes(backup) != os::attr::kInvalid) {
      continue;
    }
    // The rename itself refuses an existing name, should one appear after the look above.
    last = fs.Move(original, backup);
    if (last == os::error::kSuccess) {
      return backup;
    }
    if (last != os::error::kAlreadyExists && last != os::error::kFileExists) {
      return failed();
    }
  }
  return failed();
}

}  // namespace engine
