// InstallCli.exe itself under Wine: copied onto a sample installation medium built in a scratch
// folder, started with standard output and standard error going into files, and judged by those
// bytes, its exit code and the files that landed in the target folder, the Windows fonts folder,
// the registry and on the desktop.
//
// Every complete run writes the same desktop shortcut and the run from the sample medium changes
// the Windows fonts folder: the tests of this program hold a CTest resource lock and never run
// side by side. The screen's resolution comes from VIRELTA_TEST_LOGPIXELS: unset in the normal
// session (96 logical pixels per inch, small fonts), 120 in the large-fonts session.
#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "SampleMedium.h"
#include "engine/FileOperations.h"
#include "engine/Fonts.h"
#include "engine/MediumCopy.h"
#include "engine/MediumManifest.h"
#include "engine/PackageLayout.h"
#include "engine/ProgressLines.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/ShellLinkReader.h"
#include "os/testing/SystemFontTitle.h"
#include "os/testing/TestEnvironment.h"
#include "os/win32/ComApartment.h"
#include "os/win32/Handle.h"
#include "os/win32/Win32Crypto.h"
#include "text/Utf.h"

namespace cli {
namespace {

using os::win32::FileHandle;
using os::win32::KernelHandle;
using std::wstring;

constexpr DWORD kRunLimitMs = 120000;

constexpr wchar_t kShellFolders[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The desktop shortcut of every complete run: the product's name from the string table.
constexpr wchar_t kShortcutFile[] = L"Вирельта.lnk";
constexpr wchar_t kCompleteLine[] = L"Установка завершена.\r\n";
constexpr wchar_t kSmallFontsStart[] =
    L"В настройках операционной системы Вашего компьютера выбрано использование \"мелкого\" "
    L"размера шрифта.";

struct CliResult {
  bool ended = false;
  bool stopped = false;  // ended from outside, as the task manager ends a program
  DWORD exitCode = 0;
  std::string output;
  std::string errors;
};

FileHandle InheritableFile(const wstring& path, DWORD access, DWORD disposition) {
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  return FileHandle(::CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  &inheritable, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The whole file, whoever else still has it open.
std::string ReadShared(const wstring& path) {
  const FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return "(cannot open " + text::ToUtf8(path) + ", error " + std::to_string(::GetLastError()) +
           ")";
  }
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    content.append(buffer, read);
  }
  return content;
}

// Runs the program with the arguments (already quoted where needed) from `currentFolder`; its
// input is NUL, so it has no console to ask questions on. Detached, so that no console host
// process inherits the output files and holds them open after the program's end. `stopWhen`,
// when given, is asked every few milliseconds and ends the program at once when it says so.
CliResult RunCli(const wstring& program, const wstring& arguments, const wstring& currentFolder,
                 const wstring& scratch, const std::function<bool()>& stopWhen = {}) {
  CliResult result;
  const wstring outPath = scratch + L"stdout.txt";
  const wstring errPath = scratch + L"stderr.txt";
  {
    const FileHandle input = InheritableFile(L"NUL", GENERIC_READ, OPEN_EXISTING);
    const FileHandle output = InheritableFile(outPath, GENERIC_WRITE, CREATE_ALWAYS);
    const FileHandle errors = InheritableFile(errPath, GENERIC_WRITE, CREATE_ALWAYS);
    if (!input || !output || !errors) {
      ADD_FAILURE() << "cannot open the redirection files, error " << ::GetLastError();
      return result;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.Get();
    startup.hStdOutput = output.Get();
    startup.hStdError = errors.Get();
    wstring commandLine = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                          DETACHED_PROCESS, nullptr, currentFolder.c_str(), &startup, &info)) {
      ADD_FAILURE() << "cannot start InstallCli.exe, error " << ::GetLastError();
      return result;
    }
    const KernelHandle process(info.hProcess);
    const KernelHandle thread(info.hThread);
    if (stopWhen) {
      for (DWORD waited = 0; waited < kRunLimitMs && !result.stopped; waited += 2) {
        if (::WaitForSingleObject(process.Get(), 2) == WAIT_OBJECT_0) {
          break;
        }
        if (stopWhen()) {
          result.stopped = ::TerminateProcess(process.Get(), 99) != FALSE;
        }
      }
    }
    result.ended = ::WaitForSingleObject(process.Get(), kRunLimitMs) == WAIT_OBJECT_0;
    if (!result.ended) {
      ::TerminateProcess(process.Get(), 99);
      ::WaitForSingleObject(process.Get(), kRunLimitMs);
    }
    ::GetExitCodeProcess(process.Get(), &result.exitCode);
  }
  result.output = ReadShared(outPath);
  result.errors = ReadShared(errPath);
  return result;
}

std::string Utf8Lines(const std::vector<wstring>& lines) {
  std::string bytes;
  for (const wstring& line : lines) {
    bytes += text::ToUtf8(line) + "\r\n";
  }
  return bytes;
}

// The events of an installation record, each line checked for its time stamp and its end.
std::vector<std::string> RecordEvents(const std::string& bytes) {
  std::vector<std::string> events;
  EXPECT_TRUE(bytes.empty() || bytes.ends_with("\r\n")) << "a line left half-written";
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t end = bytes.find("\r\n", at);
    const std::string line = bytes.substr(at, end - at);
    at = end == std::string::npos ? bytes.size() : end + 2;
    const std::string stamp = "0000-00-00 00:00:00.000 ";
    bool stamped = line.size() > stamp.size();
    for (std::size_t i = 0; stamped && i < stamp.size(); ++i) {
      stamped = stamp[i] == '0' ? (line[i] >= '0' && line[i] <= '9') : line[i] == stamp[i];
    }
    EXPECT_TRUE(stamped) << line;
    events.push_back(stamped ? line.substr(stamp.size()) : line);
  }
  return events;
}

bool HasEvent(const std::vector<std::string>& events, const std::string& start) {
  return std::any_of(events.begin(), events.end(),
                     [&](const std::string& e) { return e.starts_with(start); });
}

// The beginning of every record: the kit, the medium, the computer, the options, the target.
void ExpectRecordStart(const std::vector<std::string>& events, const wstring& medium,
                       const wstring& target) {
  ASSERT_GE(events.size(), 5u);
  EXPECT_EQ(events[0], "Начало: установка комплекса программой InstallCli.exe версии 1.0.0.0");
  EXPECT_TRUE(events[1].starts_with(text::ToUtf8(L"Носитель: " + medium + L", "))) << events[1];
  EXPECT_TRUE(events[2].starts_with("Компьютер: ") &&
              events[2].find(", пользователь: ") != std::string::npos &&
              events[2].find(", Windows ") != std::string::npos)
      << events[2];
  EXPECT_TRUE(events[3].starts_with("Параметры: ") && events[3].find("--log") != std::string::npos)
      << events[3];
  EXPECT_EQ(events[4], text::ToUtf8(L"Каталог установки: " + target));
}

// The SHA-256 of a file as lower-case hexadecimal digits.
std::string DigestOf(os::IFileSystem& fs, const wstring& path) {
  os::win32::Win32Crypto crypto;
  std::wstring error;
  const std::optional<os::Sha256Digest> digest = engine::FileDigest(fs, crypto, path, error);
  EXPECT_TRUE(digest.has_value()) << text::ToUtf8(error);
  return digest ? text::ToUtf8(engine::DigestHex(*digest)) : "";
}

int ExpectedLogPixels() {
  const char* value = std::getenv("VIRELTA_TEST_LOGPIXELS");
  return value == nullptr || *value == '\0' ? 96 : std::atoi(value);
}

// Standard error of a complete run, after whatever `before` the run wrote there first: the
// completion line and, on a screen with small fonts, the one line that says the complex needs
// large ones.
void ExpectCompletion(const std::string& errors, const std::string& before = "") {
  const std::string complete = before + text::ToUtf8(kCompleteLine);
  ASSERT_TRUE(errors.starts_with(complete)) << errors;
  const std::string rest = errors.substr(complete.size());
  if (ExpectedLogPixels() >= 100) {
    EXPECT_EQ(rest, "");
    return;
  }
  EXPECT_TRUE(rest.starts_with(text::ToUtf8(kSmallFontsStart))) << rest;
  EXPECT_NE(rest.find(text::ToUtf8(L"\"Вирельта\"")), std::string::npos) << rest;
  EXPECT_EQ(rest.find("\r\n"), rest.size() - 2) << "not one line: " << rest;
}

// The line the driver question leaves on standard error when the console installer answers it
// itself.
std::string AnsweredDriverQuestion(const wchar_t* answer) {
  return text::ToUtf8(L"Confirm: " + wstring(engine::lines::kDriverQuestion) + L" [Yes/No] " +
                      answer + L"\r\n");
}

DWORD Attributes(const wstring& path) {
  return ::GetFileAttributesW(path.c_str());
}

bool IsReadOnlyFile(const wstring& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool IsWritableFile(const wstring& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0 &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool IsFolder(const wstring& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<wstring> RegistryText(HKEY root, const wstring& key, const wstring& name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  if (::RegGetValueW(root, key.c_str(), name.c_str(), RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return wstring(value);
}

// The desktop shortcut of a complete run, in the folder the user's registry names.
// Every value of the uninstall entry in both places it may be, as type and bytes.
std::string UninstallValues() {
  std::string values;
  for (const HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Virelta",
                        0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
      continue;
    }
    for (DWORD i = 0;; ++i) {
      wchar_t name[256];
      BYTE data[2048];
      DWORD nameSize = 256;
      DWORD dataSize = sizeof data;
      DWORD type = 0;
      if (::RegEnumValueW(key, i, name, &nameSize, nullptr, &type, data, &dataSize) !=
          ERROR_SUCCESS) {
        break;
      }
      values += text::ToUtf8(name) + "=" + std::to_string(type) + ":" +
                std::string(reinterpret_cast<const char*>(data), dataSize) + "\n";
    }
    ::RegCloseKey(key);
  }
  return values;
}

wstring DesktopShortcut() {
  const std::optional<wstring> desktop = RegistryText(HKEY_CURRENT_USER, kShellFolders, L"Desktop");
  return desktop ? os::testing::JoinPath(*desktop, kShortcutFile) : wstring();
}

wstring WindowsFontsFolder() {
  wchar_t windows[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryW(windows, MAX_PATH);
  return length == 0 || length >= MAX_PATH ? wstring() : wstring(windows, length) + L"\\Fonts\\";
}

// The lines of the DPInst stand-in's log (UTF-16, one run a line), each split at its tabs: the
// program's name, its command line, its current folder and its compatibility layer.
std::vector<std::vector<wstring>> StandInRuns(const std::string& bytes) {
  wstring content(bytes.size() / sizeof(wchar_t), L'\0');
  std::memcpy(content.data(), bytes.data(), content.size() * sizeof(wchar_t));
  std::vector<std::vector<wstring>> runs;
  std::size_t start = 0;
  for (std::size_t end; (end = content.find(L'\n', start)) != wstring::npos; start = end + 1) {
    std::vector<wstring> fields;
    const wstring line = content.substr(start, end - start);
    std::size_t from = 0;
    for (std::size_t tab; (tab = line.find(L'\t', from)) != wstring::npos; from = tab + 1) {
      fields.push_back(line.substr(from, tab - from));
    }
    fields.push_back(line.substr(from));
    runs.push_back(std::move(fields));
  }
  return runs;
}

class InstallCliUnderWine : public testing::Test {
 protected:
  void SetUp() override {
    // A shortcut left by an earlier run must not pass for this run's.
    shortcut_ = DesktopShortcut();
    ASSERT_FALSE(shortcut_.empty()) << "no desktop folder in the registry";
    ::DeleteFileW(shortcut_.c_str());
    scratch_ = env_->NewScratchFolder();
    medium_ = scratch_ + L"Носитель\\";
    targetParent_ = scratch_ + L"Программы\\";
    ASSERT_EQ(fs_.CreateFolder(medium_), os::error::kSuccess);
    ASSERT_EQ(fs_.CreateFolder(targetParent_), os::error::kSuccess);
    ASSERT_TRUE(::CopyFileW(os::testing::WinePathOfBuildFile(VIRELTA_INSTALLCLI_EXE).c_str(),
                            (medium_ + L"InstallCli.exe").c_str(), TRUE))
        << "error " << ::GetLastError();
    BuildMedium();
  }

  // The fonts a run installed and the values it added are removed again, so that the next run of
  // the test installs them once more.
  void TearDown() override {
    ::DeleteFileW(shortcut_.c_str());
    for (const wstring& file : installedFonts_) {
      ::DeleteFileW(file.c_str());
    }
    for (const wstring& name : addedFontValues_) {
      ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, wstring(engine::kFontsKey).c_str(), name.c_str());
    }
  }

  // The database, both server families and the function libraries, each holding its own medium
  // path; the release set and the updater's files that the finishing steps take.
  void BuildMedium() {
    using namespace engine::layout;
    const auto folder = [&](const wstring& relative) {
      ASSERT_EQ(fs_.CreateFolder(medium_ + relative), os::error::kSuccess)
          << text::ToUtf8(relative);
    };
    const auto file = [&](const wstring& relative) { Put(relative, text::ToUtf8(relative)); };
    const wstring firebird(kFirebirdFolder);
    folder(wstring(kDatabaseFolder));
    file(wstring(kDatabaseFolder) + wstring(kDatabaseFile));
    folder(firebird);
    for (const auto set : {std::span<const std::wstring_view>(kServerFilesFamily0),
                           std::span<const std::wstring_view>(kServerFilesFamily1)}) {
      for (const auto name : set) {
        file(firebird + wstring(name));
      }
    }
    folder(firebird + wstring(kInternationalFolder));
    for (const auto name : kInternationalFiles) {
      file(firebird + wstring(kInternationalFolder) + wstring(name));
    }
    folder(firebird + wstring(kServerFunctionFolder));
    for (const auto name : kServerFunctionFiles) {
      file(firebird + wstring(kServerFunctionFolder) + wstring(name));
    }
    folder(wstring(kComplexFunctionFolder));
    for (const auto name : kComplexFunctionFiles) {
      file(wstring(kComplexFunctionFolder) + wstring(name));
    }
    folder(L"backup");
    folder(L"backup\\V010124");
    // The set notes its run in the target folder, two levels up from its own.
    Put(L"backup\\V010124\\Install.cmd",
        "@echo off\r\n> \"..\\..\\ReleaseSet.txt\" echo V010124\r\nexit 0\r\n");
    folder(L"Updater");
    Put(L"Updater\\ReleaseInfo",
        "<?xml version=\"1.0\"?>\r\n<ROOT><Version>1</Version><Level>0</Level></ROOT>\r\n");
    Put(L"Updater\\Updater.exe.cfg", "[Updater]\r\n");
    Put(L"Uninstall.exe", "the uninstaller");
    // Read-only, as on a disc: the installation must make both writable in the target.
    for (const wchar_t* name : {L"Updater\\ReleaseInfo", L"Updater\\Updater.exe.cfg"}) {
      ASSERT_TRUE(::SetFileAttributesW((medium_ + name).c_str(), FILE_ATTRIBUTE_READONLY));
    }
  }

  // What the finishing steps leave in a target installed from the scratch medium: its release
  // set ran and its level is the target's release level, and the updater's files are writable.
  void ExpectFinishedFromScratchMedium(const wstring& target) {
    EXPECT_EQ(Landed(target + L"backup\\V010124\\Install.cmd"),
              Landed(medium_ + L"backup\\V010124\\Install.cmd"));
    EXPECT_EQ(Landed(target + L"ReleaseSet.txt"), "V010124\r\n");
    const std::optional<std::string> info = Landed(target + L"ReleaseInfo");
    ASSERT_TRUE(info.has_value());
    EXPECT_NE(info->find("<Version>1</Version>"), std::string::npos) << *info;
    EXPECT_NE(info->find("<Level>010124</Level>"), std::string::npos) << *info;
    EXPECT_TRUE(IsWritableFile(target + L"ReleaseInfo"));
    EXPECT_EQ(Landed(target + L"Updater.exe.cfg"), "[Updater]\r\n");
    EXPECT_TRUE(IsWritableFile(target + L"Updater.exe.cfg"));
  }

  void Put(const wstring& relative, const std::string& content) {
    os::testing::WriteBytes(fs_, medium_ + relative, content);
  }

  // The progress list of a run into a new target folder: the copy phase, every file completed.
  static std::vector<wstring> CopyPhaseLines(int family) {
    using namespace engine::layout;
    namespace lines = engine::lines;
    std::vector<wstring> expected;
    const auto done = [&](std::wstring_view name) {
      expected.push_back(lines::CopyingFile(name) + wstring(lines::kDone));
    };
    expected.push_back(wstring(lines::kCreatingSettings) + wstring(lines::kDone));
    expected.push_back(wstring(lines::kDatabaseFolderCreated));
    done(kDatabaseFile);
    for (const auto name : family == 0 ? std::span<const std::wstring_view>(kServerFilesFamily0)
                                       : std::span<const std::wstring_view>(kServerFilesFamily1)) {
      done(name);
    }
    for (const auto name : kInternationalFiles) {
      done(name);
    }
    for (const auto name : kServerFunctionFiles) {
      done(name);
    }
    for (const auto name : kComplexFunctionFiles) {
      done(name);
    }
    return expected;
  }

  CliResult Run(const wstring& arguments, const wstring& currentFolder,
                const std::function<bool()>& stopWhen = {}) {
    const CliResult result =
        RunCli(medium_ + L"InstallCli.exe", arguments, currentFolder, scratch_, stopWhen);
    EXPECT_TRUE(result.ended);
    return result;
  }

  std::optional<std::string> Landed(const wstring& path) {
    return os::testing::ReadBytes(fs_, path);
  }

  std::unique_ptr<os::testing::TestEnvironment> env_ = os::testing::MakeTestEnvironment();
  os::IFileSystem& fs_ = env_->Fs();
  wstring scratch_;
  wstring medium_;
  wstring targetParent_;
  wstring shortcut_;
  std::vector<wstring> installedFonts_;   // full paths in the Windows fonts folder
  std::vector<wstring> addedFontValues_;  // value names under HKLM\...\Fonts
};

TEST_F(InstallCliUnderWine, InstallsAndPrintsTheProgressList) {
  using namespace engine::layout;
  struct Case {
    const char* name;
    const wchar_t* options;
    int family;
  };
  const Case cases[] = {
      {"Windows 7 and 8", L"--no-driver", 0},
      {"Windows XP", L"--windows-xp --no-driver", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const wstring target = targetParent_ + L"Virelta " + std::to_wstring(c.family) + L"\\";
    // Without its trailing "\": the program adds it, as the path page does.
    const wstring field = target.substr(0, target.size() - 1);
    const CliResult result = Run(wstring(c.options) + L" \"" + field + L"\"", scratch_);
    EXPECT_EQ(result.exitCode, 0u) << result.errors;
    // The finishing steps add no line: the medium has no fonts and the driver is left out.
    EXPECT_EQ(result.output, Utf8Lines(CopyPhaseLines(c.family)));
    ExpectCompletion(result.errors);

    EXPECT_EQ(Landed(target + L"DTAfb\\R40.FDB"), "DTAfb\\R40.FDB");
    for (const auto name : c.family == 0
                               ? std::span<const std::wstring_view>(kServerFilesFamily0)
                               : std::span<const std::wstring_view>(kServerFilesFamily1)) {
      EXPECT_EQ(Landed(target + wstring(name)), "Firebird\\" + text::ToUtf8(name));
    }
    EXPECT_EQ(Landed(target + L"gbak.exe").has_value(), c.family == 0);
    for (const auto name : kComplexFunctionFiles) {
      EXPECT_EQ(Landed(target + L"udf\\" + wstring(name)), "UDF\\" + text::ToUtf8(name));
    }
    const std::optional<std::string> settings = Landed(target + L"Settings\\virelta.ini");
    ASSERT_TRUE(settings.has_value());
    EXPECT_NE(settings->find("FilterType=0\r\n"), std::string::npos);
    EXPECT_FALSE(Landed(target + L"btooth.ini").has_value());  // the shipped edition
    ExpectFinishedFromScratchMedium(target);
    EXPECT_FALSE(IsFolder(target + L"Usbprep"));
    // Each case's own shortcut.
    EXPECT_TRUE(::DeleteFileW(shortcut_.c_str())) << text::ToUtf8(shortcut_);
  }
}

// The small-fonts line follows the screen: the normal session has 96 logical pixels per inch
// (small fonts), the large-fonts session 120, where the installation only says it has finished.
TEST_F(InstallCliUnderWine, TellsOfSmallFontsOnlyOnAScreenWithSmallFonts) {
  const int pixels = ExpectedLogPixels();
  ASSERT_TRUE(pixels == 96 || pixels == 120) << "no session for " << pixels;
  const wstring target = targetParent_ + L"Virelta\\";
  const CliResult result = Run(L"--no-driver \"" + target + L"\"", scratch_);
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(result.output, Utf8Lines(CopyPhaseLines(0)));
  if (pixels == 120) {
    EXPECT_EQ(result.errors, text::ToUtf8(kCompleteLine));
  } else {
    EXPECT_NE(result.errors, text::ToUtf8(kCompleteLine));
    ExpectCompletion(result.errors);
  }
  ExpectFinishedFromScratchMedium(target);
}

// The driver step asks first. "--yes" answers "Yes"; without it, and with no console to ask on,
// the answer is "No"; "--no-driver" leaves the question out. The medium carries the sample's
// driver package here, so that a "Yes" shows in the target.
TEST_F(InstallCliUnderWine, TheDriverIsInstalledOnlyWhenTheQuestionIsAnsweredYes) {
  namespace lines = engine::lines;
  engine::CopyFolderTree(fs_, medium::SampleMediumFolder() + L"Usbprep\\", medium_ + L"Usbprep\\");
  ASSERT_TRUE(Landed(medium_ + L"Usbprep\\Usbprep.exe").has_value());
  struct Case {
    const char* name;
    const wchar_t* options;
    std::string errorsBefore;
    bool driver;
  };
  const Case cases[] = {
      {"no-driver", L"--no-driver", "", false},
      {"no-answer", L"", AnsweredDriverQuestion(L"No"), false},
      {"yes", L"--yes", AnsweredDriverQuestion(L"Yes"), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const wstring target = targetParent_ + text::FromUtf8(c.name) + L"\\";
    const CliResult result = Run(wstring(c.options) + L" \"" + target + L"\"", scratch_);
    EXPECT_EQ(result.exitCode, 0u) << result.errors;
    std::vector<wstring> expected = CopyPhaseLines(0);
    if (c.driver) {
      expected.emplace_back(lines::kDriverStarted);
      expected.emplace_back(lines::kDriverFinished);
    }
    EXPECT_EQ(result.output, Utf8Lines(expected));
    ExpectCompletion(result.errors, c.errorsBefore);
    EXPECT_EQ(IsFolder(target + L"Usbprep"), c.driver);
    EXPECT_EQ(Landed(target + L"Usbprep\\dpinst_standin.log").has_value(), c.driver);
    ExpectFinishedFromScratchMedium(target);  // the run goes on after the driver step
  }
}

// A second installation into the same folder keeps the clinic's data: its database under a dated
// name beside the medium's, "lastnum.dta" byte for byte and every other key of "virelta.ini".
TEST_F(InstallCliUnderWine, ReinstallKeepsTheDatabaseTheLastNumberAndTheOtherSettings) {
  namespace lines = engine::lines;
  const wstring target = targetParent_ + L"Virelta\\";
  const wstring arguments = L"--no-driver \"" + target + L"\"";
  const CliResult first = Run(arguments, scratch_);
  ASSERT_EQ(first.exitCode, 0u) << first.errors;
  // The clinic has worked with the complex since.
  os::testing::WriteBytes(fs_, target + L"DTAfb\\R40.FDB", "patients and recordings");
  const wstring ini = target + L"Settings\\virelta.ini";
  os::testing::WriteBytes(fs_, ini,
                          "[options]\r\nFilterType=3\r\nLanguageSetting=ENG\r\n\r\n"
                          "[view]\r\nZoom=2\r\n\r\n");
  const std::optional<std::string> lastNumber = Landed(target + L"Settings\\lastnum.dta");
  ASSERT_TRUE(lastNumber.has_value());
  ASSERT_EQ(lastNumber->size(), 14u);
  ASSERT_TRUE(::DeleteFileW((target + L"ReleaseSet.txt").c_str()));

  const CliResult second = Run(arguments, scratch_);
  EXPECT_EQ(second.exitCode, 0u) << second.errors;
  std::vector<wstring> expected = CopyPhaseLines(0);
  // "DTAfb" is there already; the old database is kept before the medium's is copied.
  expected[1] = lines::BackingUpFile(engine::layout::kDatabaseFile) + wstring(lines::kDone);
  EXPECT_EQ(second.output, Utf8Lines(expected));
  ExpectCompletion(second.errors);

  EXPECT_EQ(Landed(target + L"DTAfb\\R40.FDB"), "DTAfb\\R40.FDB");
  os::ErrorCode error = 0;
  const std::vector<wstring> backups =
      os::testing::FindNames(fs_, target + L"DTAfb\\R40_*.FDB", error);
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_EQ(Landed(target + L"DTAfb\\" + backups[0]), "patients and recordings");
  EXPECT_EQ(Landed(target + L"Settings\\lastnum.dta"), lastNumber);
  EXPECT_EQ(Landed(ini),
            "[options]\r\nFilterType=0\r\nLanguageSetting=ENG\r\nHardwareType=1\r\n\r\n"
            "[view]\r\nZoom=2\r\n\r\n");
  // The updater's files, writable after the first run, are the medium's again, the release set
  // ran once more.
  ExpectFinishedFromScratchMedium(target);
}

// The console installer ended from outside at a few moments of a reinstallation with a large
// database, each time over the clinic's own database: a second run completes, and the clinic's
// database, its last number and its settings are all still there.
TEST_F(InstallCliUnderWine, AStoppedRunLeavesASecondRunToFinishAndLosesNothing) {
  const wstring target = targetParent_ + L"Virelta\\";
  const wstring arguments = L"--no-driver \"" + target + L"\"";
  {
    // A database large enough that the copy takes a while: its pages are not all written.
    const FileHandle database(::CreateFileW((medium_ + L"DTAfb\\R40.FDB").c_str(), GENERIC_WRITE, 0,
                                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                            nullptr));
    LARGE_INTEGER size{};
    size.QuadPart = 384LL << 20;
    ASSERT_TRUE(::SetFilePointerEx(database.Get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(database.Get()));
  }
  const auto sizeOf = [](const wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)
               ? (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow
               : 0;
  };
  // One installation at a time: a second installer started while the database is copied exits
  // with 1618 and changes nothing, neither its own target nor the first run's.
  const wstring secondScratch = scratch_ + L"second\\";
  ASSERT_TRUE(::CreateDirectoryW(secondScratch.c_str(), nullptr));
  std::optional<CliResult> refused;
  const CliResult first = Run(arguments, scratch_, [&] {
    if (!refused && sizeOf(target + L"DTAfb\\R40.FDB.tmp") > 0) {
      refused = RunCli(
          medium_ + L"InstallCli.exe",
          L"--yes --log \"" + secondScratch + L"second.log\" \"" + targetParent_ + L"Second\\\"",
          scratch_, secondScratch);
    }
    return false;
  });
  EXPECT_EQ(first.exitCode, 0u) << first.errors;
  ASSERT_TRUE(refused.has_value()) << "the database copy was never seen";
  EXPECT_EQ(refused->exitCode, 1618u);
  EXPECT_EQ(refused->output, "");
  EXPECT_EQ(refused->errors,
            "Установка не начата: на этом компьютере уже идёт другая установка комплекса. "
            "Дождитесь её окончания и запустите установку снова.\r\n");
  EXPECT_EQ(Attributes(targetParent_ + L"Second"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(Attributes(secondScratch + L"second.log"), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(first.output, Utf8Lines(CopyPhaseLines(0)));
  EXPECT_EQ(sizeOf(target + L"DTAfb\\R40.FDB"), 384u << 20);
  ExpectFinishedFromScratchMedium(target);
  const wstring ini = target + L"Settings\\virelta.ini";
  const wstring lastNumberFile = target + L"Settings\\lastnum.dta";
  const std::optional<std::string> lastNumber = Landed(lastNumberFile);
  ASSERT_TRUE(lastNumber.has_value());
  const auto outputHas = [&](const wchar_t* line) {
    return [this, line] {
      return ReadShared(scratch_ + L"stdout.txt").find(text::ToUtf8(line)) != std::string::npos;
    };
  };
  struct Moment {
    const char* what;
    std::function<bool()> reached;
  };
  const Moment moments[] = {
      {"while the database is copied", [&] { return sizeOf(target + L"DTAfb\\R40.FDB.tmp") > 0; }},
      {"after the first server file", outputHas(L"aliases.conf....Завершено")},
      {"after the last function library", outputHas(L"VrReportUdf.Dll....Завершено")},
  };
  int round = 0;
  for (const Moment& moment : moments) {
    SCOPED_TRACE(moment.what);
    const std::string database = "the clinic's database, round " + std::to_string(++round);
    os::testing::WriteBytes(fs_, target + L"DTAfb\\R40.FDB", database);
    os::testing::WriteBytes(fs_, ini, "[options]\r\nFilterType=3\r\nZoom=2\r\n\r\n");

    const wstring record = scratch_ + L"stopped.log";
    const CliResult stopped =
        Run(L"--log \"" + record + L"\" " + arguments, scratch_, moment.reached);
    EXPECT_TRUE(stopped.stopped) << "the run ended before the moment came: " << stopped.output;
    // The record holds whole lines up to the moment it was stopped, and no end.
    const std::vector<std::string> events = RecordEvents(Landed(record).value_or(""));
    ExpectRecordStart(events, medium_, target);
    EXPECT_TRUE(HasEvent(events, "Строка 3: Копирование файла R40.FDB...."));
    EXPECT_FALSE(HasEvent(events, "Конец:"));
    const CliResult second = Run(arguments, scratch_);
    ASSERT_EQ(second.exitCode, 0u) << second.output << second.errors;

    os::ErrorCode error = 0;
    int kept = 0;
    for (const wstring& name : os::testing::FindNames(fs_, target + L"DTAfb\\R40_*.FDB", error)) {
      const wstring path = target + L"DTAfb\\" + name;
      kept += sizeOf(path) == database.size() && Landed(path) == database ? 1 : 0;
    }
    EXPECT_EQ(kept, 1) << "the clinic's database is not kept once under a dated name";
    EXPECT_EQ(Landed(lastNumberFile), lastNumber);
    EXPECT_EQ(Landed(ini), "[options]\r\nFilterType=0\r\nZoom=2\r\nHardwareType=1\r\n\r\n");
    for (const wchar_t* pattern : {L"DTAfb\\*.tmp", L"Settings\\*.tmp", L"*.tmp"}) {
      EXPECT_TRUE(os::testing::FindNames(fs_, target + pattern, error).empty())
          << text::ToUtf8(pattern);
    }
    ExpectFinishedFromScratchMedium(target);
  }
}

// The sample installation medium as the project ships it for trying the kit, driver included:
// InstallCli run from it twice into one folder, and from a copy of it that lacks the fourth
// server file, the whole output compared each time.
TEST_F(InstallCliUnderWine, InstallsFromTheSampleMediumTwiceAndStopsOnABrokenCopyOfIt) {
  namespace lines = engine::lines;
  const wstring sample = medium::SampleMediumFolder();
  const wstring target = targetParent_ + L"Sample\\";
  const wstring arguments = L"--yes \"" + target + L"\"";
  // As on a disc: the installation must make them writable.
  ASSERT_TRUE(IsReadOnlyFile(sample + L"Updater\\ReleaseInfo"));
  ASSERT_TRUE(IsReadOnlyFile(sample + L"Updater\\Updater.exe.cfg"));

  // The fonts the Windows fonts folder lacks, by file name, each reported with the title the
  // system gives or, where it gives none (Wine), the one the font file's name table gives; each
  // under a registry value of its own.
  const wstring systemFonts = WindowsFontsFolder();
  ASSERT_FALSE(systemFonts.empty());
  const std::map<wstring, wstring> sampleTitles = {
      {L"ARIAL.TTF", L"Liberation Sans"},        {L"ARIALN.TTF", L"Liberation Sans Narrow"},
      {L"COUR.TTF", L"Liberation Mono"},         {L"MICROSS.TTF", L"FreeSans"},
      {L"TAHOMA.TTF", L"DejaVu Sans Condensed"}, {L"TIMES.TTF", L"Liberation Serif"},
      {L"verdana.TTF", L"DejaVu Sans"},
  };
  struct Font {
    wstring file;
    wstring title;
  };
  std::vector<Font> lacking;
  for (const std::wstring_view file : engine::kFontFiles) {
    if (Attributes(systemFonts + wstring(file)) == INVALID_FILE_ATTRIBUTES) {
      wstring title = os::testing::SystemFontTitle(sample + L"fonts\\" + wstring(file));
      lacking.push_back({wstring(file), title.empty() ? sampleTitles.at(wstring(file)) : title});
      installedFonts_.push_back(systemFonts + wstring(file));
    }
  }
  if (os::testing::RunningUnderWine()) {
    EXPECT_EQ(lacking.size(), 7u) << "a font of the list is left in Wine's fonts folder";
  }
  std::map<wstring, wstring> registered;
  for (const Font& font : lacking) {
    registered[font.title + L" (TrueType)"] = font.file;
  }
  EXPECT_EQ(registered.size(), lacking.size()) << "two fonts would share a value name";
  for (const auto& [name, file] : registered) {
    if (!RegistryText(HKEY_LOCAL_MACHINE, wstring(engine::kFontsKey), name)) {
      addedFontValues_.push_back(name);
    }
  }

  const wstring record = scratch_ + L"Журнал установки.log";
  const CliResult run = RunCli(sample + L"InstallCli.exe",
                               L"--log \"" + record + L"\" " + arguments, scratch_, scratch_);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u) << run.errors;
  std::vector<wstring> expected = CopyPhaseLines(0);
  for (const Font& font : lacking) {
    expected.push_back(engine::FontInstalledLine(font.title));
  }
  expected.emplace_back(lines::kDriverStarted);
  expected.emplace_back(lines::kDriverFinished);
  EXPECT_EQ(run.output, Utf8Lines(expected));
  ExpectCompletion(run.errors, AnsweredDriverQuestion(L"Yes"));

  // The record of the complete run: its start, every progress line as it ended up, the files
  // with their digests, the driver installer's and the release script's exit codes, the end.
  const std::vector<std::string> events = RecordEvents(Landed(record).value_or(""));
  ExpectRecordStart(events, sample, target);
  EXPECT_EQ(events[1], text::ToUtf8(L"Носитель: " + sample) + ", SHA-256 файла SHA256SUMS " +
                           DigestOf(fs_, sample + L"SHA256SUMS"));
  std::map<int, std::string> finalLines;
  for (const std::string& event : events) {
    int number = 0;
    char colon = 0;
    if (std::sscanf(event.c_str(), "Строка %d%c", &number, &colon) == 2 && colon == ':') {
      finalLines[number] = event.substr(event.find(": ") + 2);
    }
  }
  ASSERT_EQ(finalLines.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(finalLines[static_cast<int>(i) + 1], text::ToUtf8(expected[i]));
  }
  EXPECT_TRUE(HasEvent(events, text::ToUtf8(L"Файл: " + target + L"DTAfb\\R40.FDB.tmp, ") +
                                   std::to_string(Landed(sample + L"DTAfb\\R40.FDB")->size()) +
                                   " байт, SHA-256 " + DigestOf(fs_, sample + L"DTAfb\\R40.FDB")));
  EXPECT_TRUE(HasEvent(events, text::ToUtf8(L"Переименован: " + target + L"DTAfb\\R40.FDB.tmp -> " +
                                            target + L"DTAfb\\R40.FDB")));
  EXPECT_TRUE(HasEvent(events, text::ToUtf8(L"Файл: " + target + L"Usbprep\\Usbprep.exe, ")));
  EXPECT_TRUE(HasEvent(
      events, text::ToUtf8(L"Программа: " + target + L"Usbprep\\Usbprep.exe, код завершения 0")));
  EXPECT_TRUE(std::any_of(events.begin(), events.end(), [](const std::string& e) {
    return e.starts_with("Программа: ") && e.find("V010113\\Install.cmd") != std::string::npos &&
           e.ends_with(", код завершения 0");
  }));
  // The release level saved into "ReleaseInfo" and the desktop shortcut are files written too.
  EXPECT_TRUE(std::count_if(events.begin(), events.end(), [&](const std::string& e) {
                return e.starts_with(text::ToUtf8(L"Файл: " + target)) &&
                       e.find("ReleaseInfo, ") != std::string::npos;
              }) >= 2);
  EXPECT_TRUE(HasEvent(events, text::ToUtf8(L"Файл: " + shortcut_ + L", ")));
  EXPECT_EQ(events.back(), "Конец: установка завершена, код завершения 0");
  EXPECT_EQ(Landed(target + L"DTAfb\\R40.FDB"), Landed(sample + L"DTAfb\\R40.FDB"));
  EXPECT_EQ(Landed(target + L"udf\\VrReportUdf.Dll"), Landed(sample + L"UDF\\VrReportUdf.Dll"));

  // The fonts: in the Windows fonts folder and registered.
  for (const Font& font : lacking) {
    SCOPED_TRACE(text::ToUtf8(font.file));
    const std::optional<std::string> installed = Landed(systemFonts + font.file);
    ASSERT_TRUE(installed.has_value());
    EXPECT_TRUE(installed == Landed(sample + L"fonts\\" + font.file)) << "content differs";
  }
  for (const auto& [name, file] : registered) {
    EXPECT_EQ(RegistryText(HKEY_LOCAL_MACHINE, wstring(engine::kFontsKey), name), file)
        << text::ToUtf8(name);
  }

  // The driver package: copied into the target and run from there, each DPInst run in its folder.
  EXPECT_EQ(Landed(target + L"Usbprep\\Usbprep.exe"), Landed(sample + L"Usbprep\\Usbprep.exe"));
  const wchar_t* const dpinstParameters[] = {
      L"/U Package\\ftdibus.inf /D /S",
      L"/U Package\\ftdiport.inf /D /S",
      L"/PATH Package /F /LM /SE",
  };
  const auto expectDpinstRuns = [&](std::size_t installations) {
    const std::vector<std::vector<wstring>> runs =
        StandInRuns(Landed(target + L"Usbprep\\dpinst_standin.log").value_or(""));
    ASSERT_EQ(runs.size(), 3 * installations);
    for (std::size_t i = 0; i < runs.size(); ++i) {
      SCOPED_TRACE(i);
      ASSERT_GE(runs[i].size(), 3u);
      EXPECT_TRUE(runs[i][1].ends_with(dpinstParameters[i % 3])) << text::ToUtf8(runs[i][1]);
      EXPECT_EQ(::lstrcmpiW(runs[i][2].c_str(), (target + L"Usbprep").c_str()), 0)
          << text::ToUtf8(runs[i][2]);
    }
  };
  expectDpinstRuns(1);

  // The release sets: all three copied, only the newest run, its level written.
  for (const wchar_t* set : {L"V150612", L"V010113", L"WithOutAnswer"}) {
    const wstring script = wstring(L"backup\\") + set + L"\\Install.cmd";
    EXPECT_EQ(Landed(target + script), Landed(sample + script)) << text::ToUtf8(set);
  }
  const std::optional<std::string> ran = Landed(target + L"ReleaseSet.txt");
  ASSERT_TRUE(ran.has_value());
  EXPECT_TRUE(ran->starts_with("V010113\r\nran in ")) << *ran;
  EXPECT_EQ(Landed(target + L"Release-V010113.txt"),
            Landed(sample + L"backup\\V010113\\Release-V010113.txt"));
  EXPECT_FALSE(Landed(target + L"Release-V150612.txt").has_value());
  EXPECT_FALSE(Landed(target + L"WithOutAnswer-ran.txt").has_value());
  const auto expectReleaseLevel = [&] {
    const std::optional<std::string> info = Landed(target + L"ReleaseInfo");
    ASSERT_TRUE(info.has_value());
    EXPECT_NE(info->find("<Version>1</Version>"), std::string::npos) << *info;
    EXPECT_NE(info->find("<Level>010113</Level>"), std::string::npos) << *info;
    EXPECT_TRUE(IsWritableFile(target + L"ReleaseInfo"));
    EXPECT_EQ(Landed(target + L"Updater.exe.cfg"), Landed(sample + L"Updater\\Updater.exe.cfg"));
    EXPECT_TRUE(IsWritableFile(target + L"Updater.exe.cfg"));
  };
  expectReleaseLevel();

  // The desktop shortcut, read back by the shell.
  {
    const os::win32::ComApartment com;
    ASSERT_TRUE(com.Initialized());
    const std::optional<os::testing::ShellLinkContent> link = os::testing::LoadShellLink(shortcut_);
    ASSERT_TRUE(link.has_value()) << text::ToUtf8(shortcut_);
    EXPECT_EQ(::lstrcmpiW(link->path.c_str(), (target + L"Virelta.exe").c_str()), 0)
        << text::ToUtf8(link->path);
    EXPECT_EQ(os::testing::WithoutTrailingBackslash(link->workingDirectory),
              os::testing::WithoutTrailingBackslash(target));
    EXPECT_EQ(link->description,
              L"Комплекс суточного мониторирования электрокардиограмм \"Вирельта\"");
    EXPECT_EQ(link->arguments, L"");
  }
  ASSERT_TRUE(::DeleteFileW(shortcut_.c_str()));

  // Once more into the same folder: the fonts are there now, the database is kept first.
  const CliResult again =
      RunCli(sample + L"InstallCli.exe", L"--reinstall " + arguments, scratch_, scratch_);
  EXPECT_TRUE(again.ended);
  EXPECT_EQ(again.exitCode, 0u) << again.errors;
  expected = CopyPhaseLines(0);
  expected[1] = lines::BackingUpFile(engine::layout::kDatabaseFile) + wstring(lines::kDone);
  expected.emplace_back(lines::kDriverStarted);
  expected.emplace_back(lines::kDriverFinished);
  EXPECT_EQ(again.output, Utf8Lines(expected));
  ExpectCompletion(again.errors, AnsweredDriverQuestion(L"Yes"));
  expectDpinstRuns(2);
  expectReleaseLevel();
  EXPECT_NE(Attributes(shortcut_), INVALID_FILE_ATTRIBUTES);

  const wstring broken = scratch_ + L"Испорченный носитель\\";
  engine::CopyFolderTree(fs_, sample, broken);
  const wstring fourth(engine::layout::kServerFilesFamily0[3]);
  ASSERT_EQ(fs_.RemoveFile(broken + L"Firebird\\" + fourth), os::error::kSuccess);
  const wstring brokenTarget = targetParent_ + L"Broken\\";
  const CliResult stopped =
      RunCli(broken + L"InstallCli.exe", L"--yes --no-driver \"" + brokenTarget + L"\"", scratch_,
             scratch_);
  EXPECT_EQ(stopped.exitCode, 2u) << stopped.errors;
  expected = CopyPhaseLines(0);
  expected.resize(3 + 3);  // settings, database folder, database, three server files
  expected.push_back(lines::CopyingFile(fourth));
  EXPECT_EQ(stopped.output, Utf8Lines(expected));
  EXPECT_NE(stopped.errors.find(
                text::ToUtf8(L"Cannot open file \"" + broken + L"Firebird\\" + fourth + L"\"")),
            std::string::npos)
      << stopped.errors;
  EXPECT_FALSE(Landed(brokenTarget + fourth).has_value());
  EXPECT_FALSE(Landed(brokenTarget + L"ReleaseInfo").has_value());  // no finishing steps
}

// The sample medium carries its manifest: --check finds it complete; a copy with one byte changed
// or one file missing is named file by file, and an installation from the changed copy stops at
// that file.
TEST_F(InstallCliUnderWine, ChecksTheSampleMediumAndStopsAtADamagedFile) {
  namespace lines = engine::lines;
  const wstring sample = medium::SampleMediumFolder();
  const CliResult complete = RunCli(sample + L"InstallCli.exe", L"--check", scratch_, scratch_);
  EXPECT_EQ(complete.exitCode, 0u) << complete.output << complete.errors;
  EXPECT_EQ(complete.output, "");
  EXPECT_NE(complete.errors.find(text::ToUtf8(L"полон")), std::string::npos) << complete.errors;
  EXPECT_NE(complete.errors.find("V010113"), std::string::npos) << complete.errors;

  const wstring damaged(engine::layout::kServerFilesFamily0[3]);
  const wstring scratched = scratch_ + L"Поцарапанный носитель\\";
  engine::CopyFolderTree(fs_, sample, scratched);
  std::string bytes = Landed(scratched + L"Firebird\\" + damaged).value_or("");
  ASSERT_FALSE(bytes.empty());
  bytes[bytes.size() / 2] ^= 0x01;
  os::testing::WriteBytes(fs_, scratched + L"Firebird\\" + damaged, bytes);
  const wstring lacking = scratch_ + L"Неполный носитель\\";
  engine::CopyFolderTree(fs_, sample, lacking);
  ASSERT_TRUE(::DeleteFileW((lacking + L"UDF\\VrEcgUdf.Dll").c_str()));

  const CliResult changed = RunCli(scratched + L"InstallCli.exe", L"--check", scratch_, scratch_);
  EXPECT_EQ(changed.exitCode, 3u) << changed.errors;
  EXPECT_EQ(changed.output,
            Utf8Lines({L"Файл \"Firebird\\" + damaged +
                       L"\" повреждён: его содержимое не совпадает с контрольной суммой в "
                       L"SHA256SUMS."}));
  const CliResult missing =
      RunCli(sample + L"InstallCli.exe", L"--check \"" + lacking + L"\"", scratch_, scratch_);
  EXPECT_EQ(missing.exitCode, 3u) << missing.errors;
  EXPECT_EQ(missing.output,
            Utf8Lines({L"Нет файла \"UDF\\VrEcgUdf.Dll\".",
                       L"Нет файла \"UDF\\VrEcgUdf.Dll\", указанного в SHA256SUMS."}));

  const wstring target = targetParent_ + L"Scratched\\";
  const CliResult stopped = RunCli(scratched + L"InstallCli.exe",
                                   L"--yes --no-driver \"" + target + L"\"", scratch_, scratch_);
  EXPECT_EQ(stopped.exitCode, 2u) << stopped.errors;
  std::vector<wstring> expected = CopyPhaseLines(0);
  expected.resize(3 + 3);  // settings, database folder, database, three server files
  expected.push_back(lines::CopyingFile(damaged));
  EXPECT_EQ(stopped.output, Utf8Lines(expected));
  EXPECT_NE(stopped.errors.find(
                text::ToUtf8(engine::DamagedMediumFileText(scratched + L"Firebird\\" + damaged))),
            std::string::npos)
      << stopped.errors;
  EXPECT_FALSE(Landed(target + damaged).has_value());
  EXPECT_TRUE(Landed(target + wstring(engine::layout::kServerFilesFamily0[2])).has_value());
  EXPECT_FALSE(Landed(target + L"ReleaseInfo").has_value());  // no finishing steps
}

// An altered release script or updater file stops the run before anything is copied or started,
// with the damaged-file message (--check names it); the same medium unaltered installs.
TEST_F(InstallCliUnderWine, AnAlteredReleaseScriptOrUpdaterFileStopsTheRunBeforeItStarts) {
  const wstring sample = medium::SampleMediumFolder();
  const wstring altered = scratch_ + L"Изменённый носитель\\";
  engine::CopyFolderTree(fs_, sample, altered);
  ASSERT_EQ(os::testing::RemoveTree(fs_, altered + L"fonts"), 0u);  // none left in the system
  const wstring target = targetParent_ + L"Altered\\";
  const wstring arguments = L"--yes \"" + target + L"\"";
  for (const wchar_t* file : {L"backup\\V010113\\Install.cmd", L"Updater\\Updater.exe.cfg"}) {
    SCOPED_TRACE(text::ToUtf8(file));
    const wstring path = altered + file;
    const std::string original = Landed(path).value_or("");
    ASSERT_TRUE(::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL));
    os::testing::WriteBytes(fs_, path, original + "echo altered>..\\..\\altered.txt\r\n");
    const CliResult check = RunCli(altered + L"InstallCli.exe", L"--check", scratch_, scratch_);
    EXPECT_EQ(check.exitCode, 3u) << check.errors;
    EXPECT_NE(check.output.find(text::ToUtf8(L"Файл \"" + wstring(file) + L"\" повреждён")),
              std::string::npos);
    const CliResult stopped = RunCli(altered + L"InstallCli.exe", arguments, scratch_, scratch_);
    EXPECT_EQ(stopped.exitCode, 2u) << stopped.errors;
    EXPECT_EQ(stopped.output, "");  // not a line: nothing was copied, nothing started
    EXPECT_NE(stopped.errors.find(text::ToUtf8(engine::DamagedMediumFileText(path))),
              std::string::npos)
        << stopped.errors;
    os::testing::WriteBytes(fs_, path, original);
  }
  const CliResult installed = RunCli(altered + L"InstallCli.exe", arguments, scratch_, scratch_);
  EXPECT_EQ(installed.exitCode, 0u) << installed.errors;
  EXPECT_TRUE(Landed(target + L"ReleaseSet.txt").has_value());
}

// A target inside the medium is refused in the real run and the dry run, nothing written there.
TEST_F(InstallCliUnderWine, ATargetInsideTheMediumIsRefused) {
  for (const wchar_t* dryRun : {L"", L"--dry-run "}) {
    SCOPED_TRACE(text::ToUtf8(dryRun));
    const CliResult result =
        Run(wstring(dryRun) + L"--yes \"" + medium_ + L"backup\\.\\Virelta\"", targetParent_);
    EXPECT_EQ(result.exitCode, 1u) << result.errors;
    EXPECT_EQ(result.output, "");
    EXPECT_NE(result.errors.find(text::ToUtf8(L"находится на установочном носителе \"" + medium_)),
              std::string::npos)
        << result.errors;
    EXPECT_FALSE(IsFolder(medium_ + L"backup\\Virelta"));
  }
}

// A relative target folder is taken from the folder the program was started in, not from the
// medium's.
TEST_F(InstallCliUnderWine, RelativeTargetIsTakenFromTheCurrentFolder) {
  const CliResult result = Run(L"--no-driver Relative", targetParent_);
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  ExpectCompletion(result.errors);
  EXPECT_EQ(Landed(targetParent_ + L"Relative\\DTAfb\\R40.FDB"), "DTAfb\\R40.FDB");
  EXPECT_FALSE(Landed(medium_ + L"Relative\\DTAfb\\R40.FDB").has_value());
  ExpectFinishedFromScratchMedium(targetParent_ + L"Relative\\");
}

TEST_F(InstallCliUnderWine, MissingServerFileEndsTheRunWithItsLineOpen) {
  using namespace engine::layout;
  // The fourth file of family 0 is missing on the medium.
  const wstring missing(kServerFilesFamily0[3]);
  ASSERT_TRUE(::DeleteFileW((medium_ + L"Firebird\\" + missing).c_str()));
  const wstring target = targetParent_ + L"Virelta\\";
  const wstring record = scratch_ + L"failed.log";
  const CliResult result =
      Run(L"--no-driver --log \"" + record + L"\" \"" + target + L"\"", scratch_);
  EXPECT_EQ(result.exitCode, 2u);
  // The record ends with the error, the system's reason on the same line, and the exit code.
  const std::vector<std::string> events = RecordEvents(Landed(record).value_or(""));
  ExpectRecordStart(events, medium_, target);
  ASSERT_GE(events.size(), 2u);
  std::string error = result.errors.substr(0, result.errors.size() - 2);
  for (std::size_t at = error.find("\r\n"); at != std::string::npos; at = error.find("\r\n")) {
    error.replace(at, 2, " / ");
  }
  EXPECT_EQ(events[events.size() - 2], "Ошибка: " + error);
  EXPECT_NE(error.find(text::ToUtf8(fs_.ErrorText(os::error::kFileNotFound))), std::string::npos)
      << "the system's reason";
  EXPECT_EQ(events.back(), "Конец: ошибка, код завершения 2");

  std::vector<wstring> expected = CopyPhaseLines(0);
  expected.resize(3 + 3);  // settings, database folder and file, then three server files
  expected.push_back(engine::lines::CopyingFile(missing));
  EXPECT_EQ(result.output, Utf8Lines(expected));
  EXPECT_NE(result.errors.find("Cannot open file"), std::string::npos) << result.errors;
  EXPECT_NE(result.errors.find(text::ToUtf8(missing)), std::string::npos) << result.errors;
  EXPECT_TRUE(result.errors.ends_with("\r\n"));
  EXPECT_FALSE(Landed(target + missing).has_value());
  EXPECT_FALSE(Landed(target + wstring(kServerFilesFamily0[4])).has_value());
  // The run ended before the finishing steps.
  EXPECT_FALSE(Landed(target + L"ReleaseInfo").has_value());
  EXPECT_EQ(Attributes(shortcut_), INVALID_FILE_ATTRIBUTES);
}

// The dry run before the real run on the same folder: nothing changes on the computer, the
// programs are named instead of started, and what it prints is what the real run prints next.
TEST_F(InstallCliUnderWine, DryRunPrintsWhatTheRealRunPrintsAndChangesNothing) {
  struct Case {
    const char* name;
    bool installFirst;
    const wchar_t* missing;  // a medium file removed before the runs
    DWORD exitCode;
  };
  const Case cases[] = {
      {"fresh target", false, nullptr, 0},
      {"reinstallation", true, nullptr, 0},
      {"medium without a server file", false, L"Firebird\\ib_util.Dll", 2},
  };
  const auto lines = [](const std::string& text) {
    std::vector<std::string> result;
    for (std::size_t start = 0; start < text.size();) {
      const std::size_t end = text.find("\r\n", start);
      result.push_back(text.substr(start, end - start));
      start = end == std::string::npos ? text.size() : end + 2;
    }
    return result;
  };
  // The target's files with their attributes and content.
  const auto tree = [&](const wstring& folder) {
    std::map<wstring, std::string> found;
    const std::function<void(const wstring&)> walk = [&](const wstring& at) {
      WIN32_FIND_DATAW data;
      const HANDLE find = ::FindFirstFileW((at + L"*").c_str(), &data);
      if (find == INVALID_HANDLE_VALUE) {
        return;
      }
      do {
        const wstring name = data.cFileName;
        if (name == L"." || name == L"..") {
          continue;
        }
        const bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found[at + name] = std::to_string(data.dwFileAttributes) + " " +
                           std::to_string(data.ftLastWriteTime.dwLowDateTime) + " " +
                           (isFolder ? std::string() : Landed(at + name).value_or("?"));
        if (isFolder) {
          walk(at + name + L"\\");
        }
      } while (::FindNextFileW(find, &data));
      ::FindClose(find);
    };
    walk(folder);
    return found;
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const wstring target = targetParent_ + L"Пробный " + std::to_wstring(++index) + L"\\";
    const wstring arguments = L"--yes --reinstall \"" + target + L"\"";
    if (c.installFirst) {
      ASSERT_EQ(Run(arguments, scratch_).exitCode, 0u);
      ::DeleteFileW(shortcut_.c_str());
      // Unattended once more without --reinstall: the complete installation from this medium,
      // the clinic's database in it, and its uninstall entry are left as they are.
      os::testing::WriteBytes(fs_, target + L"DTAfb\\R40.FDB", "the clinic's database");
      const auto files = tree(target);
      const std::string entry = UninstallValues();
      EXPECT_NE(entry.find("DisplayVersion"), std::string::npos) << entry;
      const CliResult again = Run(L"--yes \"" + target + L"\"", scratch_);
      EXPECT_EQ(again.exitCode, 0u) << again.errors;
      EXPECT_EQ(again.output, "");
      EXPECT_TRUE(again.errors.starts_with(
          text::ToUtf8(L"Комплекс уже установлен в \"" + target + L"\" с этого носителя (")))
          << again.errors;
      EXPECT_EQ(tree(target), files);
      EXPECT_EQ(UninstallValues(), entry);
      EXPECT_EQ(Attributes(shortcut_), INVALID_FILE_ATTRIBUTES);
    }
    if (c.missing != nullptr) {
      ASSERT_TRUE(::DeleteFileW((medium_ + c.missing).c_str()));
    }
    const auto before = tree(target);

    const CliResult dry = Run(L"--dry-run " + arguments, scratch_);
    EXPECT_EQ(dry.exitCode, c.exitCode) << dry.errors;
    EXPECT_TRUE(dry.errors.starts_with(
        text::ToUtf8(L"Пробный прогон: на компьютере ничего не изменено.\r\n")))
        << dry.errors;
    EXPECT_EQ(tree(target), before);
    EXPECT_EQ(IsFolder(target), c.installFirst);
    EXPECT_EQ(Attributes(shortcut_), INVALID_FILE_ATTRIBUTES);
    // The release set's script is named, not run.
    EXPECT_EQ(dry.errors.find("V010124\\Install.cmd") != std::string::npos, c.exitCode == 0)
        << dry.errors;

    const CliResult real = Run(arguments, scratch_);
    EXPECT_EQ(real.exitCode, dry.exitCode) << real.errors;
    EXPECT_EQ(lines(dry.output), lines(real.output));
    EXPECT_FALSE(real.output.empty());
    ::DeleteFileW(shortcut_.c_str());
  }
}

TEST_F(InstallCliUnderWine, RefusedCommandLinesExitWith64AndInstallNothing) {
  struct Case {
    const wchar_t* arguments;
    const wchar_t* errorsStart;
  };
  const Case cases[] = {
      {L"--reboot", L"Неизвестный параметр: --reboot\r\nИспользование:"},
      {L"/dryrun", L"Неизвестный параметр: /dryrun\r\nИспользование:"},  // never a folder
      {L"\"\"", L"Error: Не выбран путь для установки программы!\r\n"},
      {L"C:\\", L"Warning: Программу нелзя устанавливать в корневой каталог!\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.arguments));
    const CliResult result = Run(c.arguments, targetParent_);
    EXPECT_EQ(result.exitCode, 64u);
    EXPECT_EQ(result.output, "");
    EXPECT_TRUE(result.errors.starts_with(text::ToUtf8(c.errorsStart))) << result.errors;
  }
  std::vector<os::FindEntry> entries;
  fs_.Find(targetParent_ + L"*", entries);
  EXPECT_EQ(entries.size(), 2u);  // "." and ".." only
}

// What every program of the kit carries, and the string table it reads its names from.
TEST(InstallCliProgram, CarriesTheStringTableTheManifestAndTheVersion) {
  const wstring program = os::testing::WinePathOfBuildFile(VIRELTA_INSTALLCLI_EXE);
  const HMODULE module = ::LoadLibraryExW(
      program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(module, nullptr) << ::GetLastError();
  wchar_t text[256] = {};
  EXPECT_GT(::LoadStringW(module, 1, text, 255), 0);
  EXPECT_EQ(wstring(text), L"Вирельта");
  EXPECT_GT(::LoadStringW(module, 4, text, 255), 0);
  EXPECT_EQ(wstring(text), L"Virelta.exe");

  std::string manifest;
  if (const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST)) {
    const HGLOBAL loaded = ::LoadResource(module, found);
    manifest.assign(static_cast<const char*>(::LockResource(loaded)),
                    ::SizeofResource(module, found));
  }
  EXPECT_NE(manifest.find("asInvoker"), std::string::npos) << manifest;
  EXPECT_NE(::FindResourceW(module, MAKEINTRESOURCEW(1), RT_VERSION), nullptr);
  ::FreeLibrary(module);
}

}  // namespace
}  // namespace cli
