#include "CliRun.h"

#include <chrono>

#include "CliOptions.h"
#include "CliVerify.h"
#include "ConsoleProgress.h"
#include "Error.h"
#include "VR_Common_Proc.h"
#include "engine/FileOperations.h"
#include "engine/InstallerStrings.h"
#include "engine/MediumCheck.h"
#include "engine/MediumManifest.h"
#include "engine/TargetFolder.h"
#include "os/overlay/DryRunPlatform.h"

namespace cli {
namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";
constexpr wchar_t kCompleteText[] = L"Установка завершена.";
constexpr wchar_t kEndedEarlyText[] = L"Установка не завершена.";
constexpr wchar_t kDryRunText[] = L"Пробный прогон: на компьютере ничего не изменено.";

// The message of whatever error is passing through; the path and the system's reason behind it
// on a line of their own, where it has them.
std::wstring CaughtErrorReport(os::IFileSystem& fs) {
  const OperatorError* caught = nullptr;
  std::wstring report = ErrorText(CurrentErrorText(&caught));
  if (caught != nullptr && caught->HasCause()) {
    report += kLineEnd + engine::FailureText(fs, caught->CausePath(), caught->CauseCode());
  }
  return report;
}

// What the wizard's font-size page explains, for a console: the installer never changes the
// font size itself and never restarts the computer.
std::wstring SmallFontsText(const std::wstring& productName) {
  return L"В настройках операционной системы Вашего компьютера выбрано использование "
         L"\"мелкого\" размера шрифта. Для корректной работы программы \"" +
         productName +
         L"\" требуется использование \"крупного\" размера шрифта. Программа установки его не "
         L"меняет: выберите \"крупный\" размер шрифта в настройках экрана и перезагрузите "
         L"компьютер.";
}

// After a complete run: the installation has finished, and on a screen with small fonts the
// complex still needs large ones.
void Completion(IConsole& console, os::Platform& platform) {
  console.WriteError(std::wstring(kCompleteText) + kLineEnd);
  if (vr::IsSmallFonts(platform.display)) {
    console.WriteError(
        SmallFontsText(engine::InstallerString(platform.system, VR_STR_PRODUCT_NAME)) + kLineEnd);
  }
}

void RefusedTarget(IConsole& console, const engine::TargetFolderCheck& check) {
  const wchar_t* kind =
      check.verdict == engine::TargetFolderCheck::Verdict::kEmpty ? L"Error: " : L"Warning: ";
  console.WriteError(kind + check.message + kLineEnd);
}

// The target folder from the command line or the default, checked as the path page checks it.
// An accepted folder is made a full path against the current folder, so that the installation
// does not depend on the folders it makes current on its way, and checked again: a relative
// path may name a drive root too.
engine::TargetFolderCheck TakeTargetFolder(const CliOptions& options, os::Platform& platform) {
  const std::wstring field =
      options.target ? *options.target : engine::DefaultTargetFolder(platform.system);
  engine::TargetFolderCheck check = engine::CheckTargetFolder(field);
  if (!check.Accepted()) {
    return check;
  }
  const std::wstring full = platform.fs.FullPath(check.path);
  if (!full.empty()) {
    check = engine::CheckTargetFolder(full);
  }
  // A target on the medium or in the Windows folder is not even created: the run refuses it.
  if (check.Accepted() &&
      engine::TargetOnKitMessage(platform.fs, check.path, engine::InstallerFolder(platform.system),
                                 vr::GetWindowsFolder(platform.system))
          .empty()) {
    engine::PrepareTargetFolder(platform.fs, check.path);
  }
  return check;
}

// --check: one line per finding on standard output, the verdict on standard error.
int CheckMedium(const CliOptions& options, IConsole& console, os::Platform& platform) {
  std::wstring medium = options.medium ? platform.fs.FullPath(*options.medium)
                                       : engine::InstallerFolder(platform.system);
  if (!medium.empty() && medium.back() != L'\\') {
    medium += L'\\';
  }
  if (!engine::FolderExists(platform.fs, medium)) {
    console.WriteError(L"Error: Нет каталога носителя \"" + medium + L"\"." + kLineEnd);
    return kUsage;
  }
  // A long check shows how far it has come: a line on standard error about every second.
  auto shown = std::chrono::steady_clock::now();
  const engine::MediumReport report =
      engine::CheckMedium(platform, medium, [&](const engine::CheckProgress& progress) {
        const auto now = std::chrono::steady_clock::now();
        if (now - shown < std::chrono::milliseconds(900)) {
          return;
        }
        shown = now;
        console.WriteError(L"Проверено файлов: " + std::to_wstring(progress.filesDone) + L" из " +
                           std::to_wstring(progress.files) + L" (" +
                           std::to_wstring(progress.bytes / (1024 * 1024)) + L" МиБ)..." +
                           kLineEnd);
      });
  for (const std::wstring& finding : report.findings) {
    console.WriteOutput(finding + kLineEnd);
  }
  if (!report.findings.empty()) {
    console.WriteError(L"Носитель \"" + medium + L"\" неполон или повреждён: неполадок " +
                       std::to_wstring(report.findings.size()) + L"." + kLineEnd);
    return kBadMedium;
  }
  console.WriteError(L"Носитель \"" + medium + L"\" полон: файлов проверено по SHA256SUMS " +
                     std::to_wstring(report.filesVerified) + L", будет запущен выпуск " +
                     report.releaseSet + L"." + kLineEnd);
  return kComplete;
}

// The installation itself, on the computer or on a dry run's view of it.
int Install(const CliOptions& options, IConsole& console, os::Platform& platform,
            const RunFunction& run) {
  ConsoleProgress progress(console, options.yes ? Answers::kAllYes : Answers::kAsk);
  try {
    // A malformed manifest stops the run before anything is written, the target folder included.
    engine::ReadMediumManifest(platform.fs, engine::InstallerFolder(platform.system));
    const engine::TargetFolderCheck target = TakeTargetFolder(options, platform);
    if (!target.Accepted()) {
      RefusedTarget(console, target);
      return kUsage;
    }
    engine::InstallRequest request;
    request.TargetPath = target.path;
    request.Fcopyfrom = engine::InstallerFolder(platform.system);
    request.WindowsFamily = options.windowsXp ? 1 : 0;
    request.InstallDriver = !options.noDriver;
    request.EditionFlag = engine::ReadEditionFlag(platform.system, platform.locale);

    const bool complete = run(request, progress, platform);
    progress.Finish();
    if (!complete) {
      console.WriteError(std::wstring(kEndedEarlyText) + kLineEnd);
      return kEndedEarly;
    }
    Completion(console, platform);
    return kComplete;
  } catch (...) {
    progress.Finish();
    console.WriteError(CaughtErrorReport(platform.fs) + kLineEnd);
    return kFailed;
  }
}

}  // namespace

