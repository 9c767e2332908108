// The engine's file operations, run natively on the in-memory double and under Wine on the real
// Win32 file system: the same expectations hold for both.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

#include "Error.h"
#include "Raised.h"
#include "engine/FileOperations.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"

namespace engine {
namespace {

using testing::RaisedMessage;

using os::testing::ReadBytes;
using os::testing::WriteBytes;
namespace attr = os::attr;

// 2020-06-15 10:20:31.7 UTC, a time with an odd second and a fraction.
constexpr os::FileTime kOddSecondTime = 132366900317000000ull;
constexpr os::FileTime kTwoSeconds = 20'000'000;

class FileOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    root_ = env_->NewScratchFolder();
  }
  os::IFileSystem& fs() { return env_->Fs(); }

  void Write(const std::wstring& path, const std::string& content, std::uint32_t attributes = 0,
             os::FileTime time = kOddSecondTime) {
    WriteBytes(fs(), path, content);
    os::ErrorCode error = 0;
    {
      auto file = fs().Open(path, os::Access::kReadWrite, os::Share::kNone,
                            os::Disposition::kOpenExisting, error);
      ASSERT_NE(file, nullptr) << error;
      ASSERT_EQ(file->SetLastWriteTime(time), 0u);
    }
    SetAttributes(path, attributes);
  }
  // Hidden and system first, read-only last: Wine keeps those two bits in an extended attribute
  // that it cannot write any more once the file is read-only.
  void SetAttributes(const std::wstring& path, std::uint32_t attributes) {
    if ((attributes & ~attr::kReadOnly) != 0) {
      ASSERT_EQ(fs().SetAttributes(path, attributes & ~attr::kReadOnly), 0u);
    }
    if ((attributes & attr::kReadOnly) != 0) {
      ASSERT_EQ(fs().SetAttributes(path, attributes), 0u);
    }
  }
  void MakeFolder(const std::wstring& path, std::uint32_t attributes = 0) {
    ASSERT_EQ(fs().CreateFolder(path), 0u);
    if (attributes != 0) {
      ASSERT_EQ(fs().SetAttributes(path, attributes | attr::kDirectory), 0u);
    }
  }
  os::FileTime LastWrite(const std::wstring& path) {
    std::vector<os::FindEntry> entries;
    EXPECT_EQ(fs().Find(path, entries), 0u);
    return entries.empty() ? 0 : entries.front().lastWrite;
  }
  std::wstring CreateErrorText(const std::wstring& path, os::ErrorCode code) {
    return L"Cannot create file \"" + path + L"\". " + fs().ErrorText(code);
  }
  std::wstring OpenErrorText(const std::wstring& path, os::ErrorCode code) {
    return L"Cannot open file \"" + path + L"\". " + fs().ErrorText(code);
  }

  std::unique_ptr<os::testing::TestEnvironment> env_;
  std::wstring root_;
};

TEST_F(FileOperationsTest, CopySingleFileCopiesEveryByteAcrossBlockBoundaries) {
  const size_t sizes[] = {0,
                          1,
                          kCopyBlockSize - 1,
                          kCopyBlockSize,
                          kCopyBlockSize + 1,
                          3 * kCopyBlockSize + kCopyBlockSize / 2};
  for (const size_t size : sizes) {
    std::string content(size, '\0');
    for (size_t i = 0; i < size; ++i) {
      content[i] = static_cast<char>((i * 131 + i / 4099) & 0xFF);
    }
    const std::wstring source = root_ + L"source.bin";
    const std::wstring destination = root_ + L"destination.bin";
    Write(source, content);
    EXPECT_TRUE(CopySingleFile(fs(), source, destination)) << size;
    EXPECT_EQ(ReadBytes(fs(), destination), content) << size;
    // What `onData` is shown (on a second thread beyond one block) is the content, in order,
    // all of it seen when the copy returns; an error it raises ends the copy with that error.
    std::string seen;
    EXPECT_TRUE(CopySingleFile(fs(), source, destination, {}, nullptr,
                               [&](const char* data, std::uint32_t n) { seen.append(data, n); }));
    EXPECT_EQ(seen, content) << size;
    int blocks = 0;
    const auto failing = [&](const char*, std::uint32_t) {
      if (++blocks == 2) {
        throw std::runtime_error("digest failed");
      }
    };
    if (size > kCopyBlockSize) {
      EXPECT_THROW(CopySingleFile(fs(), source, destination, {}, nullptr, failing),
                   std::runtime_error);
    }
  }
}

