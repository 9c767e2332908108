// What the uninstaller removes and keeps, on an installed folder made by hand on the doubles:
// the kit's unchanged files go; the clinic's data, settings, changed and foreign files and a link
// out of the folder stay; a file in use is kept and a second run finishes the job; a folder that
// is not the installation's is refused with nothing touched.
#include <gtest/gtest.h>

#include <map>

#include "engine/MediumManifest.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryPlatform.h"
#include "text/Utf.h"
#include "uninstall/Removal.h"

namespace uninstall {
namespace {

using os::RegistryRoot;
using os::testing::ReadBytes;
using os::testing::WriteBytes;

constexpr wchar_t kFolder[] = L"C:\\Virelta\\";
constexpr wchar_t kProduct[] = L"Вирельта";
constexpr wchar_t kLink[] = L"C:\\Desktop\\Вирельта.lnk";

enum class After { kRemoved, kKept, kKeptInUse };

struct File {
  const wchar_t* path;
  bool recorded;
  After after;
  const wchar_t* why = L"";  // part of the reason a kept file is listed with
};

// The kit's files, the clinic's, the operator's and a link's content, and what becomes of them.
const File kFiles[] = {
    {L"fbclient.Dll", true, After::kRemoved},
    {L"Uninstall.exe", true, After::kRemoved},
    {L"udf\\vrfunc1.Dll", true, After::kRemoved},
    {L"udf\\vrfunc2.Dll", true, After::kKept, L"изменён"},  // changed after installation
    {L"backup\\V150612\\Install.cmd", true, After::kRemoved},
    {L"intl\\fbintl.dll", true, After::kKeptInUse, L"занят"},
    {L"Notes.txt", false, After::kKept, L"не устанавливался"},
    {L"DTAfb\\R40.FDB", false, After::kKept, L"база данных"},
    {L"DTAfb\\R40_2025-11-03_1015.FDB", false, After::kKept, L"база данных"},
    {L"Settings\\virelta.ini", false, After::kKept, L"настройки"},
    {L"btooth.ini", false, After::kKept, L"настройки"},
    {L"Archive\\study.ecg", true, After::kKept, L"ссылка"},  // behind a junction
};

class RemovalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const wchar_t* folder :
         {L"C:\\Virelta", L"C:\\Virelta\\udf", L"C:\\Virelta\\backup",
          L"C:\\Virelta\\backup\\V150612", L"C:\\Virelta\\intl", L"C:\\Virelta\\DTAfb",
          L"C:\\Virelta\\Settings", L"C:\\Virelta\\Archive", L"C:\\Desktop", L"C:\\Other"}) {
      ASSERT_EQ(doubles_.fs.CreateFolder(folder), 0u);
    }
    engine::InstalledFiles record;
    for (const File& file : kFiles) {
      const std::string content = text::ToUtf8(file.path);
      WriteBytes(doubles_.fs, kFolder + std::wstring(file.path), content);
      if (file.recorded) {
        std::wstring error;
        const auto digest = engine::FileDigest(doubles_.fs, doubles_.crypto,
                                               kFolder + std::wstring(file.path), error);
        ASSERT_TRUE(digest);
        record.files.push_back({file.path, *digest, content.size()});
      }
    }
    ASSERT_EQ(engine::WriteInstalledFiles(doubles_.fs, kFolder, record), 0u);
    WriteBytes(doubles_.fs, kFolder + std::wstring(L"udf\\vrfunc2.Dll"), "patched by hand");
    doubles_.fs.MarkLink(L"C:\\Virelta\\Archive");
    WriteBytes(doubles_.fs, kLink, "link");
    doubles_.registry.SetString(RegistryRoot::kCurrentUser,
                                L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell "
                                L"Folders",
                                L"Desktop", L"C:\\Desktop");
    // A user without administrative rights: the entry went under the user's key.
    engine::UninstallEntry entry = engine::MakeUninstallEntry(kFolder, kProduct, L"Комплекс", L"");
    doubles_.registry.DenyWrite(RegistryRoot::kLocalMachine, L"Software");
    ASSERT_EQ(engine::WriteUninstallEntry(doubles_.registry, entry), 0u);
    ASSERT_EQ(entry.root, RegistryRoot::kCurrentUser);
  }

  Prepared Plan(const std::wstring& folder) {
    return PlanRemoval(doubles_.Get(), folder, kProduct);
  }
  bool EntryThere() {
    return doubles_.registry.KeyExists(RegistryRoot::kCurrentUser, engine::kUninstallKey);
  }

  os::testing::MemoryPlatform doubles_;
};

