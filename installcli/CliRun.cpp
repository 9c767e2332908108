#include "CliRun.h"

#include <chrono>

#include "CliOptions.h"
#include "CliVerify.h"
#include "ConsoleProgress.h"
#include "Error.h"
#include "InstallLog.h"
#include "VR_Common_Proc.h"
#include "engine/FileOperations.h"
#include "engine/InstallerStrings.h"
#include "engine/MediumCheck.h"
#include "engine/MediumManifest.h"
#include "engine/RerunRule.h"
#include "engine/RunObserver.h"
#include "engine/TargetFolder.h"
#include "os/overlay/DryRunPlatform.h"

namespace cli {
namespace {

constexpr wchar_t kLineEnd[] = L"\r\n";
constexpr wchar_t kCompleteText[] = L"Установка завершена.";
constexpr wchar_t kEndedEarlyText[] = L"Установка не завершена.";
constexpr wchar_t kDryRunText[] = L"Пробный прогон: на компьютере ничего не изменено.";
constexpr wchar_t kAlreadyRunningText[] =
    L"Установка не начата: на этом компьютере уже идёт другая установка комплекса. Дождитесь "
    L"её окончания и запустите установку снова.";
constexpr wchar_t kEventSource[] = L"Virelta";
constexpr std::uint16_t kEventError = 1;        // EVENTLOG_ERROR_TYPE
constexpr std::uint16_t kEventInformation = 4;  // EVENTLOG_INFORMATION_TYPE

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

// The arguments as they were given, each with blanks quoted.
std::wstring ArgumentsText(const std::vector<std::wstring>& arguments) {
  std::wstring text;
  for (const std::wstring& argument : arguments) {
    text += (text.empty() ? L"" : L" ") +
            (argument.find_first_of(L" \t") == std::wstring::npos || argument.empty()
                 ? argument
                 : L"\"" + argument + L"\"");
  }
  return text.empty() ? L"(нет)" : text;
}

// The record's first lines: the kit, the medium and its manifest, the computer, the options.
void RecordStart(InstallLog& log, os::Platform& platform, const RunHost& host,
                 const std::vector<std::wstring>& arguments) {
  log.Write(L"Начало: установка комплекса программой InstallCli.exe версии " + host.kitVersion);
  const std::wstring medium = engine::InstallerFolder(platform.system);
  const std::wstring manifest = medium + std::wstring(engine::kManifestFile);
  std::wstring digestText;
  if (platform.fs.GetAttributes(manifest) == os::attr::kInvalid) {
    digestText = L"без SHA256SUMS";
  } else {
    std::wstring error;
    const auto digest = engine::FileDigest(platform.fs, platform.crypto, manifest, error);
    digestText = digest ? L"SHA-256 файла SHA256SUMS " + engine::DigestHex(*digest)
                        : L"SHA256SUMS не прочитан: " + error;
  }
  log.Write(L"Носитель: " + medium + L", " + digestText);
  log.Write(L"Компьютер: " + host.computer + L", пользователь: " + host.user + L", " +
            host.windows);
  log.Write(L"Параметры: " + ArgumentsText(arguments));
}

// The installation itself, on the computer or on a dry run's view of it (no host: nothing is
// recorded, no lock is taken and no event written).
int Install(const CliOptions& options, const std::vector<std::wstring>& arguments,
            IConsole& console, os::Platform& platform, const RunFunction& run,
            const RunHost* host) {
  if (host != nullptr && host->lock != nullptr && !host->lock->TryTake()) {
    console.WriteError(std::wstring(kAlreadyRunningText) + kLineEnd);
    return kAlreadyRunning;
  }
  ConsoleProgress consoleProgress(console, options.yes ? Answers::kAllYes : Answers::kAsk);
  // With a record, the run is watched on its way: every line, file and program goes into it.
  std::optional<InstallLog> log;
  std::optional<engine::ObservingProgress> observing;
  std::optional<engine::ObservedPlatform> observed;
  engine::IInstallProgress* progress = &consoleProgress;
  os::Platform* runPlatform = &platform;
  if (host != nullptr && options.logFile) {
    log.emplace(platform.fs, platform.locale, console, platform.fs.FullPath(*options.logFile));
    RecordStart(*log, platform, *host, arguments);
    observing.emplace(consoleProgress, *log);
    observed.emplace(platform, *log);
    progress = &*observing;
    runPlatform = &observed->Get();
  }
  std::wstring targetPath = options.target.value_or(L"");
  const auto finish = [&](int code, const std::wstring& result) {
    if (log) {
      log->Write(L"Конец: " + result + L", код завершения " + std::to_wstring(code));
    }
    if (host != nullptr) {
      std::wstring event = L"Установка комплекса в \"" + targetPath + L"\": " + result +
                           L" (код завершения " + std::to_wstring(code) + L").";
      event += log ? L" Журнал установки: \"" + log->Path() + L"\"." : L" Журнал не вёлся.";
      platform.eventLog.Report(kEventSource, code == kComplete ? kEventInformation : kEventError, 0,
                               0, {event});
    }
    return code;
  };
  try {
    // A malformed manifest stops the run before anything is written, the target folder included.
    engine::ReadMediumManifest(platform.fs, engine::InstallerFolder(platform.system));
    const engine::TargetFolderCheck target = TakeTargetFolder(options, *runPlatform);
    if (!target.Accepted()) {
      RefusedTarget(console, target);
      if (log) {
        log->Error(target.message);
      }
      return finish(kUsage, L"каталог установки не принят");
    }
    targetPath = target.path;
    if (log) {
      log->Write(L"Каталог установки: " + target.path);
    }
    engine::InstallRequest request;
    request.TargetPath = target.path;
    request.Fcopyfrom = engine::InstallerFolder(runPlatform->system);
    // An unattended rerun over a complete installation from this medium changes nothing, so
    // that the clinic's database stays live whoever runs the installer again.
    if (options.yes && !options.reinstall) {
      if (const std::optional<std::wstring> installed = engine::CompleteInstallationFromMedium(
              *runPlatform, target.path, request.Fcopyfrom)) {
        console.WriteError(L"Комплекс уже установлен в \"" + target.path +
                           L"\" с этого носителя (" + *installed +
                           L"): ничего не изменено. Установить заново: --reinstall." + kLineEnd);
        return finish(kComplete, L"уже установлен с этого носителя, ничего не изменено");
      }
    }
    request.WindowsFamily = options.windowsXp ? 1 : 0;
    request.InstallDriver = !options.noDriver;
    request.EditionFlag = engine::ReadEditionFlag(runPlatform->system, runPlatform->locale);

    const bool complete = run(request, *progress, *runPlatform);
    consoleProgress.Finish();
    if (!complete) {
      console.WriteError(std::wstring(kEndedEarlyText) + kLineEnd);
      return finish(kEndedEarly, L"установка не завершена");
    }
    Completion(console, platform);
    return finish(kComplete, L"установка завершена");
  } catch (...) {
    consoleProgress.Finish();
    const std::wstring text = CaughtErrorReport(platform.fs);
    console.WriteError(text + kLineEnd);
    if (log) {
      log->Error(text);
    }
    return finish(kFailed, L"ошибка");
  }
}

}  // namespace

std::wstring ErrorText(const std::wstring& message) {
  return WithClosingFullStop(message);
}

int RunCli(const std::vector<std::wstring>& arguments, IConsole& console, os::Platform& platform,
           const RunFunction& run, const RunHost& host) {
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
    return Install(options, arguments, console, platform, run, &host);
  }
  // The same run against a view that keeps every change in memory; the programs it would start
  // are named instead.
  console.WriteError(std::wstring(kDryRunText) + kLineEnd);
  os::overlay::DryRunPlatform dryRun(
      platform, [&](const std::wstring& commandLine, const std::wstring& folder) {
        console.WriteError(L"Пробный прогон: программа не запущена: " + commandLine +
                           L" (в каталоге " + folder + L")" + kLineEnd);
      });
  return Install(options, arguments, console, dryRun.Get(), run, nullptr);
}

}  // namespace cli