TEST_F(FileOperationsTest, CopySingleFileStampsTheEvenSecondBelow) {
  const std::wstring source = root_ + L"aliases.conf";
  Write(source, "", 0, kOddSecondTime);
  ASSERT_TRUE(CopySingleFile(fs(), source, root_ + L"copy.conf"));
  const os::FileTime copied = LastWrite(root_ + L"copy.conf");
  EXPECT_EQ(copied, kOddSecondTime - kOddSecondTime % kTwoSeconds);
  EXPECT_EQ(kOddSecondTime - copied, 17'000'000u);  // 1.7 s earlier: 10:20:30.0

  const os::FileTime evenSecond = kOddSecondTime - 17'000'000;  // 10:20:30.0 exactly
  Write(source, "x", 0, evenSecond);
  ASSERT_TRUE(CopySingleFile(fs(), source, root_ + L"copy.conf"));
  EXPECT_EQ(LastWrite(root_ + L"copy.conf"), evenSecond);
}

TEST_F(FileOperationsTest, CopySingleFileReplacesAWritableDestinationWithoutTakingAttributes) {
  const std::wstring source = root_ + L"R40.FDB";
  const std::wstring destination = root_ + L"old.FDB";
  Write(destination, "an older and longer database file");
  Write(source, "new", attr::kReadOnly | attr::kHidden | attr::kSystem);
  ASSERT_TRUE(CopySingleFile(fs(), source, destination));
  EXPECT_EQ(ReadBytes(fs(), destination), "new");
  const std::uint32_t attributes = fs().GetAttributes(destination);
  EXPECT_EQ(attributes & (attr::kReadOnly | attr::kHidden | attr::kSystem), 0u) << attributes;
}

TEST_F(FileOperationsTest, CopySingleFileRaisesWhenTheDestinationCannotBeCreated) {
  const std::wstring source = root_ + L"gds32.dll";
  Write(source, "library");
  struct Case {
    const wchar_t* name;
    std::uint32_t attributes;
    os::ErrorCode expected;
  };
  const Case cases[] = {
      {L"readonly.dll", attr::kReadOnly, os::error::kAccessDenied},
      {L"missing\\gds32.dll", 0, os::error::kPathNotFound},
  };
  for (const auto& c : cases) {
    const std::wstring destination = root_ + c.name;
    if (c.attributes != 0) {
      Write(destination, "kept", c.attributes);
    }
    EXPECT_EQ(RaisedMessage([&] { CopySingleFile(fs(), source, destination); }),
              CreateErrorText(destination, c.expected));
    if (c.attributes != 0) {
      EXPECT_EQ(ReadBytes(fs(), destination), "kept");
    }
  }
}

TEST_F(FileOperationsTest, CopySingleFileRaisesOnAHiddenOrSystemDestination) {
  if (os::testing::RunningUnderWine()) {
    GTEST_SKIP() << "Wine re-creates hidden and system files that Windows refuses to replace";
  }
  const std::wstring source = root_ + L"fbintl.dll";
  Write(source, "library");
  for (const std::uint32_t attributes : {attr::kHidden, attr::kSystem}) {
    const std::wstring destination = root_ + L"placed-" + std::to_wstring(attributes) + L".dll";
    Write(destination, "kept", attributes);
    EXPECT_EQ(RaisedMessage([&] { CopySingleFile(fs(), source, destination); }),
              CreateErrorText(destination, os::error::kAccessDenied));
    EXPECT_EQ(ReadBytes(fs(), destination), "kept");
  }
}

TEST_F(FileOperationsTest, CopySingleFileOfAMissingSourceRaisesAndCreatesNothing) {
  const std::wstring source = root_ + L"Firebird\\icuuc30.Dll";
  const std::wstring destination = root_ + L"icuuc30.Dll";
  EXPECT_EQ(RaisedMessage([&] { CopySingleFile(fs(), source, destination); }),
            OpenErrorText(source, os::error::kPathNotFound));
  MakeFolder(root_ + L"Firebird");
  EXPECT_EQ(RaisedMessage([&] { CopySingleFile(fs(), source, destination); }),
            OpenErrorText(source, os::error::kFileNotFound));
  EXPECT_EQ(fs().GetAttributes(destination), attr::kInvalid);
}

