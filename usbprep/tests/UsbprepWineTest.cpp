// Usbprep itself under Wine: the built program is copied into a scratch folder beside stand-in
// DPInst programs and a "Package" folder, started from another current folder with its standard
// output captured, and judged by what the stand-ins logged, the registry, its output and its exit
// code. Wine's own REG.EXE writes the compatibility layer. Each build shows one branch: the x86_64
// program is a 64-bit process, no WOW64 process, so it takes the 32-bit Windows branch; the i686
// program, the one that ships, runs under WOW64 in the 64-bit prefix and takes the branch of
// 64-bit Windows, as on most clinics' computers.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "ShellRun.h"
#include "os/testing/FileHelpers.h"
#include "os/win32/Handle.h"
#include "text/Utf.h"

namespace usbprep {
namespace {

using os::win32::FileHandle;
using os::win32::FindHandle;
using os::win32::KernelHandle;

constexpr wchar_t kLayersKey[] =
    L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
constexpr char kExpectedOutput[] =
    "removing old drivers ...\r\ninstalling new drivers package ...\r\nDone.\r\n";
constexpr DWORD kRunLimitMs = 120000;

// The branch this build's Usbprep takes under Wine: its DPInst variant, and whether the
// compatibility layer for DPInst32.exe is registered first.
struct Branch {
  const wchar_t* variant;
  bool setsLayer;
};
#ifdef _WIN64
constexpr Branch kBranch{L"DPInst32.exe", true};
#else
constexpr Branch kBranch{L"DPInst64.exe", false};
#endif

const std::wstring& UsbprepBuilt() {
  static const std::wstring path = os::testing::WinePathOfBuildFile(VIRELTA_USBPREP_EXE);
  return path;
}
const std::wstring& StandInBuilt() {
  static const std::wstring path = os::testing::WinePathOfBuildFile(VIRELTA_DPINST_STANDIN_EXE);
  return path;
}

bool SameName(const std::wstring& a, const std::wstring& b) {
  return ::CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  {
    const FindHandle find(::FindFirstFileW((folder + L"*").c_str(), &entry));
    if (find) {
      do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
          continue;
        }
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveTree(folder + name + L"\\");
        } else {
          ::DeleteFileW((folder + name).c_str());
        }
      } while (::FindNextFileW(find.Get(), &entry));
    }
  }
  ::RemoveDirectoryW(folder.c_str());
}

// A folder under the temporary folder (long names, so that paths compare as Windows reports
// them), removed with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder() {
    wchar_t temp[MAX_PATH];
    const DWORD length = ::GetTempPathW(MAX_PATH, temp);
    wchar_t longTemp[MAX_PATH];
    const DWORD longLength = ::GetLongPathNameW(temp, longTemp, MAX_PATH);
    path_ = (longLength > 0 && longLength < MAX_PATH) ? std::wstring(longTemp, longLength)
                                                      : std::wstring(temp, length);
    path_ += L"virelta-usbprep-" + std::to_wstring(::GetCurrentProcessId()) + L"\\";
    RemoveTree(path_);
    created_ = ::CreateDirectoryW(path_.c_str(), nullptr) != FALSE;
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() { RemoveTree(path_); }

  bool Created() const { return created_; }
  // Ends in "\".
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
  bool created_ = false;
};

// The registry's two views on 64-bit Windows; a 32-bit process sees the 32-bit one by default.
constexpr REGSAM kViews[] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};

struct RegistryKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type key) { ::RegCloseKey(key); }
};
using RegistryKey = os::win32::UniqueHandle<RegistryKeyTraits>;

// The layers key in one registry view (0: this process's own); invalid when it cannot be opened.
RegistryKey OpenLayersKey(REGSAM access, REGSAM view) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kLayersKey, 0, access | view, &key) != ERROR_SUCCESS) {
    return RegistryKey();
  }
  return RegistryKey(key);
}

