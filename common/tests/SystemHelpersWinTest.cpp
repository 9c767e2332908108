// The system helpers and the screen manager on the real system: the screen's resolution, the
// Windows folder and this test program's own string table (TestStrings.rc).
//
// The resolution the screen must have comes from VIRELTA_TEST_LOGPIXELS: unset, the session is
// the normal one at 96 logical pixels per inch (small fonts); the large-fonts session at 120
// sets it (cmake/Testing.cmake, virelta_test_at_large_fonts).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ScreenMonitorManager.h"
#include "VR_Common_Proc.h"
#include "os/win32/SystemLibrary.h"
#include "os/win32/Win32Display.h"
#include "os/win32/Win32System.h"
#include "text/Utf.h"

namespace {

int ExpectedLogPixels() {
  const char* value = std::getenv("VIRELTA_TEST_LOGPIXELS");
  return value == nullptr || *value == '\0' ? 96 : std::atoi(value);
}

TEST(SmallFonts, FollowTheScreensLogicalResolution) {
  const int expected = ExpectedLogPixels();
  ASSERT_TRUE(expected == 96 || expected == 120) << "no session for " << expected;
  os::win32::Win32Display display;
  EXPECT_EQ(display.ScreenDeviceCaps(os::caps::kLogPixelsX), expected);
  EXPECT_EQ(display.ScreenDeviceCaps(os::caps::kLogPixelsY), expected);
  // 96 is the system's small fonts, 120 its large fonts.
  EXPECT_EQ(vr::IsSmallFonts(display), expected == 96);
}

// The wizard declares itself aware of each monitor's resolution; this test program does not, so
// the thread takes that awareness for the test (SetThreadDpiAwarenessContext, Windows 10 1607
// and later), and gives it back afterwards.
class MonitorAwareThread {
 public:
  MonitorAwareThread() {
    using SetFn = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
    set_ = os::win32::ProcAddress<SetFn>(::GetModuleHandleW(L"user32.dll"),
                                         "SetThreadDpiAwarenessContext");
    if (set_ != nullptr) {
      previous_ = set_(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE);
    }
  }
  ~MonitorAwareThread() {
    if (previous_ != nullptr) {
      set_(previous_);
    }
  }
  MonitorAwareThread(const MonitorAwareThread&) = delete;
  MonitorAwareThread& operator=(const MonitorAwareThread&) = delete;
  bool Active() const { return previous_ != nullptr; }

 private:
  DPI_AWARENESS_CONTEXT(WINAPI* set_)(DPI_AWARENESS_CONTEXT) = nullptr;
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

TEST(SmallFonts, ScreenManagerTakesTheSameResolution) {
  const int expected = ExpectedLogPixels();
  const MonitorAwareThread aware;
  ASSERT_TRUE(aware.Active());
  os::win32::Win32Display display;
  ASSERT_TRUE(display.HasMonitorDpi()) << "GetDpiForMonitor not found in shcore.dll";
  vr::InitializeScreen(display);
  struct Finalize {
    ~Finalize() { vr::FinalizeScreen(); }
  } finalize;
  EXPECT_EQ(vr::myScreen->PixelsPerInch, expected);
  EXPECT_EQ(vr::myScreen->ScaleKoef, 0.0);
  vr::SelectMonitor(0);
  EXPECT_EQ(vr::myScreen->PixelsPerInch, expected);
  // 1.0 at 96, 1.25 at 120.
  EXPECT_DOUBLE_EQ(vr::myScreen->ScaleKoef, expected / 96.0);
}

TEST(GetWindowsFolder, IsTheWindowsFolderWithOneTrailingBackslash) {
  os::win32::Win32System system;
  const std::wstring folder = vr::GetWindowsFolder(system);
  wchar_t buffer[MAX_PATH];
  const UINT length = ::GetWindowsDirectoryW(buffer, MAX_PATH);
  ASSERT_GT(length, 0u);
  ASSERT_LT(length, static_cast<UINT>(MAX_PATH));
  EXPECT_EQ(folder, std::wstring(buffer, length) + L"\\");
  // Wine installs Windows in C:\windows.
  EXPECT_EQ(::CompareStringOrdinal(folder.c_str(), -1, L"C:\\Windows\\", -1, TRUE), CSTR_EQUAL)
      << text::ToUtf8(folder);
  const DWORD attributes = ::GetFileAttributesW((folder + L"system32").c_str());
  EXPECT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

// The entries of TestStrings.rc.
constexpr unsigned kShortText = 100;
constexpr unsigned kCyrillicText = 101;
constexpr unsigned kLongText = 102;
constexpr unsigned kText254 = 103;
constexpr unsigned kText255 = 104;
constexpr unsigned kMissingText = 999;

// A text of `length` characters cycling through the digits, as the resource file spells them.
std::wstring Digits(std::size_t length) {
  std::wstring text;
  for (std::size_t i = 0; i < length; ++i) {
    text.push_back(static_cast<wchar_t>(L'0' + i % 10));
  }
  return text;
}

TEST(LoadStringFromResource, ReadsAtMost254CharactersOfTheEntry) {
  os::win32::Win32System system;
  const std::uintptr_t self = system.ModuleHandle();
  struct Case {
    unsigned id;
    std::wstring expected;
  };
  const Case cases[] = {
      {kShortText, L"Virelta"},
      {kCyrillicText, L"Комплекс суточного мониторирования электрокардиограмм"},
      {kLongText, Digits(254)},  // an entry of 300 characters
      {kText254, Digits(254)},
      {kText255, Digits(254)},
      {kMissingText, L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(vr::LoadStringFromResource(system, self, c.id), c.expected) << c.id;
  }
}

}  // namespace
