#include "CliVerify.h"

#include "engine/FileOperations.h"
#include "engine/InstalledFiles.h"
#include "engine/UninstallEntry.h"

namespace cli {
namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";

}  // namespace

int VerifyInstallation(const CliOptions& options, IConsole& console, os::Platform& platform) {
  std::wstring folder = L"C:\\Virelta\\";
  if (options.target) {
    folder = platform.fs.FullPath(*options.target);
  } else if (const auto entry = engine::ReadUninstallEntry(platform.registry)) {
    folder = entry->InstallLocation;
  }
  if (!folder.empty() && folder.back() != L'\\') {
    folder += L'\\';
  }
  if (!engine::FolderExists(platform.fs, folder)) {
    console.WriteError(L"Error: Нет каталога \"" + folder + L"\"." + kLineEnd);
    return kUsage;
  }
  std::wstring error;
  const auto record = engine::ReadInstalledFiles(platform.fs, folder, error);
  if (!record) {
    console.WriteError(L"Error: " +
                       (error.empty() ? L"В каталоге \"" + folder +
                                            L"\" нет списка установленных "
                                            L"файлов " +
                                            std::wstring(engine::kInstalledFilesRecord) + L"."
                                      : L"Список установленных файлов не читается: " + error) +
                       kLineEnd);
    return kBadMedium;
  }
  std::size_t differences = 0;
  for (const engine::InstalledFile& file : record->files) {
    const auto line = engine::VerifyLine(
        engine::CompareInstalledFile(platform.fs, platform.crypto, folder, file), file.path);
    if (line) {
      console.WriteOutput(*line + kLineEnd);
      ++differences;
    }
  }
  if (differences != 0) {
    console.WriteError(L"Установка в \"" + folder + L"\" не совпадает со списком " +
                       std::wstring(engine::kInstalledFilesRecord) + L": расхождений " +
                       std::to_wstring(differences) + L"." + kLineEnd);
    return kBadMedium;
  }
  console.WriteError(L"Установка в \"" + folder + L"\" цела: файлов проверено по " +
                     std::wstring(engine::kInstalledFilesRecord) + L" " +
                     std::to_wstring(record->files.size()) + L"." + kLineEnd);
  return kComplete;
}

}  // namespace cli
