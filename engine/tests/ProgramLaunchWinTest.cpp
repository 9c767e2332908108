// The launch operations on the real system under Wine: a real program started from a folder
// with a blank, its working folder, start-up record and exit code, the 100 ms waiting, and a
// command script run through the command interpreter.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "Raised.h"
#include "engine/ProgramLaunch.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "os/win32/Win32Processes.h"
#include "text/Utf.h"

namespace engine {
namespace {

using testing::RaisedMessage;

// One line of the probe's report.
struct ProbeRun {
  std::wstring self;
  std::wstring commandLine;
  std::wstring currentFolder;
  unsigned long flags = 0;
  unsigned long showWindow = 0;
};

std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find(separator, start)) != std::wstring::npos;
       start = end + 1) {
    parts.push_back(text.substr(start, end - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

class ProgramLaunchWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    scratch_ = env_->NewScratchFolder();
    programFolder_ = scratch_ + L"Program Files\\Virelta\\";
    ASSERT_EQ(Fs().CreateFolder(scratch_ + L"Program Files"), 0u);
    ASSERT_EQ(Fs().CreateFolder(programFolder_), 0u);
    probe_ = programFolder_ + L"probe.exe";
    ASSERT_EQ(
        Fs().SystemCopy(os::testing::WinePathOfBuildFile(VIRELTA_LAUNCH_PROBE_EXE), probe_, true),
        0u);
  }

  os::IFileSystem& Fs() { return env_->Fs(); }

  std::vector<ProbeRun> Runs(const std::wstring& folder) {
    const auto bytes = os::testing::ReadBytes(Fs(), folder + L"probe-report.txt");
    std::vector<ProbeRun> runs;
    if (!bytes) {
      return runs;
    }
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes->data()),
                            bytes->size() / sizeof(wchar_t));
    for (const std::wstring& line : Split(text, L'\n')) {
      const auto fields = Split(line, L'\t');
      if (fields.size() == 5) {
        runs.push_back(
            {fields[0], fields[1], fields[2], std::stoul(fields[3]), std::stoul(fields[4])});
      }
    }
    return runs;
  }

  static std::wstring CurrentFolder() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = ::GetCurrentDirectoryW(MAX_PATH, buffer);
    return std::wstring(buffer, length < MAX_PATH ? length : 0);
  }

  std::unique_ptr<os::testing::TestEnvironment> env_;
  os::win32::Win32Processes processes_;
  std::wstring scratch_;
  std::wstring programFolder_;
  std::wstring probe_;
};

TEST_F(ProgramLaunchWinTest, StartProgramRunsAProgramFromAFolderWithABlankHiddenAndWaits) {
  // The program that an unquoted command line would start instead.
  ASSERT_EQ(Fs().SystemCopy(probe_, scratch_ + L"Program.exe", true), 0u);

  EXPECT_EQ(StartProgram(processes_, probe_, 0, true), 0);
  EXPECT_EQ(StartProgram(processes_, QuoteProgramPath(probe_) + L" 5", 0, true), 5);

  const auto runs = Runs(programFolder_);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].self, probe_);
  EXPECT_EQ(runs[0].commandLine, L"\"" + probe_ + L"\"");
  EXPECT_EQ(runs[0].currentFolder, CurrentFolder());  // the installer's, inherited
  EXPECT_EQ(runs[0].flags & STARTF_USESHOWWINDOW, static_cast<unsigned long>(STARTF_USESHOWWINDOW));
  EXPECT_EQ(runs[0].showWindow, static_cast<unsigned long>(SW_HIDE));
  EXPECT_EQ(runs[1].commandLine, L"\"" + probe_ + L"\" 5");
  EXPECT_TRUE(Runs(scratch_).empty()) << "the program in the folder above was started";
}

// Why the path is quoted: the system's own search starts "<scratch>\Program.exe" for the
// command line that names "<scratch>\Program Files\Virelta\probe.exe" without quotes.
TEST_F(ProgramLaunchWinTest, AnUnquotedPathWithABlankStartsTheProgramBeforeTheBlank) {
  ASSERT_EQ(Fs().SystemCopy(probe_, scratch_ + L"Program.exe", true), 0u);
  std::wstring line = probe_;
  line.push_back(L'\0');
  os::ProcessStart start;
  start.commandLine = line;
  start.creationFlags = kLaunchCreationFlags;
  os::ErrorCode error = 0;
  const auto process = processes_.Create(start, error);
  ASSERT_NE(process, nullptr) << error;
  EXPECT_EQ(process->Wait(30000), os::wait::kObject0);
  EXPECT_EQ(Runs(scratch_).size(), 1u);
  EXPECT_TRUE(Runs(programFolder_).empty());
}