std::wstring ErrorText(const std::wstring& message) {
  return WithClosingFullStop(message);
}

int RunCli(const std::vector<std::wstring>& arguments, IConsole& console, os::Platform& platform,
           const RunFunction& run) {
  const ParsedArguments parsed = ParseArguments(arguments);
  if (!parsed.options) {
    console.WriteError(parsed.error + kLineEnd + UsageText());
    return kUsage;
  }
  const CliOptions& options = *parsed.options;
  if (options.help) {
    console.WriteError(UsageText());
    return kComplete;
  }
  if (options.check || options.verify) {
    try {
      return options.verify ? VerifyInstallation(options, console, platform)
                            : CheckMedium(options, console, platform);
    } catch (...) {
      console.WriteError(CaughtErrorReport(platform.fs) + kLineEnd);
      return kFailed;
    }
  }
  if (!options.dryRun) {
    return Install(options, console, platform, run);
  }
  // The same run against a view that keeps every change in memory; the programs it would start
  // are named instead.
  console.WriteError(std::wstring(kDryRunText) + kLineEnd);
  os::overlay::DryRunPlatform dryRun(
      platform, [&](const std::wstring& commandLine, const std::wstring& folder) {
        console.WriteError(L"Пробный прогон: программа не запущена: " + commandLine +
                           L" (в каталоге " + folder + L")" + kLineEnd);
      });
  return Install(options, console, dryRun.Get(), run);
}

}  // namespace cli
