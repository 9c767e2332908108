// The launch operations on the process double: what they hand to CreateProcessW, how they wait,
// what they return, how they fail, and that every handle is closed.
#include <gtest/gtest.h>

#include "Error.h"

#include <string>
#include <vector>

#include "Raised.h"
#include "engine/ProgramLaunch.h"
#include "os/testing/FakeProcesses.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"

namespace engine {
namespace {

using os::testing::FakeProcesses;
using os::testing::FakeProgram;
using os::testing::MemoryFileSystem;
using testing::RaisedMessage;

FakeProgram Program(std::uint32_t exitCode, std::uint32_t runMilliseconds = 0) {
  FakeProgram program;
  program.exitCode = exitCode;
  program.runMilliseconds = runMilliseconds;
  return program;
}

class ProgramLaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* folder : {L"C:\\Virelta", L"C:\\Virelta\\Usbprep", L"C:\\Program Files",
                                  L"C:\\Program Files\\Virelta", L"C:\\Installer"}) {
      ASSERT_EQ(fs_.CreateFolder(folder), 0u);
    }
    ASSERT_EQ(fs_.SetCurrentFolder(L"C:\\Installer"), 0u);
  }

  // A program file, with what it does when started.
  void AddProgram(const std::wstring& path, FakeProgram program = {}) {
    os::testing::WriteBytes(fs_, path, "MZ");
    processes_.SetProgram(path, std::move(program));
  }

  MemoryFileSystem fs_;
  FakeProcesses processes_{fs_};
};

TEST_F(ProgramLaunchTest, StartProgramHandsTheCommandLineOverAndWaitsWithoutTimeLimit) {
  AddProgram(L"C:\\Virelta\\Usbprep\\Usbprep.exe", Program(5, 60000));
  EXPECT_EQ(StartProgram(processes_, L"C:\\Virelta\\Usbprep\\Usbprep.exe", 0, true), 5);

  ASSERT_EQ(processes_.Starts().size(), 1u);
  const auto& start = processes_.Starts()[0];
  EXPECT_EQ(start.commandLine, L"C:\\Virelta\\Usbprep\\Usbprep.exe");
  EXPECT_EQ(start.bufferSize, 256u);
  EXPECT_EQ(start.creationFlags, 0x30u);
  EXPECT_EQ(start.folder, std::nullopt);
  EXPECT_EQ(start.showMode, 0u);
  EXPECT_EQ(start.workingFolder, L"C:\\Installer");  // the installer's own
  EXPECT_EQ(processes_.Waits(), std::vector<std::uint32_t>{os::wait::kInfinite});
  EXPECT_EQ(processes_.OpenHandleCount(), 0u);
}

TEST_F(ProgramLaunchTest, StartProgramWithoutWaitingReturnsAtOnce) {
  AddProgram(L"C:\\Virelta\\Usbprep\\Usbprep.exe", Program(5, 60000));
  EXPECT_EQ(StartProgram(processes_, L"C:\\Virelta\\Usbprep\\Usbprep.exe", 1, false), 0);
  ASSERT_EQ(processes_.Starts().size(), 1u);
  EXPECT_EQ(processes_.Starts()[0].showMode, 1u);
  EXPECT_TRUE(processes_.Waits().empty());
  EXPECT_EQ(processes_.OpenHandleCount(), 0u);
}

TEST_F(ProgramLaunchTest, StartProgramOfAMissingProgramReturnsMinusOneWithoutWaiting) {
  EXPECT_EQ(StartProgram(processes_, L"C:\\Virelta\\Usbprep\\Usbprep.exe", 0, true), -1);
  ASSERT_EQ(processes_.Starts().size(), 1u);
  EXPECT_EQ(processes_.Starts()[0].error, os::error::kFileNotFound);
  EXPECT_TRUE(processes_.Waits().empty());
  EXPECT_EQ(processes_.OpenHandleCount(), 0u);
}

