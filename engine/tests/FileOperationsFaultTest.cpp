// The engine's file operations against faults that only the in-memory double can inject: read
// and write errors in the middle of a copy, a full disk, failing opens.
#include <gtest/gtest.h>

#include "Error.h"
#include "Raised.h"
#include "RecordingProgress.h"
#include "engine/CopyStep.h"
#include "engine/FileOperations.h"
#include "os/testing/FileHelpers.h"
#include "os/testing/MemoryFileSystem.h"

namespace engine {
namespace {

using testing::RaisedMessage;

using os::testing::MemoryFileSystem;
using os::testing::WriteBytes;

constexpr std::uint64_t kMiB = 1024 * 1024;

std::string Pattern(std::uint64_t size) {
  std::string content(size, '\0');
  for (std::uint64_t i = 0; i < size; ++i) {
    content[i] = static_cast<char>((i * 7 + i / 1000) & 0xFF);
  }
  return content;
}

// Passes every call to the double and records the size of every read, so a test can see the
// blocks the copy moves.
class ReadRecorder : public os::IFileSystem {
 public:
  explicit ReadRecorder(os::IFileSystem& inner) : inner_(inner) {}
  std::vector<std::uint32_t> reads;

  std::unique_ptr<os::IFile> Open(const std::wstring& path, os::Access access, os::Share share,
                                  os::Disposition disposition, os::ErrorCode& error) override {
    auto file = inner_.Open(path, access, share, disposition, error);
    return file ? std::make_unique<File>(std::move(file), reads) : nullptr;
  }
  std::uint32_t GetAttributes(const std::wstring& p) override { return inner_.GetAttributes(p); }
  os::ErrorCode SetAttributes(const std::wstring& p, std::uint32_t a) override {
    return inner_.SetAttributes(p, a);
  }
  os::ErrorCode CreateFolder(const std::wstring& p) override { return inner_.CreateFolder(p); }
  os::ErrorCode RemoveFolder(const std::wstring& p) override { return inner_.RemoveFolder(p); }
  os::ErrorCode RemoveFile(const std::wstring& p) override { return inner_.RemoveFile(p); }
  os::ErrorCode Move(const std::wstring& f, const std::wstring& t) override {
    return inner_.Move(f, t);
  }
  os::ErrorCode Replace(const std::wstring& f, const std::wstring& t) override {
    return inner_.Replace(f, t);
  }
  os::ErrorCode SystemCopy(const std::wstring& s, const std::wstring& d, bool f) override {
    return inner_.SystemCopy(s, d, f);
  }
  os::ErrorCode Find(const std::wstring& p, std::vector<os::FindEntry>& e) override {
    return inner_.Find(p, e);
  }
  std::wstring FullPath(const std::wstring& p) override { return inner_.FullPath(p); }
  bool UtcToLocal(os::FileTime u, os::FileTime& l) override { return inner_.UtcToLocal(u, l); }
  bool LocalToUtc(os::FileTime l, os::FileTime& u) override { return inner_.LocalToUtc(l, u); }
  std::wstring ErrorText(os::ErrorCode c) override { return inner_.ErrorText(c); }

 private:
  class File : public os::IFile {
   public:
    File(std::unique_ptr<os::IFile> inner, std::vector<std::uint32_t>& reads)
        : inner_(std::move(inner)), reads_(reads) {}
    os::ErrorCode Read(void* b, std::uint32_t s, std::uint32_t& r) override {
      reads_.push_back(s);
      return inner_->Read(b, s, r);
    }
    os::ErrorCode Write(const void* b, std::uint32_t s, std::uint32_t& w) override {
      return inner_->Write(b, s, w);
    }
    os::ErrorCode GetSize(std::uint64_t& s) override { return inner_->GetSize(s); }
    os::ErrorCode GetLastWriteTime(os::FileTime& t) override { return inner_->GetLastWriteTime(t); }
    os::ErrorCode SetLastWriteTime(os::FileTime t) override { return inner_->SetLastWriteTime(t); }
    os::ErrorCode Flush() override { return inner_->Flush(); }