// The compatibility layer registered for a program's full path, if any, in one registry view.
std::optional<std::wstring> LayerOf(const std::wstring& program, REGSAM view = 0) {
  const RegistryKey key = OpenLayersKey(KEY_QUERY_VALUE, view);
  wchar_t data[64] = {};
  DWORD size = sizeof(data) - sizeof(wchar_t);
  DWORD type = 0;
  if (!key || ::RegQueryValueExW(key.Get(), program.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type != REG_SZ) {
    return L"(type " + std::to_wstring(type) + L")";
  }
  return std::wstring(data);
}

bool SetLayerOf(const std::wstring& program, const std::wstring& layer) {
  return ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kLayersKey, program.c_str(), REG_SZ, layer.c_str(),
                           static_cast<DWORD>((layer.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

void RemoveLayerOf(const std::wstring& program) {
  for (const REGSAM view : kViews) {
    if (const RegistryKey key = OpenLayersKey(KEY_SET_VALUE, view)) {
      ::RegDeleteValueW(key.Get(), program.c_str());
    }
  }
}

// One run of a stand-in, as it logged it.
struct StandInRun {
  std::wstring name;
  std::wstring commandLine;
  std::wstring currentFolder;
  std::wstring layer;
};

std::vector<StandInRun> ReadStandInLog(const std::wstring& folder) {
  std::vector<StandInRun> runs;
  const FileHandle file(::CreateFileW((folder + L"dpinst_standin.log").c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    return runs;
  }
  std::wstring content;
  wchar_t buffer[1024];
  DWORD read = 0;
  while (::ReadFile(file.Get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    content.append(buffer, read / sizeof(wchar_t));
  }
  std::size_t start = 0;
  for (std::size_t end; (end = content.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
    std::vector<std::wstring> fields;
    std::size_t fieldStart = start;
    for (std::size_t tab; (tab = content.find(L'\t', fieldStart)) < end; fieldStart = tab + 1) {
      fields.push_back(content.substr(fieldStart, tab - fieldStart));
    }
    fields.push_back(content.substr(fieldStart, end - fieldStart));
    fields.resize(4);
    runs.push_back({fields[0], fields[1], fields[2], fields[3]});
  }
  return runs;
}

// The program part and the parameter part of a command line; Windows and Wine differ in whether
// the shell hands over the file as given or its full path, always in quotes.
struct CommandLine {
  std::wstring program;
  std::wstring parameters;
};
CommandLine SplitCommandLine(const std::wstring& line) {
  std::size_t programEnd = 0;
  CommandLine result;
  if (!line.empty() && line.front() == L'"') {
    programEnd = line.find(L'"', 1);
    programEnd = programEnd == std::wstring::npos ? line.size() : programEnd;
    result.program = line.substr(1, programEnd - 1);
    programEnd = programEnd < line.size() ? programEnd + 1 : programEnd;
  } else {
    programEnd = line.find(L' ');
    programEnd = programEnd == std::wstring::npos ? line.size() : programEnd;
    result.program = line.substr(0, programEnd);
  }
  result.parameters = line.substr(std::min(line.size(), programEnd + 1));
  return result;
}

std::wstring FileNameOf(const std::wstring& path) {
  return path.substr(path.find_last_of(L"\\/:") + 1);
}

struct ProgramResult {
  bool started = false;
  bool ended = false;
  DWORD exitCode = 0;
  std::string output;
};

// Starts a program as the installer does (hidden console, no arguments), from currentFolder,
// with its standard output going into a pipe, and waits for its end.
ProgramResult RunCaptured(const std::wstring& program, const std::wstring& currentFolder) {
  ProgramResult result;
  SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
    return result;
  }
  const FileHandle pipeRead(readEnd);
  FileHandle pipeWrite(writeEnd);
  ::SetHandleInformation(pipeRead.Get(), HANDLE_FLAG_INHERIT, 0);
  const FileHandle nul(::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                     OPEN_EXISTING, 0, nullptr));

  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul.Get();
  startup.hStdOutput = pipeWrite.Get();
  startup.hStdError = nul.Get();
  std::wstring commandLine = L"\"" + program + L"\"";
  PROCESS_INFORMATION info{};
  result.started =
      ::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       CREATE_NO_WINDOW, nullptr, currentFolder.c_str(), &startup, &info) != FALSE;
  if (!result.started) {
    return result;
  }
  const KernelHandle process(info.hProcess);
  const KernelHandle thread(info.hThread);
  pipeWrite.Reset();

  result.ended = ::WaitForSingleObject(process.Get(), kRunLimitMs) == WAIT_OBJECT_0;
  if (!result.ended) {
    ::TerminateProcess(process.Get(), 1);
    ::WaitForSingleObject(process.Get(), kRunLimitMs);
  }
  ::GetExitCodeProcess(process.Get(), &result.exitCode);
  // Everything written is in the pipe once the program has ended; taking only what is there
  // keeps the test from hanging on a descendant that might hold the write end.
  DWORD available = 0;
  while (::PeekNamedPipe(pipeRead.Get(), nullptr, 0, nullptr, &available, nullptr) &&
         available > 0) {
    std::string chunk(available, '\0');
    DWORD read = 0;
    if (!::ReadFile(pipeRead.Get(), chunk.data(), available, &read, nullptr) || read == 0) {
      break;
    }
    result.output.append(chunk.data(), read);
  }
  return result;
}

struct FolderCase {
  const char* name;
  const wchar_t* folder;
};
void PrintTo(const FolderCase& folderCase, std::ostream* out) {
  *out << folderCase.name;
}

// Usbprep's folder inside the scratch folder, with the program, the three DPInst stand-ins and a
// "Package" folder; and another folder to start it from, holding a decoy of the branch's variant
// that must never run. On 64-bit Windows a decoy REG.EXE beside Usbprep logs any registry step.
class UsbprepUnderWine : public testing::TestWithParam<FolderCase> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Created()) << testing::PrintToString(scratch_.Path());
    folder_ = scratch_.Path() + GetParam().folder + L"\\";
    startFolder_ = scratch_.Path() + L"started from here\\";
    ASSERT_TRUE(::CreateDirectoryW(folder_.c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW((folder_ + L"Package").c_str(), nullptr));
    ASSERT_TRUE(::CreateDirectoryW(startFolder_.c_str(), nullptr));
    ASSERT_TRUE(::CopyFileW(UsbprepBuilt().c_str(), (folder_ + L"Usbprep.exe").c_str(), TRUE))
        << testing::PrintToString(UsbprepBuilt()) << " error " << ::GetLastError();
    for (const wchar_t* variant : {L"DPInst32.exe", L"DPInst64.exe", L"DPInstIA64.exe"}) {
      ASSERT_TRUE(::CopyFileW(StandInBuilt().c_str(), (folder_ + variant).c_str(), TRUE))
          << testing::PrintToString(StandInBuilt()) << " error " << ::GetLastError();
    }
    ASSERT_TRUE(
        ::CopyFileW(StandInBuilt().c_str(), (startFolder_ + kBranch.variant).c_str(), TRUE));
    if (!kBranch.setsLayer) {
      ASSERT_TRUE(::CopyFileW(StandInBuilt().c_str(), (folder_ + L"REG.EXE").c_str(), TRUE));
    }
    for (const wchar_t* inf : {L"ftdibus.inf", L"ftdiport.inf"}) {
      const FileHandle file(::CreateFileW((folder_ + L"Package\\" + inf).c_str(), GENERIC_WRITE, 0,
                                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(file);
    }
    RemoveLayerOf(Dpinst32());
  }
  void TearDown() override { RemoveLayerOf(Dpinst32()); }

  std::wstring Dpinst32() const { return folder_ + L"DPInst32.exe"; }

  ProgramResult RunUsbprep() const { return RunCaptured(folder_ + L"Usbprep.exe", startFolder_); }

  // After a run: on 32-bit Windows the layer of the folder's DPInst32.exe is "WIN2000"; on 64-bit
  // Windows no layer is registered in either registry view.
  void ExpectLayerAfterRun() const {
    if (kBranch.setsLayer) {
      EXPECT_EQ(LayerOf(Dpinst32()), std::optional<std::wstring>(L"WIN2000"));
      return;
    }
    for (const REGSAM view : kViews) {
      EXPECT_EQ(LayerOf(Dpinst32(), view), std::nullopt) << "registry view " << view;
    }
  }

  ScratchFolder scratch_;
  std::wstring folder_;
  std::wstring startFolder_;
};

TEST_P(UsbprepUnderWine, RunsItsVariantThreeTimesInItsOwnFolder) {
  if (kBranch.setsLayer) {
    // A value left by an earlier installation is overwritten without a prompt.
    ASSERT_TRUE(SetLayerOf(Dpinst32(), L"WINXPSP3"));
  }
  const ProgramResult result = RunUsbprep();
  ASSERT_TRUE(result.started) << ::GetLastError();
  ASSERT_TRUE(result.ended);
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(result.output, kExpectedOutput);

  const std::wstring expectedParameters[] = {L"/U Package\\ftdibus.inf /D /S",
                                             L"/U Package\\ftdiport.inf /D /S",
                                             L"/PATH Package /F /LM /SE"};
  // On 32-bit Windows REG.EXE had ended before the first DPInst run began.
  const std::wstring expectedLayer = kBranch.setsLayer ? L"WIN2000" : L"";
  const std::vector<StandInRun> runs = ReadStandInLog(folder_);
  ASSERT_EQ(runs.size(), std::size(expectedParameters));
  for (std::size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE("run " + std::to_string(i + 1) + ": " + text::ToUtf8(runs[i].commandLine));
    EXPECT_EQ(runs[i].name, kBranch.variant);
    const CommandLine commandLine = SplitCommandLine(runs[i].commandLine);
    EXPECT_TRUE(SameName(FileNameOf(commandLine.program), kBranch.variant));
    EXPECT_EQ(commandLine.parameters, expectedParameters[i]);
    EXPECT_TRUE(SameName(os::testing::WithoutTrailingBackslash(runs[i].currentFolder),
                         os::testing::WithoutTrailingBackslash(folder_)))
        << text::ToUtf8(runs[i].currentFolder);
    EXPECT_EQ(runs[i].layer, expectedLayer);
  }
  ExpectLayerAfterRun();
  EXPECT_TRUE(ReadStandInLog(startFolder_).empty());
}

TEST_P(UsbprepUnderWine, MissingVariantChangesNeitherOutputNorExitCode) {
  ASSERT_TRUE(::DeleteFileW((folder_ + kBranch.variant).c_str()));
  const ProgramResult result = RunUsbprep();
  ASSERT_TRUE(result.started) << ::GetLastError();
  ASSERT_TRUE(result.ended);
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(result.output, kExpectedOutput);
  // Neither another variant nor the decoy in the starting folder stands in for the missing one.
  EXPECT_TRUE(ReadStandInLog(folder_).empty());
  EXPECT_TRUE(ReadStandInLog(startFolder_).empty());
  // The registry step does not depend on the file being there.
  ExpectLayerAfterRun();
}

INSTANTIATE_TEST_SUITE_P(
    Folders, UsbprepUnderWine,
    testing::Values(FolderCase{"WithBlank", L"Usb prep"},
                    FolderCase{"WithNonAnsiLetters", L"Вирельта Ωμέγα usbprep"}),
    [](const testing::TestParamInfo<FolderCase>& test) { return std::string(test.param.name); });

// ShellExecAndWait on its own, with the stand-in under a neutral name.
class ShellExecAndWaitTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(scratch_.Created());
    ASSERT_TRUE(::CopyFileW(StandInBuilt().c_str(), Program().c_str(), TRUE));
  }
  std::wstring Program() const { return scratch_.Path() + L"stand in.exe"; }

  ScratchFolder scratch_;
};

TEST_F(ShellExecAndWaitTest, WaitsForTheEndAndDrainsTheThreadQueue) {
  MSG message;
  ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // gives this thread its queue
  ASSERT_TRUE(::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0));
  EXPECT_TRUE(ShellExecAndWait(Program().c_str(), L"/X \"a b\"", nullptr, SW_SHOW));
  // The stand-in writes its line just before it ends.
  const std::vector<StandInRun> runs = ReadStandInLog(scratch_.Path());
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(SplitCommandLine(runs[0].commandLine).parameters, L"/X \"a b\"");
  EXPECT_FALSE(::PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_REMOVE));
}

TEST_F(ShellExecAndWaitTest, IsFalseWhenTheProgramCannotStart) {
  EXPECT_FALSE(
      ShellExecAndWait((scratch_.Path() + L"DPInst32.exe").c_str(), L"/U", nullptr, SW_SHOW));
  EXPECT_FALSE(ShellExecAndWait(L"", nullptr, nullptr, SW_SHOW));
}

// The x86_64 test program is a 64-bit process, no WOW64 one; the i686 one is a 32-bit process on
// 64-bit Windows. Neither runs on an Itanium.
TEST(ArchitectureQueries, AnswerForThisProcessOnX64) {
  EXPECT_EQ(IsRunningUnderWow64(), sizeof(void*) == 4);
  EXPECT_FALSE(IsNativeIA64());
}

TEST(OwnModuleFileName, IsTheFullPathOfThisProgram) {
  const std::wstring name = OwnModuleFileName();
  ASSERT_GT(name.size(), 3u);
  EXPECT_EQ(name[1], L':');
  EXPECT_TRUE(SameName(FileNameOf(name), L"usbprep_win_tests.exe"));
  EXPECT_NE(::GetFileAttributesW(name.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace usbprep
