// Shortcuts on the seam's doubles: the folders read from the user's registry, the shortcut's
// name and place, what the link object is told and in which order, and the failures.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Error.h"
#include "Raised.h"
#include "engine/Shortcut.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "text/Utf.h"

namespace engine {
namespace {

using os::RegistryRoot;
using os::testing::FakeShellLinks;
using os::testing::SavedShellLink;
using testing::RaisedMessage;

constexpr wchar_t kShellFolders[] =
    L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr wchar_t kExplorer[] = L"Software\\MicroSoft\\Windows\\CurrentVersion\\Explorer";
constexpr wchar_t kGrpConv[] = L"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv";
constexpr wchar_t kMapGroups[] =
    L"Software\\MicroSoft\\Windows\\CurrentVersion\\GrpConv\\MapGroups";
constexpr wchar_t kProgram[] = L"C:\\Virelta\\Quelvix.exe";
constexpr std::wstring_view kUnchanged = L"(unchanged)";

// --- The shortcut's file name ---

struct NameCase {
  const wchar_t* fileName;
  const wchar_t* linkName;
  const wchar_t* expected;
};

void PrintTo(const NameCase& c, std::ostream* os) {
  *os << text::ToUtf8(c.fileName) << " / " << text::ToUtf8(c.linkName);
}

class ShortcutFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(ShortcutFileNameTest, ReplacesTheLastExtensionAndKeepsTheNameOnly) {
  const NameCase& c = GetParam();
  EXPECT_EQ(ShortcutFileName(c.fileName, c.linkName), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    , ShortcutFileNameTest,
    ::testing::Values(NameCase{kProgram, L"Вирельта", L"Вирельта.lnk"},
                      NameCase{L"C:\\Tools\\Tool.exe", L"", L"Tool.lnk"},
                      NameCase{L"C:\\Tools\\Tool.exe", L"Tool 2.5", L"Tool 2.lnk"},
                      NameCase{L"C:\\Tools\\Tool.exe", L"My.Own.Link", L"My.Own.lnk"},
                      NameCase{L"C:\\Kit.v2\\Tool", L"", L"Tool.lnk"},
                      NameCase{L"C:\\Tools\\Tool.exe", L"Group\\Name.txt", L"Name.lnk"},
                      NameCase{L"D:Tool.exe", L"", L"Tool.lnk"},
                      NameCase{L"C:\\Tools\\Tool.exe", L"Name.", L"Name.lnk"},
                      NameCase{L"C:\\Tools\\Tool.exe", L".hidden", L".lnk"},
                      NameCase{L"Tool", L"", L"Tool.lnk"}));

// --- Where the shortcut goes ---

class ShortcutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* folder :
         {L"C:\\Users", L"C:\\Users\\op", L"C:\\Users\\op\\Desktop", L"C:\\Users\\op\\SendTo",
          L"C:\\Users\\op\\Start Menu", L"C:\\Users\\op\\Start Menu\\Tools",
          L"C:\\Users\\op\\Quick", L"C:\\Elsewhere", L"C:\\Virelta"}) {
      ASSERT_EQ(platform_.fs.CreateFolder(folder), 0u);
    }
  }
  void SetFolder(const wchar_t* key, const wchar_t* name, const wchar_t* folder) {
    platform_.registry.SetString(RegistryRoot::kCurrentUser, key, name, folder);
  }
  void SetAllFolders() {
    SetFolder(kShellFolders, L"Desktop", L"C:\\Users\\op\\Desktop");
    SetFolder(kShellFolders, L"SendTo", L"C:\\Users\\op\\SendTo");
    SetFolder(kShellFolders, L"Start Menu", L"C:\\Users\\op\\Start Menu");
    SetFolder(kMapGroups, L"Quick Launch", L"C:\\Users\\op\\Quick");
  }
  // CreateShortcut with the file name, arguments and description fixed; the LinkFile it leaves.
  std::wstring Create(ShortcutLocation location, const std::wstring& subFolder,
                      const std::wstring& workingFolder = L"", const std::wstring& linkName = L"") {
    std::wstring linkFile(kUnchanged);
    CreateShortcut(platform_.Get(), kProgram, location, subFolder, workingFolder, L"/x",
                   L"Описание", linkName, linkFile);
    return linkFile;
  }
  std::optional<SavedShellLink> Saved(const std::wstring& path) {
    return FakeShellLinks::Read(platform_.fs, path);
  }

  os::testing::MemoryPlatform platform_;
};