TEST_F(FileOperationsTest, CopySingleFileCannotOpenASourceThatAnotherHandleHoldsExclusively) {
  const std::wstring source = root_ + L"fbclient.Dll";
  Write(source, "busy");
  os::ErrorCode error = 0;
  const auto holder =
      fs().Open(source, os::Access::kRead, os::Share::kNone, os::Disposition::kOpenExisting, error);
  ASSERT_NE(holder, nullptr);
  EXPECT_EQ(RaisedMessage([&] { CopySingleFile(fs(), source, root_ + L"out.Dll"); }),
            OpenErrorText(source, os::error::kSharingViolation));
}

class CopyFolderTreeTest : public FileOperationsTest {
 protected:
  // source\a.txt (read-only), h.txt (hidden), s.txt (system), sub\b.txt, sub\deeper\c.txt,
  // and a hidden and a system sub-folder, each with a file.
  void MakeSourceTree() {
    source_ = root_ + L"backup";
    MakeFolder(source_);
    Write(source_ + L"\\a.txt", "read-only", attr::kReadOnly);
    Write(source_ + L"\\h.txt", "hidden", attr::kHidden);
    Write(source_ + L"\\s.txt", "system", attr::kSystem);
    MakeFolder(source_ + L"\\sub");
    Write(source_ + L"\\sub\\b.txt", "b");
    MakeFolder(source_ + L"\\sub\\deeper");
    Write(source_ + L"\\sub\\deeper\\c.txt", "c");
    MakeFolder(source_ + L"\\hid", attr::kHidden);
    Write(source_ + L"\\hid\\x.txt", "x");
    MakeFolder(source_ + L"\\sys", attr::kSystem);
    Write(source_ + L"\\sys\\y.txt", "y");
  }
  std::wstring source_;
};

TEST_F(CopyFolderTreeTest, CopiesFilesWithAttributesAndTimesButNoHiddenOrSystemFolders) {
  MakeSourceTree();
  const std::wstring destination = root_ + L"target\\nested\\backup";  // parents missing
  CopyFolderTree(fs(), source_, destination);

  struct Expected {
    const wchar_t* name;
    const char* content;
    std::uint32_t attributes;
  };
  const Expected files[] = {
      {L"\\a.txt", "read-only", attr::kReadOnly}, {L"\\h.txt", "hidden", attr::kHidden},
      {L"\\s.txt", "system", attr::kSystem},      {L"\\sub\\b.txt", "b", 0},
      {L"\\sub\\deeper\\c.txt", "c", 0},
  };
  for (const auto& f : files) {
    EXPECT_EQ(ReadBytes(fs(), destination + f.name), f.content) << f.content;
    const std::uint32_t kept = attr::kReadOnly | attr::kHidden | attr::kSystem;
    EXPECT_EQ(fs().GetAttributes(destination + f.name) & kept, f.attributes) << f.content;
    EXPECT_EQ(LastWrite(destination + f.name), kOddSecondTime) << f.content;
  }
  EXPECT_EQ(fs().GetAttributes(destination + L"\\hid"), attr::kInvalid);
  EXPECT_EQ(fs().GetAttributes(destination + L"\\sys"), attr::kInvalid);
}

TEST_F(CopyFolderTreeTest, ASecondRunOverwritesWritableFilesOnly) {
  MakeSourceTree();
  const std::wstring destination = root_ + L"copy";
  CopyFolderTree(fs(), source_, destination);
  ASSERT_EQ(fs().SetAttributes(source_ + L"\\a.txt", attr::kNormal), 0u);
  Write(source_ + L"\\a.txt", "changed read-only");
  Write(source_ + L"\\sub\\b.txt", "changed b");

  CopyFolderTree(fs(), source_, destination);
  EXPECT_EQ(ReadBytes(fs(), destination + L"\\a.txt"), "read-only");
  EXPECT_EQ(ReadBytes(fs(), destination + L"\\sub\\b.txt"), "changed b");
}

