// The double's own surface, natively: its fault injection and inspection, and the Windows
// behaviour the contract suite cannot reach from a scratch folder (drives, the current folder,
// the NTFS order of Find, the case folding table).
#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"
#include "text/Utf.h"

namespace os::testing {
namespace {

constexpr ErrorCode kDirectoryNameInvalid = 267;

std::string U8(const std::wstring& s) {
  return text::ToUtf8(s);
}

class MemoryFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(fs_.CreateFolder(L"C:\\work"), 0u); }

  std::unique_ptr<IFile> Open(const std::wstring& path, Access access,
                              Disposition disposition = Disposition::kOpenExisting,
                              Share share = Share::kNone) {
    ErrorCode error = 0;
    auto file = fs_.Open(path, access, share, disposition, error);
    EXPECT_NE(file, nullptr) << U8(path) << " " << error;
    return file;
  }
  ErrorCode OpenError(const std::wstring& path, Access access,
                      Disposition disposition = Disposition::kOpenExisting) {
    ErrorCode error = 0;
    const auto file = fs_.Open(path, access, Share::kNone, disposition, error);
    EXPECT_EQ(file != nullptr, error == 0);
    return error;
  }
  // Reads `size` bytes: what came and the result.
  static std::pair<std::string, ErrorCode> ReadSome(IFile& file, std::uint32_t size) {
    std::string buffer(size, '\0');
    std::uint32_t read = 0;
    const ErrorCode error = file.Read(buffer.data(), size, read);
    buffer.resize(read);
    return {buffer, error};
  }
  static std::pair<std::uint32_t, ErrorCode> WriteSome(IFile& file, std::string_view bytes) {
    std::uint32_t written = 0;
    const ErrorCode error =
        file.Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), written);
    return {written, error};
  }

  MemoryFileSystem fs_;
};

TEST(FoldCase, UpperCasesAsciiLatin1AndCyrillic) {
  const std::pair<wchar_t, wchar_t> pairs[] = {
      {L'a', L'A'},           {L'z', L'Z'}, {L'\u00E0', L'\u00C0'},  // à
      {L'\u00FE', L'\u00DE'},                                        // þ
      {L'\u00FF', L'\u0178'},                                        // ÿ
      {L'\u0430', L'\u0410'},                                        // а
      {L'\u044F', L'\u042F'},                                        // я
      {L'\u0451', L'\u0401'},                                        // ё
      {L'\u0452', L'\u0402'},                                        // ђ
      {L'\u045F', L'\u040F'},                                        // џ
      {L'\u0463', L'\u0462'},                                        // ѣ
      {L'\u0491', L'\u0490'},                                        // ґ
      {L'\u04C2', L'\u04C1'},                                        // ӂ
      {L'\u04CF', L'\u04C0'},                                        // ӏ
      {L'\u04D1', L'\u04D0'},                                        // ӑ
  };
  for (const auto& [lower, upper] : pairs) {
    EXPECT_EQ(FoldCase(lower), upper) << static_cast<int>(lower);
    EXPECT_EQ(FoldCase(upper), upper) << static_cast<int>(upper);
  }
  const wchar_t unchanged[] = {L'1', L'_', L'.', L'\u00F7', L'\u00D7', L'\u20AC', L'\u4E2D'};
  for (const wchar_t c : unchanged) {
    EXPECT_EQ(FoldCase(c), c) << static_cast<int>(c);
  }
  EXPECT_EQ(FoldCase(std::wstring_view(L"Ёлка-Ärger.txt")), L"ЁЛКА-ÄRGER.TXT");
}

