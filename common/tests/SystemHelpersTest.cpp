// The shell's folder copy through CopyFolderByShell: natively on the shell double over the
// in-memory file system, under Wine on the real shell, with the same expectations.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "VR_Common_Proc.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/TestEnvironment.h"
#include "text/Utf.h"
#ifdef _WIN32
#include "os/win32/Win32Shell.h"
#else
#include "os/testing/FakeShell.h"
#endif

namespace {

using os::testing::FindNames;
using os::testing::ReadBytes;
using os::testing::WriteBytes;

std::unique_ptr<os::IShell> MakeShell([[maybe_unused]] os::IFileSystem& fs) {
#ifdef _WIN32
  return std::make_unique<os::win32::Win32Shell>();
#else
  return std::make_unique<os::testing::FakeShell>(fs);
#endif
}

bool IsFolder(os::IFileSystem& fs, const std::wstring& path) {
  const auto attributes = fs.GetAttributes(path);
  return attributes != os::attr::kInvalid && (attributes & os::attr::kDirectory) != 0;
}

class CopyFolderByShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    env_ = os::testing::MakeTestEnvironment();
    shell_ = MakeShell(env_->Fs());
    scratch_ = env_->NewScratchFolder();
    // A medium's "Usbprep" folder: files at the top, a sub-folder with a deeper one, and an
    // empty sub-folder.
    kit_ = scratch_ + L"Kit\\";
    source_ = kit_ + L"Usbprep\\";
    for (const std::wstring& folder :
         {kit_, source_, source_ + L"x64\\", source_ + L"x64\\Драйвер\\", source_ + L"empty\\"}) {
      ASSERT_EQ(Fs().CreateFolder(folder), 0u) << text::ToUtf8(folder);
    }
    WriteBytes(Fs(), source_ + L"Usbprep.exe", "MZ program");
    WriteBytes(Fs(), source_ + L"readme.txt", "");
    WriteBytes(Fs(), source_ + L"x64\\dpinst.exe", std::string(70000, 'd'));
    WriteBytes(Fs(), source_ + L"x64\\Драйвер\\ftdibus.inf", "[Version]\r\n");
    target_ = scratch_ + L"Target\\";
    ASSERT_EQ(Fs().CreateFolder(target_), 0u);
  }

  os::IFileSystem& Fs() { return env_->Fs(); }

  // Every file and folder below `folder`, as relative paths with their content ("<dir>" for a
  // folder), sorted.
  std::vector<std::string> Tree(const std::wstring& folder, const std::wstring& prefix = L"") {
    std::vector<std::string> result;
    os::ErrorCode error = 0;
    for (const std::wstring& name : FindNames(Fs(), folder + L"*", error)) {
      const std::wstring path = folder + name;
      if (IsFolder(Fs(), path)) {
        result.push_back(text::ToUtf8(prefix + name) + " <dir>");
        for (std::string& below : Tree(path + L"\\", prefix + name + L"\\")) {
          result.push_back(std::move(below));
        }
      } else {
        result.push_back(text::ToUtf8(prefix + name) + " " + ReadBytes(Fs(), path).value_or("?"));
      }
    }
    return result;
  }

  // What a copy of the source tree below `root` (a relative prefix such as "Usbprep\\") holds.
  // Windows copies the whole tree. Wine's shell applies the files-only flag inside the folder
  // copy as well and leaves every sub-folder out, so under Wine only the top files are expected.
  std::vector<std::string> CopyOfSource(const std::string& root = "") {
    std::vector<std::string> copy;
    for (const std::string& entry : Tree(source_)) {
      const std::string name = entry.substr(0, entry.find(' '));
      const bool below = name.find('\\') != std::string::npos;
      const bool folder = entry.size() >= 6 && entry.compare(entry.size() - 6, 6, " <dir>") == 0;
      if (!os::testing::RunningUnderWine() || (!below && !folder)) {
        copy.push_back(root + entry);
      }
    }
    return copy;
  }

  std::unique_ptr<os::testing::TestEnvironment> env_;
  std::unique_ptr<os::IShell> shell_;
  std::wstring scratch_, kit_, source_, target_;
};

// How the caller spells the two folders: with or without their trailing backslash.
struct Spelling {
  const char* name;
  bool sourceBackslash;
  bool destBackslash;
};

void PrintTo(const Spelling& s, std::ostream* os) {
  *os << s.name;
}

class CopyFolderByShellSpelling : public CopyFolderByShellTest,
                                  public ::testing::WithParamInterface<Spelling> {};

TEST_P(CopyFolderByShellSpelling, NewDestBecomesACopyOfTheSourceTree) {
  const Spelling& s = GetParam();
  std::wstring source = source_;
  if (!s.sourceBackslash) {
    source.pop_back();
  }
  std::wstring dest = target_ + L"Usbprep";
  if (s.destBackslash) {
    dest += L"\\";
  }
  const auto original = Tree(source_);
  ASSERT_EQ(original.size(), 7u);  // the set-up is what the comparison below relies on

  EXPECT_TRUE(vr::CopyFolderByShell(*shell_, source, dest));

  EXPECT_EQ(Tree(target_ + L"Usbprep\\"), CopyOfSource());
  std::vector<std::string> copied = CopyOfSource("Usbprep\\");
  copied.insert(copied.begin(), "Usbprep <dir>");
  EXPECT_EQ(Tree(target_), copied);
  EXPECT_EQ(Tree(source_), original) << "the source is left as it was";
}

INSTANTIATE_TEST_SUITE_P(, CopyFolderByShellSpelling,
                         ::testing::Values(Spelling{"SourceWithBackslash", true, false},
                                           Spelling{"BothWithBackslash", true, true},
                                           Spelling{"DestWithBackslash", false, true},
                                           Spelling{"NeitherWithBackslash", false, false}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(CopyFolderByShellTest, MissingSourceFailsAndCreatesNothing) {
  EXPECT_FALSE(vr::CopyFolderByShell(*shell_, kit_ + L"NoSuchFolder\\", target_ + L"Usbprep"));
  EXPECT_EQ(Tree(target_), std::vector<std::string>{});
  EXPECT_FALSE(IsFolder(Fs(), target_ + L"Usbprep"));
}

// The shell copies a folder into an existing destination folder under its own name.
TEST_F(CopyFolderByShellTest, ExistingDestReceivesTheFolderUnderItsOwnName) {
  EXPECT_TRUE(vr::CopyFolderByShell(*shell_, source_, target_));
  EXPECT_EQ(Tree(target_ + L"Usbprep\\"), CopyOfSource());
}

// Missing folders on the way to the destination are made.
TEST_F(CopyFolderByShellTest, MissingFoldersOnTheWayAreCreated) {
  EXPECT_TRUE(vr::CopyFolderByShell(*shell_, source_, target_ + L"a\\b\\Usbprep\\"));
  EXPECT_EQ(Tree(target_ + L"a\\b\\Usbprep\\"), CopyOfSource());
}

}  // namespace
