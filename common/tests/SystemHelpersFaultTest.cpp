// The system helpers' rules on scripted doubles: what they ask of Windows and what they make of
// the answers, including the answers a test machine cannot give (a failing device context, a
// missing Windows folder, Windows outside the NT family, a refused restart).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "VR_Common_Proc.h"
#include "os/testing/FakeDisplay.h"
#include "os/testing/FakeShell.h"
#include "os/testing/FakeSystem.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"
#include "text/Utf.h"

namespace {

using os::testing::FakeDisplay;
using os::testing::FakeShell;
using os::testing::FakeSystem;
using ::testing::ElementsAre;

// --- IsSmallFonts ---

struct FontCase {
  int logPixelsX;
  int logPixelsY;
  bool small;
};

void PrintTo(const FontCase& c, std::ostream* os) {
  *os << c.logPixelsX << "x" << c.logPixelsY;
}

class IsSmallFontsTest : public ::testing::TestWithParam<FontCase> {};

TEST_P(IsSmallFontsTest, FewerThan100HorizontalPixelsPerInchAreSmall) {
  const FontCase& c = GetParam();
  FakeDisplay display;
  display.SetDeviceCaps(os::caps::kLogPixelsX, c.logPixelsX);
  display.SetDeviceCaps(os::caps::kLogPixelsY, c.logPixelsY);
  EXPECT_EQ(vr::IsSmallFonts(display), c.small);
  EXPECT_EQ(display.DeviceCapsQueries(), 1);
}

INSTANTIATE_TEST_SUITE_P(, IsSmallFontsTest,
                         ::testing::Values(FontCase{96, 96, true}, FontCase{99, 99, true},
                                           FontCase{100, 100, false}, FontCase{120, 120, false},
                                           FontCase{144, 144, false}, FontCase{72, 72, true},
                                           // only the horizontal resolution counts
                                           FontCase{96, 120, true}, FontCase{120, 96, false}));

TEST(IsSmallFonts, NoDeviceContextReadsAsZeroAndSoSmall) {
  FakeDisplay display;
  display.SetLogPixels(120);
  display.FailDeviceContext();
  EXPECT_EQ(display.ScreenDeviceCaps(os::caps::kLogPixelsX), 0);
  EXPECT_TRUE(vr::IsSmallFonts(display));
}

// --- CopyFolderByShell: the request it makes ---

struct ShellCase {
  const char* name;
  std::wstring source;
  std::wstring dest;
  std::wstring from;  // as the shell is asked
  std::wstring to;
};

void PrintTo(const ShellCase& c, std::ostream* os) {
  *os << c.name;
}

class CopyFolderRequestTest : public ::testing::TestWithParam<ShellCase> {};

TEST_P(CopyFolderRequestTest, OneTrailingBackslashIsDroppedAndOnlyFilesOnlyIsSet) {
  const ShellCase& c = GetParam();
  os::testing::MemoryFileSystem fs;
  FakeShell shell(fs);
  shell.ScriptResult(0);
  EXPECT_TRUE(vr::CopyFolderByShell(shell, c.source, c.dest));
  ASSERT_EQ(shell.Calls().size(), 1u);
  const os::ShellFileOperation& call = shell.Calls()[0];
  EXPECT_EQ(call.function, 2u);
  EXPECT_EQ(call.flags, 0x80u) << "no flag may keep the shell from asking or showing progress";
  EXPECT_EQ(text::ToUtf8(call.from), text::ToUtf8(c.from));
  EXPECT_EQ(text::ToUtf8(call.to), text::ToUtf8(c.to));
}

INSTANTIATE_TEST_SUITE_P(
    , CopyFolderRequestTest,
    ::testing::Values(ShellCase{"SourceWithBackslash", L"D:\\Kit\\Usbprep\\",
                                L"C:\\Virelta\\Usbprep", L"D:\\Kit\\Usbprep",
                                L"C:\\Virelta\\Usbprep"},
                      ShellCase{"DestWithBackslash", L"D:\\Kit\\Usbprep", L"C:\\Virelta\\Usbprep\\",
                                L"D:\\Kit\\Usbprep", L"C:\\Virelta\\Usbprep"},
                      // only one is dropped: doubled separators are never normalised
                      ShellCase{"DoubledBackslashes", L"D:\\Kit\\Usbprep\\\\", L"C:\\Virelta\\\\",
                                L"D:\\Kit\\Usbprep\\", L"C:\\Virelta\\"},
                      ShellCase{"Empty", L"", L"\\", L"", L""}),
    [](const auto& test) { return std::string(test.param.name); });

// Whatever the shell reports besides 0 is a failure: a cancelled copy, an unknown error.
TEST(CopyFolderByShell, AnyNonZeroShellResultIsFalse) {
  os::testing::MemoryFileSystem fs;
  FakeShell shell(fs);
  for (const int code : {1223, 0x402, 0x7C, 2, -1}) {
    shell.ScriptResult(code);
    EXPECT_FALSE(vr::CopyFolderByShell(shell, L"C:\\a\\", L"C:\\b")) << code;
  }
  shell.ScriptResult(0);
  EXPECT_TRUE(vr::CopyFolderByShell(shell, L"C:\\a\\", L"C:\\b"));
}

// --- The shell double's own rules ---

TEST(FakeShell, FailsWhenAFileCannotBeCopiedAndModelsOnlyTheCopy) {
  os::testing::MemoryFileSystem fs;
  ASSERT_EQ(fs.CreateFolder(L"C:\\src"), 0u);
  os::testing::WriteBytes(fs, L"C:\\src\\a.bin", "abc");
  fs.FailSystemCopy(L"C:\\src\\a.bin", os::error::kAccessDenied);
  FakeShell shell(fs);
  EXPECT_EQ(shell.FileOperation({2, L"C:\\src", L"C:\\dst", 0x80}),
            static_cast<int>(os::error::kAccessDenied));

  EXPECT_EQ(shell.FileOperation({2, L"C:\\src", L"C:\\src\\inner", 0x80}), 0x76)
      << "a folder cannot be copied into itself";
  EXPECT_FALSE(fs.Exists(L"C:\\src\\inner"));

  EXPECT_THROW(shell.FileOperation({3, L"C:\\src", L"C:\\x", 0}), std::invalid_argument);
  EXPECT_THROW(shell.FileOperation({2, L"C:\\src\\*.*", L"C:\\x", 0x80}), std::invalid_argument);
  EXPECT_EQ(shell.Calls().size(), 4u);
}

TEST(FakeShell, CopiesASingleFileAndReplacesAnExistingOne) {
  os::testing::MemoryFileSystem fs;
  os::testing::WriteBytes(fs, L"C:\\a.txt", "new");
  ASSERT_EQ(fs.CreateFolder(L"C:\\d"), 0u);
  os::testing::WriteBytes(fs, L"C:\\d\\a.txt", "old");
  FakeShell shell(fs);
  EXPECT_EQ(shell.FileOperation({2, L"C:\\a.txt", L"C:\\d", 0x80}), 0);
  EXPECT_EQ(fs.Content(L"C:\\d\\a.txt"), "new");
  EXPECT_EQ(shell.FileOperation({2, L"C:\\a.txt", L"C:\\e\\b.txt", 0x80}), 0);
  EXPECT_EQ(fs.Content(L"C:\\e\\b.txt"), "new");
}

// --- LoadStringFromResource ---

constexpr std::uintptr_t kOther = 0x10000000;

struct StringCase {
  const char* name;
  std::wstring entry;
  std::wstring expected;
};

void PrintTo(const StringCase& c, std::ostream* os) {
  *os << c.name;
}

std::wstring Digits(std::size_t count) {
  std::wstring text;
  for (std::size_t i = 0; i < count; ++i) {
    text += static_cast<wchar_t>(L'0' + i % 10);
  }
  return text;
}

class LoadStringTest : public ::testing::TestWithParam<StringCase> {};

TEST_P(LoadStringTest, AtMost254CharactersUpToTheFirstNull) {
  const StringCase& c = GetParam();
  FakeSystem system;
  system.SetString(FakeSystem::kModuleHandle, 4, c.entry);
  system.SetString(kOther, 4, L"another module's entry");
  EXPECT_EQ(text::ToUtf8(vr::LoadStringFromResource(system, FakeSystem::kModuleHandle, 4)),
            text::ToUtf8(c.expected));
  EXPECT_THAT(system.Calls(), ElementsAre(L"LoadResourceString 4194304 4 255"));
}

INSTANTIATE_TEST_SUITE_P(
    , LoadStringTest,
    ::testing::Values(StringCase{"Entry300", Digits(300), Digits(254)},
                      StringCase{"Entry255", Digits(255), Digits(254)},
                      StringCase{"Entry254", Digits(254), Digits(254)},
                      StringCase{"Short", L"Virelta", L"Virelta"},
                      StringCase{"Russian", L"Комплекс суточного мониторирования",
                                 L"Комплекс суточного мониторирования"},
                      StringCase{"EmbeddedNull", std::wstring(L"ab\0cd", 5), L"ab"},
                      StringCase{"Empty", L"", L""}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(LoadStringFromResource, MissingEntryOrOtherModuleGivesEmpty) {
  FakeSystem system;
  system.SetString(kOther, 7, L"elsewhere");
  EXPECT_EQ(vr::LoadStringFromResource(system, FakeSystem::kModuleHandle, 7), L"");
  EXPECT_EQ(vr::LoadStringFromResource(system, kOther, 7), L"elsewhere");
  EXPECT_EQ(vr::LoadStringFromResource(system, kOther, 8), L"");
}

// --- GetWindowsFolder ---

struct FolderCase {
  const char* name;
  std::optional<std::wstring> windowsDirectory;
  std::wstring expected;
};

void PrintTo(const FolderCase& c, std::ostream* os) {
  *os << c.name;
}

class GetWindowsFolderTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(GetWindowsFolderTest, OneTrailingBackslashOrEmpty) {
  FakeSystem system;
  system.SetWindowsDirectory(GetParam().windowsDirectory);
  EXPECT_EQ(text::ToUtf8(vr::GetWindowsFolder(system)), text::ToUtf8(GetParam().expected));
  EXPECT_THAT(system.Calls(), ElementsAre(L"WindowsDirectory"));
}

INSTANTIATE_TEST_SUITE_P(
    , GetWindowsFolderTest,
    ::testing::Values(FolderCase{"WithoutBackslash", L"C:\\Windows", L"C:\\Windows\\"},
                      FolderCase{"WithBackslash", L"C:\\WINNT\\", L"C:\\WINNT\\"},
                      FolderCase{"DriveRoot", L"D:\\", L"D:\\"},
                      FolderCase{"Network", L"\\\\srv\\win", L"\\\\srv\\win\\"},
                      FolderCase{"CallFails", std::nullopt, L""},
                      FolderCase{"EmptyAnswer", L"", L""}),
    [](const auto& test) { return std::string(test.param.name); });

// --- ShutdownWindows: never more than the double's record of the request ---

struct ShutdownCase {
  const char* name;
  bool nt;
  bool privilege;
  bool exitAccepted;
  std::uint32_t flags;
  std::vector<std::wstring> calls;
  bool result;
};

void PrintTo(const ShutdownCase& c, std::ostream* os) {
  *os << c.name;
}

class ShutdownWindowsTest : public ::testing::TestWithParam<ShutdownCase> {};

TEST_P(ShutdownWindowsTest, PrivilegeOnNtThenTheExitRequest) {
  const ShutdownCase& c = GetParam();
  FakeSystem system;
  system.SetNtPlatform(c.nt);
  system.SetPrivilegeResult(c.privilege);
  system.SetExitResult(c.exitAccepted);
  EXPECT_EQ(vr::ShutdownWindows(system, c.flags), c.result);
  EXPECT_EQ(system.Calls(), c.calls);
}

const std::vector<std::wstring> kNtRestart = {
    L"IsNtPlatform", L"EnablePrivilege SeShutdownPrivilege", L"RequestExitWindows 6 0"};

INSTANTIATE_TEST_SUITE_P(
    , ShutdownWindowsTest,
    ::testing::Values(ShutdownCase{"NtRestart", true, true, true, 6, kNtRestart, true},
                      ShutdownCase{"PrivilegeRefusedStillAsks", true, false, true, 6, kNtRestart,
                                   true},
                      ShutdownCase{"ExitRefused", true, false, false, 6, kNtRestart, false},
                      ShutdownCase{"NotNtAsksWithoutPrivilege",
                                   false,
                                   true,
                                   true,
                                   6,
                                   {L"IsNtPlatform", L"RequestExitWindows 6 0"},
                                   true},
                      ShutdownCase{"NotNtRefused",
                                   false,
                                   true,
                                   false,
                                   6,
                                   {L"IsNtPlatform", L"RequestExitWindows 6 0"},
                                   false},
                      ShutdownCase{"FlagsPassedAsGiven",
                                   true,
                                   true,
                                   true,
                                   0x14,
                                   {L"IsNtPlatform", L"EnablePrivilege SeShutdownPrivilege",
                                    L"RequestExitWindows 20 0"},
                                   true}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