TEST_F(MemoryFileSystemTest, FailOpenFailsEveryOpenOfThatPathOnly) {
  WriteBytes(fs_, L"C:\\work\\source.dll", "library");
  fs_.FailOpen(L"c:\\WORK\\Source.DLL", error::kAccessDenied);  // spelled differently
  fs_.FailOpen(L"C:\\work\\new.dll", error::kWriteFault);       // not there yet
  struct Case {
    const wchar_t* path;
    Access access;
    Disposition disposition;
    ErrorCode expected;
  };
  const Case cases[] = {
      {L"C:\\work\\source.dll", Access::kRead, Disposition::kOpenExisting, error::kAccessDenied},
      {L"C:\\work\\source.dll", Access::kReadWrite, Disposition::kCreateAlways,
       error::kAccessDenied},
      {L"C:\\work\\new.dll", Access::kReadWrite, Disposition::kCreateNew, error::kWriteFault},
      {L"C:\\work\\other.dll", Access::kReadWrite, Disposition::kCreateNew, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OpenError(c.path, c.access, c.disposition), c.expected) << U8(c.path);
  }
  EXPECT_FALSE(fs_.Exists(L"C:\\work\\new.dll"));
  EXPECT_EQ(fs_.Content(L"C:\\work\\source.dll"), "library");
  // The system copy opens both files too.
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\source.dll", L"C:\\work\\copy.dll", false),
            error::kAccessDenied);
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\other.dll", L"C:\\work\\new.dll", false),
            error::kWriteFault);
  EXPECT_FALSE(fs_.Exists(L"C:\\work\\copy.dll"));
  fs_.ClearFaults();
  EXPECT_EQ(OpenError(L"C:\\work\\source.dll", Access::kRead), 0u);
}

TEST_F(MemoryFileSystemTest, FailReadAfterDeliversTheBytesBeforeTheOffsetThenFails) {
  WriteBytes(fs_, L"C:\\work\\data.bin", "0123456789");
  fs_.FailReadAfter(L"C:\\work\\data.bin", 6, error::kReadFault);
  auto file = Open(L"C:\\work\\data.bin", Access::kRead);
  ASSERT_NE(file, nullptr);
  const std::tuple<std::uint32_t, std::string, ErrorCode> reads[] = {
      {4, "0123", 0},
      {4, "45", error::kReadFault},  // the bytes before the offset, with the error
      {4, "", error::kReadFault},
      {1, "", error::kReadFault},
  };
  for (const auto& [size, expected, code] : reads) {
    const auto [bytes, error] = ReadSome(*file, size);
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(error, code);
  }
  // A file no longer than the offset reads to its end as usual.
  WriteBytes(fs_, L"C:\\work\\short.bin", "abc");
  fs_.FailReadAfter(L"C:\\work\\short.bin", 3, error::kReadFault);
  auto shortFile = Open(L"C:\\work\\short.bin", Access::kRead);
  ASSERT_NE(shortFile, nullptr);
  EXPECT_EQ(ReadSome(*shortFile, 10), std::make_pair(std::string("abc"), ErrorCode{0}));
  EXPECT_EQ(ReadSome(*shortFile, 10), std::make_pair(std::string(), ErrorCode{0}));
}

TEST_F(MemoryFileSystemTest, FailWriteAfterStoresTheBytesBeforeTheOffsetThenFails) {
  fs_.FailWriteAfter(L"C:\\work\\out.bin", 5, error::kWriteFault);
  {
    auto file = Open(L"C:\\work\\out.bin", Access::kReadWrite, Disposition::kCreateAlways);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(WriteSome(*file, "abc"), std::make_pair(3u, ErrorCode{0}));
    EXPECT_EQ(WriteSome(*file, "defg"), std::make_pair(2u, error::kWriteFault));
    EXPECT_EQ(WriteSome(*file, "h"), std::make_pair(0u, error::kWriteFault));
  }
  EXPECT_EQ(fs_.Content(L"C:\\work\\out.bin"), "abcde");
  // Other files write freely.
  WriteBytes(fs_, L"C:\\work\\other.bin", "0123456789");
  EXPECT_EQ(fs_.Content(L"C:\\work\\other.bin"), "0123456789");
}