struct PlaceCase {
  std::uint8_t location;
  const wchar_t* subFolder;
  const wchar_t* expected;  // the LinkFile; a file there exactly when `written`
  bool written;
};

void PrintTo(const PlaceCase& c, std::ostream* os) {
  *os << int(c.location) << " / " << text::ToUtf8(c.subFolder);
}

class ShortcutPlaceTest : public ShortcutTest, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(ShortcutPlaceTest, WritesIntoTheFolderOfTheLocation) {
  const PlaceCase& c = GetParam();
  SetAllFolders();
  EXPECT_EQ(Create(static_cast<ShortcutLocation>(c.location), c.subFolder), c.expected);
  if (c.written) {
    const auto saved = Saved(c.expected);
    ASSERT_TRUE(saved.has_value());
    EXPECT_EQ(saved->path, kProgram);
  } else {
    EXPECT_FALSE(platform_.fs.Exists(c.expected));
  }
}

INSTANTIATE_TEST_SUITE_P(
    , ShortcutPlaceTest,
    ::testing::Values(
        PlaceCase{0, L"", L"C:\\Users\\op\\Desktop\\Quelvix.lnk", true},
        PlaceCase{1, L"", L"C:\\Users\\op\\Quick\\Quelvix.lnk", true},
        PlaceCase{2, L"", L"C:\\Users\\op\\SendTo\\Quelvix.lnk", true},
        PlaceCase{3, L"", L"C:\\Users\\op\\Start Menu\\Quelvix.lnk", true},
        PlaceCase{3, L"Tools", L"C:\\Users\\op\\Start Menu\\Tools\\Quelvix.lnk", true},
        // The group folder is not created: the shell cannot save, the path is still reported.
        PlaceCase{3, L"Missing", L"C:\\Users\\op\\Start Menu\\Missing\\Quelvix.lnk", false},
        PlaceCase{4, L"C:\\Elsewhere", L"C:\\Elsewhere\\Quelvix.lnk", true},
        PlaceCase{4, L"", kUnchanged.data(), false},
        PlaceCase{5, L"C:\\Elsewhere", kUnchanged.data(), false},
        PlaceCase{7, L"", kUnchanged.data(), false},
        PlaceCase{255, L"", kUnchanged.data(), false}));