   private:
    std::unique_ptr<os::IFile> inner_;
    std::vector<std::uint32_t>& reads_;
  };
  os::IFileSystem& inner_;
};

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(fs_.CreateFolder(L"C:\\kit"), 0u); }
  MemoryFileSystem fs_;
  const std::wstring source_ = L"C:\\kit\\R40.FDB";
  const std::wstring destination_ = L"C:\\kit\\copy.FDB";
};

TEST_F(FaultTest, CopiesInBlocksOfAtMostOneMebibyte) {
  struct Case {
    std::uint64_t size;
    std::vector<std::uint32_t> reads;
  };
  const std::uint32_t m = static_cast<std::uint32_t>(kMiB);
  const Case cases[] = {
      {0, {}},
      {10, {10}},
      {kMiB, {m}},
      {3 * kMiB + 5, {m, m, m, 5}},
  };
  for (const auto& c : cases) {
    WriteBytes(fs_, source_, Pattern(c.size));
    ReadRecorder recorder(fs_);
    ASSERT_TRUE(CopySingleFile(recorder, source_, destination_));
    EXPECT_EQ(recorder.reads, c.reads) << c.size;
  }
}

TEST_F(FaultTest, OpensBothFilesWithoutSharing) {
  WriteBytes(fs_, source_, "db");
  fs_.ClearOpenCalls();
  ASSERT_TRUE(CopySingleFile(fs_, source_, destination_));
  ASSERT_EQ(fs_.OpenCalls().size(), 2u);
  const auto& in = fs_.OpenCalls()[0];
  const auto& out = fs_.OpenCalls()[1];
  EXPECT_EQ(in.path, source_);
  EXPECT_EQ(in.access, os::Access::kRead);
  EXPECT_EQ(in.share, os::Share::kNone);
  EXPECT_EQ(in.disposition, os::Disposition::kOpenExisting);
  EXPECT_EQ(out.path, destination_);
  EXPECT_EQ(out.access, os::Access::kReadWrite);
  EXPECT_EQ(out.share, os::Share::kNone);
  EXPECT_EQ(out.disposition, os::Disposition::kCreateAlways);
}

TEST_F(FaultTest, AContentErrorGivesFalseAndLeavesThePartialDestination) {
  const std::string content = Pattern(3 * kMiB);
  struct Case {
    const char* what;
    void (*inject)(MemoryFileSystem&, const std::wstring& source, const std::wstring& dest);
    std::uint64_t kept;  // bytes the destination holds afterwards
  };
  const Case cases[] = {
      {"read error in the second block",
       [](MemoryFileSystem& fs, const std::wstring& s, const std::wstring&) {
         fs.FailReadAfter(s, kMiB + kMiB / 2, os::error::kReadFault);
       },
       kMiB},
      {"write error in the third block",
       [](MemoryFileSystem& fs, const std::wstring&, const std::wstring& d) {
         fs.FailWriteAfter(d, 2 * kMiB + 10, os::error::kWriteFault);
       },
       2 * kMiB + 10},
      {"disk full in the first block",
       [](MemoryFileSystem& fs, const std::wstring&, const std::wstring&) {
         fs.SetCapacity(3 * kMiB + 4096);
       },
       4096},
  };
  for (const auto& c : cases) {
    fs_.ClearFaults();
    fs_.SetCapacity(UINT64_MAX);
    fs_.RemoveFile(destination_);
    WriteBytes(fs_, source_, content);
    c.inject(fs_, source_, destination_);
    EXPECT_FALSE(CopySingleFile(fs_, source_, destination_)) << c.what;
    EXPECT_EQ(fs_.Content(destination_), content.substr(0, c.kept)) << c.what;
    EXPECT_EQ(fs_.OpenHandleCount(), 0u) << c.what;
  }
}