TEST_F(ProgramLaunchTest, AnUnreadableExitCodeIsNotTakenForOne) {
  AddProgram(L"C:\\Virelta\\Usbprep\\Usbprep.exe");
  processes_.FailExitCode(true);
  EXPECT_EQ(StartProgram(processes_, L"C:\\Virelta\\Usbprep\\Usbprep.exe", 0, true), -1);
  EXPECT_EQ(RunInFolderAndWait(processes_, L"C:\\Virelta\\Usbprep\\Usbprep.exe", L"", 0),
            0xFFFFFFFFu);
  EXPECT_EQ(processes_.OpenHandleCount(), 0u);
}

// A folder with a blank: unquoted, Windows would start C:\Program.exe, which is there too.
TEST_F(ProgramLaunchTest, AProgramPathWithABlankIsQuotedSoThatNoOtherProgramStarts) {
  AddProgram(L"C:\\Program.exe", Program(66));
  AddProgram(L"C:\\Program Files\\Virelta\\Usbprep.exe", Program(5));
  AddProgram(L"C:\\Program Files\\Virelta\\Install.cmd", Program(7));

  EXPECT_EQ(StartProgram(processes_, L"C:\\Program Files\\Virelta\\Usbprep.exe", 0, true), 5);
  EXPECT_EQ(RunInFolderAndWait(processes_, L"C:\\Program Files\\Virelta\\Install.cmd", L"", 0), 7u);

  ASSERT_EQ(processes_.Starts().size(), 2u);
  EXPECT_EQ(processes_.Starts()[0].commandLine, L"\"C:\\Program Files\\Virelta\\Usbprep.exe\"");
  EXPECT_EQ(processes_.Starts()[0].program, L"C:\\Program Files\\Virelta\\Usbprep.exe");
  EXPECT_EQ(processes_.Starts()[1].commandLine, L"\"C:\\Program Files\\Virelta\\Install.cmd\" ");
  EXPECT_EQ(processes_.Starts()[1].folder, L"C:\\Program Files\\Virelta");
}

TEST_F(ProgramLaunchTest, TheDoubleStartsTheWrongProgramForAnUnquotedPathLikeWindows) {
  // What the quoting prevents: the command line as it used to be formed.
  AddProgram(L"C:\\Program.exe", Program(66));
  AddProgram(L"C:\\Program Files\\Virelta\\Usbprep.exe", Program(5));
  EXPECT_EQ(StartProgram(processes_, L"\"C:\\Program Files\\Virelta\\Usbprep.exe\" /x", 0, true),
            5);
  std::wstring line = L"C:\\Program Files\\Virelta\\Usbprep.exe";
  line.push_back(L'\0');
  os::ErrorCode error = 0;
  os::ProcessStart start;
  start.commandLine = line;
  const auto process = processes_.Create(start, error);
  ASSERT_NE(process, nullptr);
  EXPECT_EQ(processes_.Starts().back().program, L"C:\\Program.exe");
  EXPECT_EQ(processes_.Starts()[0].commandLine, L"\"C:\\Program Files\\Virelta\\Usbprep.exe\" /x");
}

TEST_F(ProgramLaunchTest, StartProgramQuotesPathsWithBlanksRunInFolderEveryPath) {
  const struct {
    const wchar_t* path;
    const wchar_t* quoted;
  } cases[] = {
      {L"C:\\Virelta\\Usbprep\\Usbprep.exe", L"C:\\Virelta\\Usbprep\\Usbprep.exe"},
      {L"C:\\Program Files\\Usbprep.exe", L"\"C:\\Program Files\\Usbprep.exe\""},
      {L"C:\\Tab\tFolder\\a.exe", L"\"C:\\Tab\tFolder\\a.exe\""},
      {L"\"C:\\Program Files\\Usbprep.exe\"", L"\"C:\\Program Files\\Usbprep.exe\""},
      {L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QuoteProgramPath(c.path), c.quoted);
  }
  // For the command interpreter a path is quoted whatever it holds.
  const struct {
    const wchar_t* path;
    const wchar_t* quoted;
  } always[] = {
      {L"C:\\Кардио&Холтер\\backup\\V010113\\Install.cmd",
       L"\"C:\\Кардио&Холтер\\backup\\V010113\\Install.cmd\""},
      {L"C:\\A^B(1)\\Install.cmd", L"\"C:\\A^B(1)\\Install.cmd\""},
      {L"C:\\Install.cmd", L"\"C:\\Install.cmd\""},
      {L"\"C:\\Program Files\\Install.cmd\"", L"\"C:\\Program Files\\Install.cmd\""},
  };
  for (const auto& c : always) {
    EXPECT_EQ(QuoteAlways(c.path), c.quoted);
  }
}