TEST_F(MemoryFileSystemTest, CapacityLimitsTheContentOfAllFiles) {
  WriteBytes(fs_, L"C:\\work\\first.bin", "12345");
  fs_.SetCapacity(10);
  {
    auto file = Open(L"C:\\work\\second.bin", Access::kReadWrite, Disposition::kCreateAlways);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(WriteSome(*file, "abcdefgh"), std::make_pair(5u, error::kDiskFull));
    EXPECT_EQ(WriteSome(*file, "x"), std::make_pair(0u, error::kDiskFull));
  }
  EXPECT_EQ(fs_.Content(L"C:\\work\\second.bin"), "abcde");
  EXPECT_EQ(fs_.UsedBytes(), 10u);
  {
    // Overwriting within a file needs no room.
    auto file = Open(L"C:\\work\\first.bin", Access::kReadWrite);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(WriteSome(*file, "XY"), std::make_pair(2u, ErrorCode{0}));
  }
  EXPECT_EQ(fs_.Content(L"C:\\work\\first.bin"), "XY345");
  // The system copy needs room for the whole file; replacing frees the old content first.
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\first.bin", L"C:\\work\\copy.bin", false), error::kDiskFull);
  EXPECT_FALSE(fs_.Exists(L"C:\\work\\copy.bin"));
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\first.bin", L"C:\\work\\second.bin", false), 0u);
  EXPECT_EQ(fs_.Content(L"C:\\work\\second.bin"), "XY345");
  // Removing frees room.
  ASSERT_EQ(fs_.RemoveFile(L"C:\\work\\second.bin"), 0u);
  EXPECT_EQ(fs_.UsedBytes(), 5u);
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\first.bin", L"C:\\work\\copy.bin", false), 0u);
  EXPECT_THROW(WriteBytes(fs_, L"C:\\work\\more.bin", "1"), std::runtime_error);
  // A failed copy leaves no destination behind, not even the one it was to replace.
  ASSERT_EQ(fs_.RemoveFile(L"C:\\work\\copy.bin"), 0u);
  WriteBytes(fs_, L"C:\\work\\copy.bin", "12");
  fs_.SetCapacity(9);
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\first.bin", L"C:\\work\\copy.bin", false), error::kDiskFull);
  EXPECT_FALSE(fs_.Exists(L"C:\\work\\copy.bin"));
}

TEST_F(MemoryFileSystemTest, FailSystemCopyFailsCopiesFromOrToThePath) {
  WriteBytes(fs_, L"C:\\work\\a.txt", "a");
  WriteBytes(fs_, L"C:\\work\\b.txt", "b");
  fs_.FailSystemCopy(L"C:\\work\\a.txt", error::kHandleDiskFull);
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\a.txt", L"C:\\work\\c.txt", false), error::kHandleDiskFull);
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\b.txt", L"C:\\work\\A.TXT", false), error::kHandleDiskFull);
  EXPECT_FALSE(fs_.Exists(L"C:\\work\\c.txt"));
  EXPECT_EQ(fs_.Content(L"C:\\work\\a.txt"), "a");
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\b.txt", L"C:\\work\\c.txt", false), 0u);
  EXPECT_EQ(ReadBytes(fs_, L"C:\\work\\a.txt"), "a");  // plain opens are not affected
}

TEST_F(MemoryFileSystemTest, CountsHandlesAndLogsOpens) {
  WriteBytes(fs_, L"C:\\work\\a.txt", "a");
  fs_.ClearOpenCalls();
  EXPECT_EQ(fs_.OpenHandleCount(), 0u);
  {
    auto first = Open(L"C:\\work\\a.txt", Access::kRead, Disposition::kOpenExisting, Share::kRead);
    auto second = Open(L"c:/work/A.TXT", Access::kRead, Disposition::kOpenExisting, Share::kRead);
    EXPECT_EQ(fs_.OpenHandleCount(), 2u);
    EXPECT_EQ(OpenError(L"C:\\work\\missing.txt", Access::kRead), error::kFileNotFound);
    EXPECT_EQ(fs_.OpenHandleCount(), 2u);
    first.reset();
    EXPECT_EQ(fs_.OpenHandleCount(), 1u);
  }
  EXPECT_EQ(fs_.OpenHandleCount(), 0u);
  const auto& calls = fs_.OpenCalls();
  ASSERT_EQ(calls.size(), 3u);
  EXPECT_EQ(calls[1].path, L"c:/work/A.TXT");  // as the caller spelled it
  EXPECT_EQ(calls[1].access, Access::kRead);
  EXPECT_EQ(calls[1].share, Share::kRead);
  EXPECT_EQ(calls[1].disposition, Disposition::kOpenExisting);
  EXPECT_EQ(calls[2].share, Share::kNone);
}

