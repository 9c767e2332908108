// InstallCli.exe itself under Wine: copied onto a sample installation medium built in a scratch
// folder, started with standard output and standard error going into files, and judged by those
// bytes, its exit code and the files that landed in the target folder.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "SampleMedium.h"
#include "engine/FileOperations.h"
#include "engine/PackageLayout.h"
#include "engine/ProgressLines.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "os/win32/Handle.h"
#include "text/Utf.h"

namespace cli {
namespace {

using os::win32::FileHandle;
using os::win32::KernelHandle;
using std::wstring;

constexpr DWORD kRunLimitMs = 120000;

struct CliResult {
  bool ended = false;
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
// process inherits the output files and holds them open after the program's end.
CliResult RunCli(const wstring& program, const wstring& arguments, const wstring& currentFolder,
                 const wstring& scratch) {
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

class InstallCliUnderWine : public testing::Test {
 protected:
  void SetUp() override {
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
    Put(L"backup\\V010124\\Install.cmd", "@echo off\r\nexit 0\r\n");
    folder(L"Updater");
    Put(L"Updater\\ReleaseInfo",
        "<?xml version=\"1.0\"?>\r\n<ROOT><Version>1</Version><Level>0</Level></ROOT>\r\n");
    Put(L"Updater\\Updater.exe.cfg", "[Updater]\r\n");
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

  CliResult Run(const wstring& arguments, const wstring& currentFolder) {
    const CliResult result =
        RunCli(medium_ + L"InstallCli.exe", arguments, currentFolder, scratch_);
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
};

TEST_F(InstallCliUnderWine, InstallsTheCopyPhaseAndPrintsTheProgressList) {
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
    EXPECT_EQ(result.output, Utf8Lines(CopyPhaseLines(c.family)));
    EXPECT_EQ(result.errors, text::ToUtf8(L"Установка завершена.\r\n"));

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

  const CliResult second = Run(arguments, scratch_);
  EXPECT_EQ(second.exitCode, 0u) << second.errors;
  std::vector<wstring> expected = CopyPhaseLines(0);
  // "DTAfb" is there already; the old database is kept before the medium's is copied.
  expected[1] = lines::BackingUpFile(engine::layout::kDatabaseFile) + wstring(lines::kDone);
  EXPECT_EQ(second.output, Utf8Lines(expected));

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
}

// The sample installation medium as the project ships it for trying the kit, and a copy of it that
// lacks the fourth server file: InstallCli run from each, its whole output compared.
TEST_F(InstallCliUnderWine, InstallsFromTheSampleMediumAndStopsOnABrokenCopyOfIt) {
  namespace lines = engine::lines;
  const wstring sample = medium::SampleMediumFolder();
  const wstring target = targetParent_ + L"Sample\\";
  const CliResult run = RunCli(sample + L"InstallCli.exe", L"--yes --no-driver \"" + target + L"\"",
                               scratch_, scratch_);
  EXPECT_TRUE(run.ended);
  EXPECT_EQ(run.exitCode, 0u) << run.errors;
  EXPECT_EQ(run.output, Utf8Lines(CopyPhaseLines(0)));
  EXPECT_EQ(Landed(target + L"DTAfb\\R40.FDB"), Landed(sample + L"DTAfb\\R40.FDB"));
  EXPECT_EQ(Landed(target + L"udf\\VrReportUdf.Dll"), Landed(sample + L"UDF\\VrReportUdf.Dll"));

  const wstring broken = scratch_ + L"Испорченный носитель\\";
  engine::CopyFolderTree(fs_, sample, broken);
  const wstring fourth(engine::layout::kServerFilesFamily0[3]);
  ASSERT_EQ(fs_.RemoveFile(broken + L"Firebird\\" + fourth), os::error::kSuccess);
  const wstring brokenTarget = targetParent_ + L"Broken\\";
  const CliResult stopped =
      RunCli(broken + L"InstallCli.exe", L"--yes --no-driver \"" + brokenTarget + L"\"", scratch_,
             scratch_);
  EXPECT_EQ(stopped.exitCode, 2u) << stopped.errors;
  std::vector<wstring> expected = CopyPhaseLines(0);
  expected.resize(3 + 3);  // settings, database folder, database, three server files
  expected.push_back(lines::CopyingFile(fourth));
  EXPECT_EQ(stopped.output, Utf8Lines(expected));
  EXPECT_NE(stopped.errors.find(
                text::ToUtf8(L"Cannot open file \"" + broken + L"Firebird\\" + fourth + L"\"")),
            std::string::npos)
      << stopped.errors;
  EXPECT_FALSE(Landed(brokenTarget + fourth).has_value());
}

// A relative target folder is taken from the folder the program was started in, not from the
// medium's.
TEST_F(InstallCliUnderWine, RelativeTargetIsTakenFromTheCurrentFolder) {
  const CliResult result = Run(L"--no-driver Relative", targetParent_);
  EXPECT_EQ(result.exitCode, 0u) << result.errors;
  EXPECT_EQ(Landed(targetParent_ + L"Relative\\DTAfb\\R40.FDB"), "DTAfb\\R40.FDB");
  EXPECT_FALSE(Landed(medium_ + L"Relative\\DTAfb\\R40.FDB").has_value());
}

TEST_F(InstallCliUnderWine, MissingServerFileEndsTheRunWithItsLineOpen) {
  using namespace engine::layout;
  // The fourth file of family 0 is missing on the medium.
  const wstring missing(kServerFilesFamily0[3]);
  ASSERT_TRUE(::DeleteFileW((medium_ + L"Firebird\\" + missing).c_str()));
  const wstring target = targetParent_ + L"Virelta\\";
  const CliResult result = Run(L"--no-driver \"" + target + L"\"", scratch_);
  EXPECT_EQ(result.exitCode, 2u);

  std::vector<wstring> expected = CopyPhaseLines(0);
  expected.resize(3 + 3);  // settings, database folder and file, then three server files
  expected.push_back(engine::lines::CopyingFile(missing));
  EXPECT_EQ(result.output, Utf8Lines(expected));
  EXPECT_NE(result.errors.find("Cannot open file"), std::string::npos) << result.errors;
  EXPECT_NE(result.errors.find(text::ToUtf8(missing)), std::string::npos) << result.errors;
  EXPECT_TRUE(result.errors.ends_with("\r\n"));
  EXPECT_FALSE(Landed(target + missing).has_value());
  EXPECT_FALSE(Landed(target + wstring(kServerFilesFamily0[4])).has_value());
}

TEST_F(InstallCliUnderWine, RefusedCommandLinesExitWith64AndInstallNothing) {
  struct Case {
    const wchar_t* arguments;
    const wchar_t* errorsStart;
  };
  const Case cases[] = {
      {L"--reboot", L"Неизвестный параметр: --reboot\r\nИспользование:"},
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