TEST_F(RemovalTest, RemovesTheKitsUnchangedFilesKeepsEverythingElseAndFinishesOnASecondRun) {
  std::unique_ptr<os::IFile> held;  // the intl file, open in another program
  os::ErrorCode error = 0;
  held = doubles_.fs.Open(L"C:\\Virelta\\intl\\fbintl.dll", os::Access::kRead, os::Share::kRead,
                          os::Disposition::kOpenExisting, error);
  ASSERT_TRUE(held);

  Prepared first = Plan(L"c:\\virelta");
  ASSERT_TRUE(first.plan) << text::ToUtf8(first.refusal);
  EXPECT_EQ(first.plan->shortcut, kLink);
  const Outcome partly = CarryOut(doubles_.Get(), *first.plan, L"");
  EXPECT_FALSE(partly.complete);
  EXPECT_TRUE(EntryThere());
  EXPECT_FALSE(doubles_.fs.Exists(kLink));

  std::map<std::wstring, std::wstring> kept;
  for (const KeptFile& file : partly.kept) {
    kept[file.path] = file.why;
  }
  for (const File& file : kFiles) {
    SCOPED_TRACE(text::ToUtf8(file.path));
    const bool there = doubles_.fs.Exists(kFolder + std::wstring(file.path));
    EXPECT_EQ(there, file.after != After::kRemoved);
    if (file.after == After::kRemoved) {
      EXPECT_EQ(kept.count(file.path), 0u);
    } else {
      ASSERT_EQ(kept.count(file.path), 1u);
      EXPECT_NE(kept[file.path].find(file.why), std::wstring::npos)
          << text::ToUtf8(kept[file.path]);
    }
  }
  EXPECT_EQ(ReadBytes(doubles_.fs, L"C:\\Virelta\\udf\\vrfunc2.Dll"), "patched by hand");
  EXPECT_NE(kept[L"Archive"].find(L"ссылка"), std::wstring::npos);  // listed as itself
  EXPECT_FALSE(doubles_.fs.Exists(L"C:\\Virelta\\backup"));         // emptied, so removed

  held.reset();
  Prepared second = Plan(kFolder);
  ASSERT_TRUE(second.plan) << text::ToUtf8(second.refusal);
  ASSERT_EQ(second.plan->remove, std::vector<std::wstring>{L"intl\\fbintl.dll"});
  const Outcome rest = CarryOut(doubles_.Get(), *second.plan, L"");
  EXPECT_TRUE(rest.complete);
  EXPECT_FALSE(EntryThere());
  EXPECT_FALSE(doubles_.fs.Exists(L"C:\\Virelta\\intl"));
  EXPECT_FALSE(doubles_.fs.Exists(L"C:\\Virelta\\InstalledFiles.sha256"));
  EXPECT_TRUE(doubles_.fs.Exists(L"C:\\Virelta\\DTAfb\\R40_2025-11-03_1015.FDB"));
  EXPECT_TRUE(doubles_.fs.Exists(L"C:\\Virelta\\Archive\\study.ecg"));
}

TEST_F(RemovalTest, RefusesAFolderThatIsNotTheInstallationsAndTouchesNothing) {
  doubles_.system.SetWindowsDirectory(L"C:\\Windows");
  ASSERT_EQ(doubles_.fs.CreateFolder(L"C:\\Windows"), 0u);
  ASSERT_EQ(doubles_.fs.CreateFolder(L"C:\\Program Files"), 0u);
  const struct {
    const wchar_t* folder;
    const wchar_t* why;
  } cases[] = {
      {L"C:\\", L"корень диска"},
      {L"C:\\Windows\\", L"папка Windows"},
      {L"C:\\Program Files\\", L"папка Windows"},
      {L"C:\\Other\\", L"не записана"},
      {L"C:\\Virelta\\Archive\\", L"ссылка"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(text::ToUtf8(c.folder));
    const Prepared prepared = Plan(c.folder);
    EXPECT_FALSE(prepared.plan);
    EXPECT_NE(prepared.refusal.find(c.why), std::wstring::npos) << text::ToUtf8(prepared.refusal);
  }
  // Without its record the installation's own folder is refused too.
  ASSERT_EQ(doubles_.fs.RemoveFile(L"C:\\Virelta\\InstalledFiles.sha256"), 0u);
  EXPECT_NE(Plan(kFolder).refusal.find(L"InstalledFiles.sha256"), std::wstring::npos);
  EXPECT_TRUE(EntryThere());
  EXPECT_TRUE(doubles_.fs.Exists(L"C:\\Virelta\\fbclient.Dll"));
}

}  // namespace
}  // namespace uninstall