TEST_F(MemoryFileSystemTest, TheClockStampsNewAndWrittenFilesAndChangedFolders) {
  constexpr FileTime kT1 = 130000000000000000ull;
  constexpr FileTime kT2 = 131000000000000000ull;
  constexpr FileTime kT3 = 132000000000000000ull;
  fs_.SetNow(kT1);
  WriteBytes(fs_, L"C:\\work\\a.txt", "");
  std::vector<FindEntry> entries;
  ASSERT_EQ(fs_.Find(L"C:\\work\\a.txt", entries), 0u);
  EXPECT_EQ(entries.at(0).lastWrite, kT1);
  fs_.SetNow(kT2);
  {
    auto file = Open(L"C:\\work\\a.txt", Access::kReadWrite);
    ASSERT_NE(file, nullptr);
    FileTime time = 0;
    ASSERT_EQ(file->GetLastWriteTime(time), 0u);
    EXPECT_EQ(time, kT1);  // opening changes nothing
    WriteSome(*file, "x");
    ASSERT_EQ(file->GetLastWriteTime(time), 0u);
    EXPECT_EQ(time, kT2);
    ASSERT_EQ(file->SetLastWriteTime(0), 0u);  // zero: leave the time alone
    ASSERT_EQ(file->GetLastWriteTime(time), 0u);
    EXPECT_EQ(time, kT2);
  }
  fs_.SetNow(kT3);
  ASSERT_EQ(fs_.CreateFolder(L"C:\\work\\Sub"), 0u);
  entries.clear();
  ASSERT_EQ(fs_.Find(L"C:\\work", entries), 0u);
  EXPECT_EQ(entries.at(0).lastWrite, kT3);  // the folder's content changed
}

TEST_F(MemoryFileSystemTest, LocalTimeUsesTheConfiguredOffset) {
  constexpr FileTime kUtc = 132366900317234567ull;
  constexpr FileTime kHour = 36'000'000'000ull;
  const int offsets[] = {0, 180, -300};
  for (const int minutes : offsets) {
    fs_.SetUtcOffsetMinutes(minutes);
    FileTime local = 0;
    ASSERT_TRUE(fs_.UtcToLocal(kUtc, local));
    EXPECT_EQ(static_cast<std::int64_t>(local - kUtc),
              minutes / 60 * static_cast<std::int64_t>(kHour));
    FileTime utc = 0;
    ASSERT_TRUE(fs_.LocalToUtc(local, utc));
    EXPECT_EQ(utc, kUtc);
  }
  fs_.SetUtcOffsetMinutes(-60);
  FileTime out = 0;
  EXPECT_FALSE(fs_.UtcToLocal(kHour - 1, out));  // before 1601
  fs_.SetUtcOffsetMinutes(60);
  EXPECT_FALSE(fs_.LocalToUtc(kHour - 1, out));
}

TEST_F(MemoryFileSystemTest, FindSortsLikeNtfsWithDotEntriesFirst) {
  const wchar_t* names[] = {L"Я.txt", L"b", L"ёж", L"A", L"Äpfel", L"C.txt", L"_x"};
  for (const wchar_t* name : names) {
    WriteBytes(fs_, std::wstring(L"C:\\work\\") + name, "");
  }
  std::vector<FindEntry> entries;
  ASSERT_EQ(fs_.Find(L"C:\\work\\*", entries), 0u);
  std::vector<std::wstring> order;
  for (const auto& entry : entries) {
    order.push_back(entry.name);
  }
  EXPECT_EQ(order, (std::vector<std::wstring>{L".", L"..", L"A", L"b", L"C.txt", L"_x", L"Äpfel",
                                              L"ёж", L"Я.txt"}));
  // The root of a drive has no dot entries.
  entries.clear();
  ASSERT_EQ(fs_.Find(L"C:\\*", entries), 0u);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, L"work");
  // Find appends.
  ASSERT_EQ(fs_.Find(L"C:\\*", entries), 0u);
  EXPECT_EQ(entries.size(), 2u);
}

