// Fonts on the real system: the title the system's font query gives for a real TrueType file,
// and one font installed into the Windows fonts folder with its value under HKEY_LOCAL_MACHINE.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "Error.h"
#include "Raised.h"
#include "RecordingProgress.h"
#include "engine/Fonts.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/SystemFontTitle.h"
#include "os/testing/TestEnvironment.h"
#include "os/win32/Win32Platform.h"

namespace engine {
namespace {

// A TrueType file of the machine the tests run on (Debian's fonts-dejavu-core), through Wine's
// drive Z:. On Windows the test is skipped when it is not there.
constexpr wchar_t kRealFont[] = L"Z:\\usr\\share\\fonts\\truetype\\dejavu\\DejaVuSans.ttf";
// The installing test works on its own file name and cleans up only what it installed: the tests
// of this file run as separate processes, side by side, on the same Windows fonts folder.
const std::wstring kTestFontFile = L"VRTEST" + std::to_wstring(::GetCurrentProcessId()) + L".TTF";

std::optional<std::wstring> FontsValue(const std::wstring& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(kFontsKey).c_str(), 0, KEY_READ, &key) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  wchar_t value[MAX_PATH] = {};
  DWORD size = sizeof(value) - sizeof(wchar_t);
  const LONG read = ::RegQueryValueExW(key, name.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(value), &size);
  ::RegCloseKey(key);
  return read == ERROR_SUCCESS ? std::optional<std::wstring>(value) : std::nullopt;
}

class FontsWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (::GetFileAttributesW(kRealFont) == INVALID_FILE_ATTRIBUTES) {
      GTEST_SKIP() << "no DejaVu Sans on this machine";
    }
    env_ = os::testing::MakeTestEnvironment();
    medium_ = env_->NewScratchFolder();
    ASSERT_TRUE(::CopyFileW(kRealFont, (medium_ + kTestFontFile).c_str(), FALSE));
    wchar_t windows[MAX_PATH];
    ASSERT_NE(::GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    systemFonts_ = std::wstring(windows) + L"\\fonts\\";
    installed_ = systemFonts_ + kTestFontFile;
    title_ = os::testing::SystemFontTitle(medium_ + kTestFontFile);
    // Without the system's title (Wine), the one the file's name table gives.
    installedTitle_ = title_.empty() ? L"DejaVu Sans" : title_;
    valueName_ = installedTitle_ + L" (TrueType)";
  }
  void TearDown() override {
    if (installs_) {
      ::DeleteFileW(installed_.c_str());
      HKEY key = nullptr;
      if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, std::wstring(kFontsKey).c_str(), 0, KEY_SET_VALUE,
                          &key) == ERROR_SUCCESS) {
        ::RegDeleteValueW(key, valueName_.c_str());
        ::RegCloseKey(key);
      }
    }
  }

  os::win32::Win32Platform platform_;
  std::unique_ptr<os::testing::TestEnvironment> env_;
  testing::RecordingProgress progress_;
  std::wstring medium_;
  std::wstring systemFonts_;
  std::wstring installed_;
  bool installs_ = false;        // the test installs the font: its file and value are removed after
  std::wstring title_;           // the system's
  std::wstring installedTitle_;  // the one the font is registered and reported under
  std::wstring valueName_;
};

TEST_F(FontsWinTest, TheTitleIsWhatTheSystemsQueryGivesAndTheFontIsUnloadedAfterwards) {
  const std::wstring path = medium_ + kTestFontFile;
  EXPECT_EQ(GetFontTitle(platform_.Get().fonts, path), title_);
  if (!os::testing::RunningUnderWine()) {
    EXPECT_EQ(title_, L"DejaVu Sans");  // Wine's query answers nothing at all
  }
  // Nothing of it stays loaded: removing it once more finds nothing to remove.
  EXPECT_FALSE(::RemoveFontResourceW(path.c_str()));
  // A file that is no font gives no title.
  os::testing::WriteBytes(env_->Fs(), medium_ + L"not-a-font.ttf", "not a font");
  EXPECT_EQ(GetFontTitle(platform_.Get().fonts, medium_ + L"not-a-font.ttf"), L"");
}

TEST_F(FontsWinTest, AMissingFontIsCopiedRegisteredAndReportedOnce) {
  ASSERT_EQ(::GetFileAttributesW(installed_.c_str()), INVALID_FILE_ATTRIBUTES);
  installs_ = true;
  InstallFont(progress_, platform_.Get(), {medium_, systemFonts_}, kTestFontFile);
  EXPECT_NE(::GetFileAttributesW(installed_.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(os::testing::ReadBytes(env_->Fs(), installed_),
            os::testing::ReadBytes(env_->Fs(), medium_ + kTestFontFile));
  EXPECT_EQ(FontsValue(valueName_), std::optional<std::wstring>(kTestFontFile));
  EXPECT_EQ(progress_.lines, std::vector<std::wstring>{FontInstalledLine(installedTitle_)});
  EXPECT_FALSE(::RemoveFontResourceW(installed_.c_str()));

  // A second run finds the file and leaves everything as it is.
  InstallFont(progress_, platform_.Get(), {medium_, systemFonts_}, kTestFontFile);
  EXPECT_EQ(progress_.lines.size(), 1u);
}

TEST_F(FontsWinTest, AMediumWithoutTheFontsEndsTheStepWithTheOpenError) {
  // The test program's folder has no "fonts\": the first font the Windows folder lacks raises.
  std::vector<std::wstring> lacking;
  for (const std::wstring_view file : kFontFiles) {
    if (::GetFileAttributesW((systemFonts_ + std::wstring(file)).c_str()) ==
        INVALID_FILE_ATTRIBUTES) {
      lacking.emplace_back(file);
    }
  }
  if (lacking.empty()) {
    GTEST_SKIP() << "this system has every font of the list";
  }
  const std::wstring message =
      testing::RaisedMessage([&] { InstallFonts(progress_, platform_.Get()); });
  EXPECT_EQ(message.rfind(L"Cannot open file \"", 0), 0u) << message.size();
  EXPECT_NE(message.find(L"\\fonts\\" + lacking.front() + L"\""), std::wstring::npos);
  EXPECT_TRUE(progress_.lines.empty());
  EXPECT_EQ(::GetFileAttributesW((systemFonts_ + lacking.front()).c_str()),
            INVALID_FILE_ATTRIBUTES);
}

}  // namespace
}  // namespace engine