TEST(ShortcutFolders, AMissingOrUnreadableValueWritesNothing) {
  struct Case {
    const char* what;
    std::function<void(os::testing::MemoryRegistry&)> arrange;
  };
  const Case cases[] = {
      {"no Explorer key at all", [](auto&) {}},
      {"no Desktop value",
       [](auto& r) { r.SetString(RegistryRoot::kCurrentUser, kShellFolders, L"SendTo", L"C:\\"); }},
      {"an empty value",
       [](auto& r) { r.SetString(RegistryRoot::kCurrentUser, kShellFolders, L"Desktop", L""); }},
      {"a number, not a string",
       [](auto& r) { r.SetNumber(RegistryRoot::kCurrentUser, kShellFolders, L"Desktop", 1); }},
      {"the value in the Explorer key itself",
       [](auto& r) { r.SetString(RegistryRoot::kCurrentUser, kExplorer, L"Desktop", L"C:\\"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    os::testing::MemoryPlatform platform;
    c.arrange(platform.registry);
    std::wstring linkFile(kUnchanged);
    CreateShortcut(platform.Get(), kProgram, ShortcutLocation::Desktop, L"", L"", L"", L"", L"",
                   linkFile);
    EXPECT_EQ(linkFile, kUnchanged);
    EXPECT_EQ(platform.shellLinks.Calls(),
              (std::vector<std::wstring>{L"Create", L"SetPath C:\\Virelta\\Quelvix.exe",
                                         L"SetArguments ", L"SetDescription ", L"Release"}));
  }
}

TEST_F(ShortcutTest, FolderNamesAreFoundWithoutRegardToLetterCase) {
  platform_.registry.SetString(RegistryRoot::kCurrentUser,
                               L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\explorer\\"
                               L"shell folders",
                               L"DESKTOP", L"C:\\Users\\op\\Desktop");
  EXPECT_EQ(Create(ShortcutLocation::Desktop, L""), L"C:\\Users\\op\\Desktop\\Quelvix.lnk");
}

TEST_F(ShortcutTest, TheKeysAreCreatedEvenWhenNoShortcutResults) {
  Create(ShortcutLocation::QuickLaunch, L"");
  EXPECT_TRUE(platform_.registry.KeyExists(RegistryRoot::kCurrentUser, kGrpConv));
  EXPECT_FALSE(platform_.registry.KeyExists(RegistryRoot::kCurrentUser, kMapGroups));
  EXPECT_FALSE(platform_.registry.KeyExists(RegistryRoot::kCurrentUser, kExplorer));

  Create(ShortcutLocation::OtherFolder, L"");
  EXPECT_TRUE(platform_.registry.KeyExists(RegistryRoot::kCurrentUser, kExplorer));
  EXPECT_FALSE(platform_.registry.KeyExists(RegistryRoot::kCurrentUser, kShellFolders));
  EXPECT_EQ(platform_.registry.OpenKeys(), 0);
}

TEST_F(ShortcutTest, TheWorkingFolderIsTheProgramsFolderUnlessGiven) {
  SetAllFolders();
  Create(ShortcutLocation::Desktop, L"", L"", L"a");
  Create(ShortcutLocation::Desktop, L"", L"D:\\Work", L"b");
  EXPECT_EQ(Saved(L"C:\\Users\\op\\Desktop\\a.lnk")->workingDirectory, L"C:\\Virelta\\");
  EXPECT_EQ(Saved(L"C:\\Users\\op\\Desktop\\b.lnk")->workingDirectory, L"D:\\Work");
}

TEST_F(ShortcutTest, TellsTheLinkObjectItsPartsInOrderAndReleasesIt) {
  SetAllFolders();
  Create(ShortcutLocation::SendTo, L"");
  EXPECT_EQ(
      platform_.shellLinks.Calls(),
      (std::vector<std::wstring>{L"Create", L"SetPath C:\\Virelta\\Quelvix.exe", L"SetArguments /x",
                                 L"SetDescription Описание", L"SetWorkingDirectory C:\\Virelta\\",
                                 L"Save C:\\Users\\op\\SendTo\\Quelvix.lnk false", L"Release"}));
  EXPECT_EQ(platform_.shellLinks.LiveLinks(), 0);
}

TEST_F(ShortcutTest, WithoutAFolderTheLinkIsReleasedUnsaved) {
  Create(ShortcutLocation::Desktop, L"");
  EXPECT_EQ(
      platform_.shellLinks.Calls(),
      (std::vector<std::wstring>{L"Create", L"SetPath C:\\Virelta\\Quelvix.exe", L"SetArguments /x",
                                 L"SetDescription Описание", L"Release"}));
}

TEST_F(ShortcutTest, AnExistingShortcutIsReplaced) {
  SetAllFolders();
  os::testing::WriteBytes(platform_.fs, L"C:\\Users\\op\\Desktop\\Quelvix.lnk", "old");
  Create(ShortcutLocation::Desktop, L"");
  ASSERT_TRUE(Saved(L"C:\\Users\\op\\Desktop\\Quelvix.lnk").has_value());
}

TEST_F(ShortcutTest, ALinkObjectThatCannotBeMadeRaisesItsTextAndTouchesNothing) {
  SetAllFolders();
  platform_.shellLinks.FailCreate(L"Класс не зарегистрирован.");
  std::wstring linkFile(kUnchanged);
  EXPECT_EQ(RaisedMessage([&] {
              CreateShortcut(platform_.Get(), kProgram, ShortcutLocation::Desktop, L"", L"", L"",
                             L"", L"", linkFile);
            }),
            L"Класс не зарегистрирован.");
  EXPECT_EQ(linkFile, kUnchanged);
  EXPECT_FALSE(platform_.fs.Exists(L"C:\\Users\\op\\Desktop\\Quelvix.lnk"));
}

TEST_F(ShortcutTest, TheInstallationsDesktopShortcutIsNamedAfterTheProduct) {
  SetFolder(kShellFolders, L"Desktop", L"C:\\Users\\op\\Desktop");
  CreateDesktopShortcut(platform_.Get(), L"C:\\Virelta\\", L"Quelvix.exe",
                        L"Комплекс суточного мониторирования электрокардиограмм", L"Вирельта");
  os::ErrorCode error = 0;
  EXPECT_EQ(os::testing::FindNames(platform_.fs, L"C:\\Users\\op\\Desktop\\*", error),
            std::vector<std::wstring>{L"Вирельта.lnk"});
  EXPECT_EQ(Saved(L"C:\\Users\\op\\Desktop\\Вирельта.lnk"),
            (SavedShellLink{L"C:\\Virelta\\Quelvix.exe", L"",
                            L"Комплекс суточного мониторирования электрокардиограмм \"Вирельта\"",
                            L"C:\\Virelta\\"}));
}

}  // namespace
}  // namespace engine