TEST_F(MemoryFileSystemTest, RelativePathsStartAtTheCurrentFolder) {
  EXPECT_EQ(fs_.CurrentFolder(), L"C:\\");
  ASSERT_EQ(fs_.SetCurrentFolder(L"c:\\WORK\\"), 0u);
  EXPECT_EQ(fs_.CurrentFolder(), L"c:\\WORK");
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"x.txt", L"C:\\work\\x.txt"},
      {L".\\y.txt", L"C:\\work\\y.txt"},
      {L"..\\z.txt", L"C:\\z.txt"},
      {L"\\root.txt", L"C:\\root.txt"},
      {L"C:drive.txt", L"C:\\work\\drive.txt"},
  };
  for (const auto& [relative, absolute] : cases) {
    WriteBytes(fs_, relative, "here");
    EXPECT_EQ(fs_.Content(absolute), "here") << U8(relative);
  }
  EXPECT_EQ(fs_.FullPath(L"sub\\..\\a.txt"), L"c:\\WORK\\a.txt");
  EXPECT_EQ(fs_.FullPath(L"..\\..\\a.txt"), L"c:\\a.txt");
  EXPECT_EQ(fs_.FullPath(L"\\a.txt"), L"c:\\a.txt");
  EXPECT_EQ(fs_.FullPath(L"C:\\a\\..."), L"C:\\a\\");  // trailing dots go, the separator stays
  EXPECT_EQ(fs_.RemoveFolder(L"C:\\work"), error::kSharingViolation);
  EXPECT_EQ(fs_.SetCurrentFolder(L"C:\\missing"), error::kFileNotFound);
  EXPECT_EQ(fs_.SetCurrentFolder(L"C:\\work\\x.txt"), kDirectoryNameInvalid);
  EXPECT_EQ(fs_.CurrentFolder(), L"c:\\WORK");
}

TEST_F(MemoryFileSystemTest, OtherDrivesExistOnlyWhenAdded) {
  WriteBytes(fs_, L"C:\\work\\a.txt", "a");
  EXPECT_EQ(OpenError(L"D:\\x.txt", Access::kReadWrite, Disposition::kCreateAlways),
            error::kPathNotFound);
  EXPECT_EQ(fs_.CreateFolder(L"D:\\dir"), error::kPathNotFound);
  fs_.AddDrive(L'd');
  EXPECT_EQ(fs_.GetAttributes(L"D:\\"), attr::kDirectory);
  EXPECT_EQ(fs_.Move(L"C:\\work\\a.txt", L"d:\\moved.txt"), 0u);
  EXPECT_EQ(fs_.Content(L"D:\\MOVED.TXT"), "a");
  EXPECT_EQ(fs_.FullPath(L"d:relative"), L"d:\\relative");  // another drive: its root
}

TEST_F(MemoryFileSystemTest, WindowsOnlyNameRules) {
  const std::pair<const wchar_t*, ErrorCode> cases[] = {
      {L"C:\\work\\a:b", error::kInvalidName},  // no streams here
      {L"C:\\work\\tab\there", error::kInvalidName},
      {L"\\\\server\\share\\x.txt", error::kInvalidName},
      {L"", error::kPathNotFound},
  };
  for (const auto& [path, expected] : cases) {
    EXPECT_EQ(OpenError(path, Access::kReadWrite, Disposition::kCreateAlways), expected)
        << U8(path);
  }
  EXPECT_EQ(fs_.FullPath(L"\\\\server\\share"), L"\\\\server\\share");  // left as given
}