TEST_F(ProgramLaunchTest, RunInFolderAndWaitRunsInTheProgramsFolderWithABlankAfterThePath) {
  ASSERT_EQ(fs_.CreateFolder(L"C:\\Virelta\\backup"), 0u);
  ASSERT_EQ(fs_.CreateFolder(L"C:\\Virelta\\backup\\V150612"), 0u);
  AddProgram(L"C:\\Virelta\\backup\\V150612\\Install.cmd", Program(5));
  AddProgram(L"C:\\Install.cmd", Program(3));

  EXPECT_EQ(RunInFolderAndWait(processes_, L"C:\\Virelta\\backup\\V150612\\Install.cmd", L"", 0),
            5u);
  EXPECT_EQ(RunInFolderAndWait(processes_, L"C:\\Install.cmd", L"/q", 0), 3u);

  ASSERT_EQ(processes_.Starts().size(), 2u);
  const auto& script = processes_.Starts()[0];
  EXPECT_EQ(script.commandLine, L"\"C:\\Virelta\\backup\\V150612\\Install.cmd\" ");
  EXPECT_EQ(script.bufferSize, 512u);
  EXPECT_EQ(script.creationFlags, 0x30u);
  EXPECT_EQ(script.folder, L"C:\\Virelta\\backup\\V150612");
  EXPECT_EQ(script.showMode, 0u);
  const auto& root = processes_.Starts()[1];
  EXPECT_EQ(root.commandLine, L"\"C:\\Install.cmd\" /q");
  EXPECT_EQ(root.folder, L"C:\\");
  EXPECT_EQ(processes_.OpenHandleCount(), 0u);
  EXPECT_EQ(fs_.CurrentFolder(), L"C:\\Installer");  // the installer's own is not touched
}

TEST_F(ProgramLaunchTest, RunInFolderAndWaitLooksEvery100MsUntilTheProgramHasEnded) {
  const struct {
    std::uint32_t runMilliseconds;
    std::size_t waits;
  } cases[] = {{0, 1}, {100, 1}, {101, 2}, {250, 3}, {1000, 10}};
  for (const auto& c : cases) {
    FakeProcesses processes(fs_);
    os::testing::WriteBytes(fs_, L"C:\\Virelta\\Slow.exe", "MZ");
    processes.SetProgram(L"C:\\Virelta\\Slow.exe", Program(9, c.runMilliseconds));
    EXPECT_EQ(RunInFolderAndWait(processes, L"C:\\Virelta\\Slow.exe", L"", 0), 9u);
    EXPECT_EQ(processes.Waits(), std::vector<std::uint32_t>(c.waits, 100)) << c.runMilliseconds;
  }
}

TEST_F(ProgramLaunchTest, AFailedWaitEndsTheWaiting) {
  AddProgram(L"C:\\Virelta\\Slow.exe", Program(9, 1000));
  processes_.FailWaits(true);
  EXPECT_EQ(RunInFolderAndWait(processes_, L"C:\\Virelta\\Slow.exe", L"", 0), 259u);  // running
  EXPECT_EQ(processes_.Waits().size(), 1u);
  EXPECT_EQ(processes_.OpenHandleCount(), 0u);
}

TEST_F(ProgramLaunchTest, RunInFolderAndWaitRaisesWhenTheProcessCannotBeCreated) {
  const std::wstring missing = L"C:\\Virelta\\backup\\V150612\\Install.cmd";
  EXPECT_EQ(RaisedMessage([&] { RunInFolderAndWait(processes_, missing, L"", 0); }),
            L"не могу создать процесс: " + missing);
  AddProgram(L"C:\\Virelta\\Install.cmd");
  processes_.FailCreate(os::error::kAccessDenied);
  EXPECT_EQ(
      RaisedMessage([&] { RunInFolderAndWait(processes_, L"C:\\Virelta\\Install.cmd", L"", 0); }),
      L"не могу создать процесс: C:\\Virelta\\Install.cmd");
  // The system's error goes with it, for the console installer to say why.
  try {
    RunInFolderAndWait(processes_, L"C:\\Virelta\\Install.cmd", L"", 0);
    ADD_FAILURE() << "no error raised";
  } catch (const OperatorError& e) {
    EXPECT_EQ(e.CausePath(), L"C:\\Virelta\\Install.cmd");
    EXPECT_EQ(e.CauseCode(), os::error::kAccessDenied);
  }
  EXPECT_TRUE(processes_.Waits().empty());
  EXPECT_EQ(processes_.OpenHandleCount(), 0u);
}