TEST_F(ProgramLaunchWinTest, StartProgramWithoutWaitingReturnsWhileTheProgramRuns) {
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(StartProgram(processes_, QuoteProgramPath(probe_) + L" 0 3000", 0, false), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(2500));
  // The probe must be gone before its folder can be removed.
  ::Sleep(4000);
  EXPECT_EQ(Runs(programFolder_).size(), 1u);
}

TEST_F(ProgramLaunchWinTest, StartProgramOfAMissingProgramReturnsMinusOne) {
  EXPECT_EQ(StartProgram(processes_, programFolder_ + L"Usbprep\\Usbprep.exe", 0, true), -1);
  EXPECT_EQ(StartProgram(processes_, programFolder_ + L"missing.exe", 0, true), -1);
}

TEST_F(ProgramLaunchWinTest, RunInFolderAndWaitRunsInTheProgramsFolderUntilItHasEnded) {
  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(RunInFolderAndWait(processes_, probe_, L"7 250", 0), 7u);
  EXPECT_GE(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(250));
  EXPECT_EQ(RunInFolderAndWait(processes_, probe_, L"", 0), 0u);

  const auto runs = Runs(programFolder_);
  ASSERT_EQ(runs.size(), 2u);
  EXPECT_EQ(runs[0].commandLine, L"\"" + probe_ + L"\" 7 250");
  EXPECT_EQ(runs[0].currentFolder, os::testing::WithoutTrailingBackslash(programFolder_));
  EXPECT_EQ(runs[0].flags & STARTF_USESHOWWINDOW, static_cast<unsigned long>(STARTF_USESHOWWINDOW));
  EXPECT_EQ(runs[0].showWindow, static_cast<unsigned long>(SW_HIDE));
  EXPECT_EQ(runs[1].commandLine, L"\"" + probe_ + L"\" ");  // the blank stays
}

TEST_F(ProgramLaunchWinTest, RunInFolderAndWaitRaisesForAPathThatDoesNotExist) {
  const std::wstring missing = programFolder_ + L"backup\\V150612\\Install.cmd";
  EXPECT_EQ(RaisedMessage([&] { RunInFolderAndWait(processes_, missing, L"", 0); }),
            L"не могу создать процесс: " + missing);
}

// "Install.cmd" runs through the command interpreter, in its folder, and its exit code returns.
TEST_F(ProgramLaunchWinTest, ACommandScriptRunsThroughTheCommandInterpreter) {
  const std::wstring script = programFolder_ + L"Install.cmd";
  os::testing::WriteBytes(Fs(), script, "@echo off\r\ncd > cwd.txt\r\nexit 5\r\n");
  EXPECT_EQ(RunInFolderAndWait(processes_, script, L"", 0), 5u);
  const auto cwd = os::testing::ReadBytes(Fs(), programFolder_ + L"cwd.txt");
  ASSERT_TRUE(cwd.has_value());
  EXPECT_EQ(text::FromUtf8(*cwd), os::testing::WithoutTrailingBackslash(programFolder_) + L"\r\n");
}

// A script in a drive's root runs with that root as its folder.
TEST_F(ProgramLaunchWinTest, AScriptInADrivesRootRunsInTheRoot) {
  const std::wstring name = L"virelta-launch-" + std::to_wstring(::GetCurrentProcessId());
  const std::wstring script = L"C:\\" + name + L".cmd";
  os::testing::WriteBytes(Fs(), script,
                          "@echo off\r\ncd > " + text::ToUtf8(name) + ".txt\r\nexit 0\r\n");
  const std::uint32_t code = RunInFolderAndWait(processes_, script, L"", 0);
  const auto cwd = os::testing::ReadBytes(Fs(), L"C:\\" + name + L".txt");
  Fs().RemoveFile(script);
  Fs().RemoveFile(L"C:\\" + name + L".txt");
  EXPECT_EQ(code, 0u);
  ASSERT_TRUE(cwd.has_value());
  EXPECT_EQ(*cwd, "C:\\\r\n");
}

}  // namespace
}  // namespace engine