TEST_F(MemoryFileSystemTest, FoldersWithOpenFilesOrIntoThemselvesCannotMove) {
  ASSERT_EQ(fs_.CreateFolder(L"C:\\work\\Sub"), 0u);
  ASSERT_EQ(fs_.CreateFolder(L"C:\\work\\Sub\\Deeper"), 0u);
  WriteBytes(fs_, L"C:\\work\\Sub\\Deeper\\a.txt", "a");
  {
    auto file = Open(L"C:\\work\\Sub\\Deeper\\a.txt", Access::kRead, Disposition::kOpenExisting,
                     Share::kReadWrite);
    EXPECT_EQ(fs_.Move(L"C:\\work\\Sub", L"C:\\work\\Other"), error::kAccessDenied);
  }
  EXPECT_EQ(fs_.Move(L"C:\\work\\Sub", L"C:\\work\\Sub\\Deeper\\Sub"), error::kInvalidParameter);
  EXPECT_EQ(fs_.Move(L"C:\\work\\Sub", L"C:\\work\\Other"), 0u);
  EXPECT_EQ(fs_.Content(L"C:\\work\\Other\\Deeper\\a.txt"), "a");
}

TEST_F(MemoryFileSystemTest, SystemCopyReplacesHiddenOrSystemFilesFromALikeSource) {
  WriteBytes(fs_, L"C:\\work\\src.txt", "new");
  WriteBytes(fs_, L"C:\\work\\dst.txt", "old");
  ASSERT_EQ(fs_.SetAttributes(L"C:\\work\\src.txt", attr::kHidden | attr::kSystem), 0u);
  ASSERT_EQ(fs_.SetAttributes(L"C:\\work\\dst.txt", attr::kHidden), 0u);
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\src.txt", L"C:\\work\\dst.txt", false), 0u);
  EXPECT_EQ(fs_.Content(L"C:\\work\\dst.txt"), "new");
  EXPECT_EQ(fs_.GetAttributes(L"C:\\work\\dst.txt"),
            attr::kHidden | attr::kSystem | attr::kArchive);
  // A destination another handle holds open is not replaced.
  auto holder =
      Open(L"C:\\work\\dst.txt", Access::kRead, Disposition::kOpenExisting, Share::kReadWrite);
  EXPECT_EQ(fs_.SystemCopy(L"C:\\work\\src.txt", L"C:\\work\\dst.txt", false),
            error::kSharingViolation);
}

TEST_F(MemoryFileSystemTest, InspectionSeesFilesAndFolders) {
  WriteBytes(fs_, L"C:\\work\\Ёлка.txt", "content");
  const std::tuple<const wchar_t*, bool, std::optional<std::string>> cases[] = {
      {L"C:\\work\\ёЛКА.TXT", true, "content"},    {L"C:\\work", true, std::nullopt},
      {L"C:\\work\\", true, std::nullopt},         {L"C:\\work\\Ёлка.txt\\", false, std::nullopt},
      {L"C:\\work\\missing", false, std::nullopt}, {L"C:\\missing\\x", false, std::nullopt},
  };
  for (const auto& [path, exists, content] : cases) {
    EXPECT_EQ(fs_.Exists(path), exists) << U8(path);
    EXPECT_EQ(fs_.Content(path), content) << U8(path);
  }
}

TEST_F(MemoryFileSystemTest, ErrorTextsOfCodesBeyondTheTable) {
  EXPECT_EQ(fs_.ErrorText(4242), L"System error 4242");
  EXPECT_EQ(fs_.ErrorText(kDirectoryNameInvalid), L"The directory name is invalid.");
  EXPECT_EQ(fs_.ErrorText(error::kDiskFull), L"There is not enough space on the disk.");
}

TEST(MemoryFileSystemLifetime, AHandleOutlivingTheFileSystemReportsAnInvalidHandle) {
  std::unique_ptr<IFile> file;
  {
    MemoryFileSystem fs;
    ErrorCode error = 0;
    file =
        fs.Open(L"C:\\a.txt", Access::kReadWrite, Share::kNone, Disposition::kCreateAlways, error);
    ASSERT_NE(file, nullptr);
  }
  std::uint32_t done = 5;
  char byte = 0;
  EXPECT_EQ(file->Read(&byte, 1, done), error::kInvalidHandle);
  EXPECT_EQ(done, 0u);
  EXPECT_EQ(file->Write("x", 1, done), error::kInvalidHandle);
  std::uint64_t size = 0;
  EXPECT_EQ(file->GetSize(size), error::kInvalidHandle);
}

}  // namespace
}  // namespace os::testing