// The command lines at the limits: one unit less than the buffer fits with its zero; the
// buffer's size and more are refused before anything is started, never cut short.
TEST_F(ProgramLaunchTest, CommandLinesAtOrAboveTheBufferLimitsAreRefused) {
  const std::wstring folder = L"C:\\Virelta\\";
  // StartProgram: "C:\Virelta\" + name + ".exe", 255 and 256 units long; with a blank in the
  // name the quotes count too.
  const std::wstring fits = folder + std::wstring(255 - folder.size() - 4, L'a') + L".exe";
  const std::wstring tooLong = folder + std::wstring(256 - folder.size() - 4, L'b') + L".exe";
  const std::wstring quotedTooLong =
      folder + L"c " + std::wstring(254 - folder.size() - 6, L'c') + L".exe";
  ASSERT_EQ(fits.size(), 255u);
  ASSERT_EQ(tooLong.size(), 256u);
  ASSERT_EQ(QuoteProgramPath(quotedTooLong).size(), 256u);
  for (const auto& path : {fits, tooLong, quotedTooLong}) {
    AddProgram(path, Program(4));
  }
  EXPECT_EQ(StartProgram(processes_, fits, 0, true), 4);
  EXPECT_EQ(StartProgram(processes_, tooLong, 0, true), -1);
  EXPECT_EQ(StartProgram(processes_, quotedTooLong, 0, true), -1);
  ASSERT_EQ(processes_.Starts().size(), 1u);
  EXPECT_EQ(processes_.Starts()[0].commandLine, fits);

  // RunInFolderAndWait: quoted path + " " + parameters, 511 and 512 units long.
  const std::wstring script = folder + L"Install.cmd";
  AddProgram(script, Program(2));
  const std::wstring parameters(511 - script.size() - 3, L'p');
  EXPECT_EQ(RunInFolderAndWait(processes_, script, parameters, 0), 2u);
  EXPECT_EQ(processes_.Starts().back().commandLine.size(), 511u);
  EXPECT_EQ(RaisedMessage([&] { RunInFolderAndWait(processes_, script, parameters + L"q", 0); }),
            L"не могу создать процесс: " + script);
  EXPECT_EQ(processes_.Starts().size(), 2u);
  EXPECT_EQ(processes_.OpenHandleCount(), 0u);
}

TEST_F(ProgramLaunchTest, TheWorkingFolderIsTheFolderPartOfThePath) {
  const struct {
    const wchar_t* path;
    const wchar_t* folder;
  } cases[] = {
      {L"C:\\Install.cmd", L"C:\\"},
      {L"C:\\Virelta\\backup\\Install.cmd", L"C:\\Virelta\\backup"},
      {L"D:\\a\\b\\c\\x.exe", L"D:\\a\\b\\c"},
      {L"\\\\server\\share\\Install.cmd", L"\\\\server\\share"},
      {L"C:Install.cmd", L"C:"},
      {L"Install.cmd", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ProgramFolder(c.path), c.folder) << c.path;
  }
}

TEST_F(ProgramLaunchTest, ABareProgramNameRunsInTheCurrentFolder) {
  AddProgram(L"C:\\Installer\\Tool.exe", Program(1));
  EXPECT_EQ(RunInFolderAndWait(processes_, L"Tool.exe", L"", 0), 1u);
  ASSERT_EQ(processes_.Starts().size(), 1u);
  EXPECT_EQ(processes_.Starts()[0].folder, std::nullopt);
  EXPECT_EQ(processes_.Starts()[0].workingFolder, L"C:\\Installer");
}

}  // namespace
}  // namespace engine