TEST_F(FaultTest, OpenAndCreateFailuresRaiseWithTheFullPathAndTheSystemText) {
  WriteBytes(fs_, source_, "db");
  fs_.FailOpen(source_, os::error::kAccessDenied);
  EXPECT_EQ(RaisedMessage([&] { CopySingleFile(fs_, source_, destination_); }),
            L"Cannot open file \"C:\\kit\\R40.FDB\". Access is denied.");
  EXPECT_FALSE(fs_.Exists(destination_));

  fs_.ClearFaults();
  fs_.FailOpen(destination_, os::error::kSharingViolation);
  EXPECT_EQ(RaisedMessage([&] { CopySingleFile(fs_, source_, destination_); }),
            L"Cannot create file \"C:\\kit\\copy.FDB\". The process cannot access the file "
            L"because it is being used by another process.");
  EXPECT_EQ(fs_.OpenHandleCount(), 0u);  // the source was closed on the way out
}

TEST_F(FaultTest, ARelativePathIsNamedInFullInTheMessage) {
  ASSERT_EQ(fs_.SetCurrentFolder(L"C:\\kit"), 0u);
  EXPECT_EQ(RaisedMessage([&] { CopySingleFile(fs_, L"DTAfb\\R40.FDB", destination_); }),
            L"Cannot open file \"C:\\kit\\DTAfb\\R40.FDB\". The system cannot find the path "
            L"specified.");
}

TEST_F(FaultTest, ATimeOutsideTheDosRangeKeepsTheNewFilesTime) {
  WriteBytes(fs_, source_, "old");
  {
    os::ErrorCode error = 0;
    auto file = fs_.Open(source_, os::Access::kReadWrite, os::Share::kNone,
                         os::Disposition::kOpenExisting, error);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->SetLastWriteTime(116'444'736'000'000'000ull), 0u);  // 1970: before DOS
  }
  const os::FileTime now = fs_.Now() + 1234567;
  fs_.SetNow(now);
  EXPECT_TRUE(CopySingleFile(fs_, source_, destination_));
  std::vector<os::FindEntry> entries;
  ASSERT_EQ(fs_.Find(destination_, entries), 0u);
  EXPECT_EQ(entries.at(0).lastWrite, now);
}

TEST_F(FaultTest, TheLocalDosTimeIsConvertedBackWithTheSameBias) {
  fs_.SetUtcOffsetMinutes(180);  // Moscow: the local second decides, the stored time stays UTC
  WriteBytes(fs_, source_, "x");
  const os::FileTime odd = 132'366'900'317'000'000ull;  // 2020-06-15 10:20:31.7 UTC
  {
    os::ErrorCode error = 0;
    auto file = fs_.Open(source_, os::Access::kReadWrite, os::Share::kNone,
                         os::Disposition::kOpenExisting, error);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(file->SetLastWriteTime(odd), 0u);
  }
  ASSERT_TRUE(CopySingleFile(fs_, source_, destination_));
  std::vector<os::FindEntry> entries;
  ASSERT_EQ(fs_.Find(destination_, entries), 0u);
  EXPECT_EQ(entries.at(0).lastWrite, odd - 17'000'000);
}

TEST_F(FaultTest, AFailedFileInATreeCopyDoesNotStopTheOthers) {
  ASSERT_EQ(fs_.CreateFolder(L"C:\\kit\\backup"), 0u);
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
    WriteBytes(fs_, L"C:\\kit\\backup\\" + std::wstring(name), "x");
  }
  fs_.FailSystemCopy(L"C:\\kit\\backup\\b.txt", os::error::kAccessDenied);
  CopyFolderTree(fs_, L"C:\\kit\\backup", L"C:\\target\\backup");
  EXPECT_TRUE(fs_.Exists(L"C:\\target\\backup\\a.txt"));
  EXPECT_FALSE(fs_.Exists(L"C:\\target\\backup\\b.txt"));
  EXPECT_TRUE(fs_.Exists(L"C:\\target\\backup\\c.txt"));
}

TEST_F(FaultTest, AFailedCopyStepEndsItsLineInTheErrorWord) {
  WriteBytes(fs_, source_, Pattern(100));
  fs_.FailReadAfter(source_, 50, os::error::kReadFault);
  testing::RecordingProgress progress;
  EXPECT_FALSE(CopyFileStep(progress, fs_, L"R40.FDB", source_, destination_));
  EXPECT_EQ(progress.lines, std::vector<std::wstring>{L"Копирование файла R40.FDB....ОШИБКА!!!"});
}

}  // namespace
}  // namespace engine