TEST_F(CopyFolderTreeTest, ToleratesATrailingBackslashOnTheSource) {
  MakeSourceTree();
  CopyFolderTree(fs(), source_ + L"\\", root_ + L"copy");
  EXPECT_EQ(ReadBytes(fs(), root_ + L"copy\\sub\\deeper\\c.txt"), "c");
}

TEST_F(CopyFolderTreeTest, AMissingSourceOnlyCreatesTheDestination) {
  const std::wstring destination = root_ + L"Updater";
  CopyFolderTree(fs(), root_ + L"no such folder", destination);
  EXPECT_TRUE(FolderExists(fs(), destination));
  std::vector<os::FindEntry> entries;
  fs().Find(destination + L"\\*", entries);
  for (const auto& entry : entries) {
    EXPECT_TRUE(entry.name == L"." || entry.name == L"..") << text::ToUtf8(entry.name);
  }
}

TEST_F(FileOperationsTest, ListSubFoldersAppendsVisibleFoldersExceptWithOutAnswer) {
  const std::wstring backup = root_ + L"backup\\";
  MakeFolder(backup);
  MakeFolder(backup + L"V150612");
  MakeFolder(backup + L"WithOutAnswer");
  MakeFolder(backup + L"H311212", attr::kHidden);
  MakeFolder(backup + L"S311212", attr::kSystem);
  Write(backup + L"F010113", "a file, not a folder");

  std::vector<std::wstring> list = {L"kept"};
  ListSubFolders(fs(), backup, list);
  EXPECT_EQ(list, (std::vector<std::wstring>{L"kept", backup + L"V150612"}));

  std::vector<std::wstring> untouched = {L"kept"};
  ListSubFolders(fs(), root_ + L"missing\\", untouched);
  EXPECT_EQ(untouched, std::vector<std::wstring>{L"kept"});
}

TEST_F(FileOperationsTest, ListSubFoldersComparesWithOutAnswerWithLetterCase) {
  const std::wstring backup = root_ + L"backup\\";
  MakeFolder(backup);
  MakeFolder(backup + L"withoutanswer");
  MakeFolder(backup + L"V010113");
  std::vector<std::wstring> list;
  ListSubFolders(fs(), backup, list);
  const std::set<std::wstring> found(list.begin(), list.end());
  EXPECT_EQ(found, (std::set<std::wstring>{backup + L"V010113", backup + L"withoutanswer"}));
  EXPECT_EQ(list.size(), 2u);
}

TEST_F(FileOperationsTest, SetReadOnlyAttributeChangesOnlyThatBit) {
  struct Case {
    std::uint32_t before;
    bool readOnly;
    std::uint32_t after;
  };
  const Case cases[] = {
      {0, true, attr::kReadOnly},
      {attr::kReadOnly | attr::kHidden, false, attr::kHidden},
      {attr::kReadOnly, false, 0},
      {attr::kHidden, true, attr::kHidden | attr::kReadOnly},
  };
  const std::uint32_t visible = attr::kReadOnly | attr::kHidden | attr::kSystem;
  for (const auto& c : cases) {
    const std::wstring file = root_ + L"ReleaseInfo";
    if (fs().GetAttributes(file) != attr::kInvalid) {
      ASSERT_EQ(fs().SetAttributes(file, attr::kNormal), 0u);
    }
    Write(file, "<ROOT/>", c.before);
    SetReadOnlyAttribute(fs(), file, c.readOnly);
    EXPECT_EQ(fs().GetAttributes(file) & visible, c.after) << c.before << " " << c.readOnly;
  }
  SetReadOnlyAttribute(fs(), root_ + L"Updater.exe.cfg", false);  // missing: nothing happens
  EXPECT_EQ(fs().GetAttributes(root_ + L"Updater.exe.cfg"), attr::kInvalid);
}

TEST_F(FileOperationsTest, ForceFoldersCreatesEveryMissingParent) {
  EXPECT_TRUE(ForceFolders(fs(), root_ + L"a\\b\\\\c\\"));
  EXPECT_TRUE(FolderExists(fs(), root_ + L"a\\b\\c"));
  EXPECT_TRUE(ForceFolders(fs(), root_ + L"a\\b"));  // already there
  Write(root_ + L"file", "x");
  EXPECT_FALSE(ForceFolders(fs(), root_ + L"file\\below"));
}

}  // namespace
}  // namespace engine
