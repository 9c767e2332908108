// The dry run's view over files that exist below it: natively over the in-memory double, under
// Wine over the real Win32 file system. The view predicts what the disk would refuse, shows its
// own changes merged with the disk's entries, and leaves the disk as it was.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>

#include "os/overlay/OverlayFileSystem.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"

namespace os {
namespace {

using testing::FindNames;
using testing::ReadBytes;
using testing::WriteBytes;

// Every entry below `folder` with its attributes and content.
std::map<std::wstring, std::string> Tree(IFileSystem& fs, const std::wstring& folder) {
  std::map<std::wstring, std::string> tree;
  std::vector<FindEntry> entries;
  fs.Find(folder + L"*", entries);
  for (const FindEntry& entry : entries) {
    if (entry.name == L"." || entry.name == L"..") {
      continue;
    }
    const std::wstring path = folder + entry.name;
    const bool isFolder = (entry.attributes & attr::kDirectory) != 0;
    tree[path] = std::to_string(entry.attributes) + " " +
                 (isFolder ? std::string() : ReadBytes(fs, path).value_or("?"));
    if (isFolder) {
      tree.merge(Tree(fs, path + L"\\"));
    }
  }
  return tree;
}

TEST(OverlayFileSystem, PredictsTheDiskAndLeavesItAsItWas) {
  const auto env = testing::MakeTestEnvironment();
  IFileSystem& disk = env->Fs();
  const std::wstring dir = env->NewScratchFolder();
  WriteBytes(disk, dir + L"ReleaseInfo", "<ROOT/>");
  ASSERT_EQ(disk.SetAttributes(dir + L"ReleaseInfo", attr::kReadOnly), 0u);
  WriteBytes(disk, dir + L"R40.FDB", "patients");
  WriteBytes(disk, dir + L"old.txt", "old");
  ASSERT_EQ(disk.CreateFolder(dir + L"Sets"), 0u);
  ASSERT_EQ(disk.CreateFolder(dir + L"Sets\\V010113"), 0u);
  WriteBytes(disk, dir + L"Sets\\V010113\\Install.cmd", "echo");
  const auto before = Tree(disk, dir);

  overlay::OverlayFileSystem view(disk);
  ErrorCode error = 0;
  std::unique_ptr<IFile> held;
  const auto write = [&](const wchar_t* name, Disposition disposition) {
    const auto file = view.Open(dir + name, Access::kReadWrite, Share::kNone, disposition, error);
    std::uint32_t written = 0;
    return file ? file->Write("new", 3, written) : error;
  };
  struct Step {
    const char* what;
    std::function<ErrorCode()> run;
    ErrorCode expected;
  };
  const Step steps[] = {
      {"a read-only file refuses writing",
       [&] { return write(L"ReleaseInfo", Disposition::kOpenExisting); }, error::kAccessDenied},
      {"the disk's file is read",
       [&] { return ReadBytes(view, dir + L"ReleaseInfo") == "<ROOT/>" ? 0u : 1u; }, 0},
      {"a file the database server holds cannot be renamed",
       [&] {
         held = disk.Open(dir + L"R40.FDB", Access::kRead, Share::kNone, Disposition::kOpenExisting,
                          error);
         return view.Move(dir + L"R40.FDB", dir + L"R40_kept.FDB");
       },
       error::kSharingViolation},
      {"once free it is renamed",
       [&] {
         held.reset();
         return view.Move(dir + L"R40.FDB", dir + L"R40_kept.FDB");
       },
       0},
      {"the renamed file reads as before",
       [&] { return ReadBytes(view, dir + L"R40_kept.FDB") == "patients" ? 0u : 1u; }, 0},
      {"a new file is written", [&] { return write(L"R40.FDB", Disposition::kCreateAlways); }, 0},
      {"a disk file is rewritten", [&] { return write(L"old.txt", Disposition::kOpenExisting); },
       0},
      {"the read-only bit is cleared",
       [&] { return view.SetAttributes(dir + L"ReleaseInfo", attr::kNormal); }, 0},
      {"now it may be written", [&] { return write(L"ReleaseInfo", Disposition::kCreateAlways); },
       0},
      {"a folder of the disk is renamed", [&] { return view.Move(dir + L"Sets", dir + L"backup"); },
       0},
      {"a folder is made in it", [&] { return view.CreateFolder(dir + L"backup\\V150612"); }, 0},
      {"a file is copied into it",
       [&] {
         return view.SystemCopy(dir + L"old.txt", dir + L"backup\\V150612\\Install.cmd", true);
       },
       0},
      {"a disk file is removed",
       [&] { return view.RemoveFile(dir + L"backup\\V010113\\Install.cmd"); }, 0},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(step.run(), step.expected) << step.what;
  }
  EXPECT_EQ(FindNames(view, dir + L"*", error),
            (std::vector<std::wstring>{L"R40.FDB", L"R40_kept.FDB", L"ReleaseInfo", L"backup",
                                       L"old.txt"}));
  EXPECT_EQ(FindNames(view, dir + L"backup\\*", error),
            (std::vector<std::wstring>{L"V010113", L"V150612"}));
  EXPECT_EQ(FindNames(view, dir + L"backup\\V010113\\*", error), std::vector<std::wstring>{});
  EXPECT_EQ(ReadBytes(view, dir + L"old.txt"), "new");
  EXPECT_EQ(ReadBytes(view, dir + L"backup\\V150612\\Install.cmd"), "new");
  EXPECT_EQ(view.GetAttributes(dir + L"Sets"), attr::kInvalid);
  EXPECT_EQ(Tree(disk, dir), before);
}

}  // namespace
}  // namespace os
