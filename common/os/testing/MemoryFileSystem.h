#pragma once
// The in-memory double of the file-system seam. It behaves like Windows on NTFS where a caller
// can tell: names without letter case (ASCII, Latin-1, Cyrillic) that keep the case they were
// created with, attributes, the read-only rule, sharing modes, Windows error codes. On top it
// injects faults (failing opens, read and write errors after N bytes, a full disk, a failing
// system copy) and lets a test look inside (content, open handles, the opens made).
// Not thread-safe. A handle that outlives it answers kInvalidHandle.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "os/FileSystem.h"

namespace os::testing {

// One call of Open, as the caller made it.
struct OpenCall {
  std::wstring path;
  Access access = Access::kRead;
  Share share = Share::kNone;
  Disposition disposition = Disposition::kOpenExisting;
};

// Windows' case-insensitive comparison of names: upper-cases ASCII, Latin-1 and Cyrillic
// (Ё/ё included), which towupper in the C locale does not do for Cyrillic.
wchar_t FoldCase(wchar_t c);
std::wstring FoldCase(std::wstring_view name);

class MemoryFileSystem final : public IFileSystem {
 public:
  // One empty drive C:, current folder "C:\", the clock at 2024-01-01 00:00:00 UTC.
  MemoryFileSystem();
  ~MemoryFileSystem() override;
  MemoryFileSystem(const MemoryFileSystem&) = delete;
  MemoryFileSystem& operator=(const MemoryFileSystem&) = delete;

  std::unique_ptr<IFile> Open(const std::wstring& path, Access access, Share share,
                              Disposition disposition, ErrorCode& error) override;
  std::uint32_t GetAttributes(const std::wstring& path) override;
  ErrorCode SetAttributes(const std::wstring& path, std::uint32_t attributes) override;
  ErrorCode CreateFolder(const std::wstring& path) override;
  ErrorCode RemoveFolder(const std::wstring& path) override;
  ErrorCode RemoveFile(const std::wstring& path) override;
  ErrorCode Move(const std::wstring& from, const std::wstring& to) override;
  ErrorCode Replace(const std::wstring& from, const std::wstring& to) override;
  ErrorCode SystemCopy(const std::wstring& source, const std::wstring& destination,
                       bool failIfExists) override;
  // Entries sorted without letter case, "." and ".." first (outside a drive's root), like NTFS.
  ErrorCode Find(const std::wstring& pattern, std::vector<FindEntry>& entries) override;
  std::wstring FullPath(const std::wstring& path) override;
  bool UtcToLocal(FileTime utc, FileTime& local) override;
  bool LocalToUtc(FileTime local, FileTime& utc) override;
  std::wstring ErrorText(ErrorCode code) override;

  // --- Set-up ---
  void AddDrive(wchar_t letter);
  // SetCurrentDirectoryW: the folder relative paths start from.
  ErrorCode SetCurrentFolder(const std::wstring& path);
  std::wstring CurrentFolder() const;
  // The time new and written files get.
  void SetNow(FileTime utc) { now_ = utc; }
  FileTime Now() const { return now_; }
  // Local time = UTC + minutes.
  void SetUtcOffsetMinutes(int minutes) { utcOffsetMinutes_ = minutes; }

  // Makes a folder a junction (a link to another folder): it reports FILE_ATTRIBUTE_REPARSE_POINT
  // and keeps its content, which stands for the folder it leads to.
  void MarkLink(const std::wstring& path);

  // --- Faults, each for one path (compared like Windows compares names) ---
  // Every Open of the path fails with `code`, also the opens inside SystemCopy.
  void FailOpen(const std::wstring& path, ErrorCode code);
  // Reads through handles opened afterwards deliver the bytes before offset `bytes`; a read that
  // reaches past it delivers those and fails with `code` (a file no longer than `bytes` reads
  // normally).
  void FailReadAfter(const std::wstring& path, std::uint64_t bytes, ErrorCode code);
  // Writes through handles opened afterwards store the bytes before offset `bytes`; a write that
  // reaches past it stores those, reports them in `written` and fails with `code`.
  void FailWriteAfter(const std::wstring& path, std::uint64_t bytes, ErrorCode code);
  // Replace with this path as source or target fails with `code` and changes nothing.
  void FailReplace(const std::wstring& path, ErrorCode code);
  // SystemCopy with this path as source or destination fails with `code` and changes nothing.
  void FailSystemCopy(const std::wstring& path, ErrorCode code);
  // The content of all files together may not exceed `bytes`: a write stores what fits and
  // fails with kDiskFull.
  void SetCapacity(std::uint64_t bytes) { capacity_ = bytes; }
  // Removes every fault above, the capacity included.
  void ClearFaults();

  // --- Inspection ---
  bool Exists(const std::wstring& path) const;
  // The content of a file; nothing for a folder or a missing entry.
  std::optional<std::string> Content(const std::wstring& path) const;
  std::size_t OpenHandleCount() const { return handles_.size(); }
  const std::vector<OpenCall>& OpenCalls() const { return openCalls_; }
  void ClearOpenCalls() { openCalls_.clear(); }
  // The content of all files together.
  std::uint64_t UsedBytes() const;

  // --- A stopped program ---
  // Every drive with all it holds, as it stands: what the computer keeps when the program writing
  // to it is stopped between two calls. PutBack makes it the content again (faults, clock and
  // current folder stay); no handle may be open then.
  struct Node;
  using Image = std::map<wchar_t, std::shared_ptr<const Node>>;
  Image TakeImage() const;
  void PutBack(const Image& image);

 private:
  struct Parsed;
  struct Fault {
    std::uint64_t offset = 0;
    ErrorCode code = 0;
  };
  class File;

  ErrorCode Parse(const std::wstring& path, Parsed& out, bool validate) const;
  Node* Root(wchar_t drive) const;
  // The folder holding the last component; kPathNotFound when a folder on the way is missing.
  ErrorCode ParentOf(const Parsed& parsed, Node*& parent) const;
  // The entry itself (null when missing), or an error from the way to it.
  ErrorCode Lookup(const Parsed& parsed, Node*& node) const;
  Node* LookupPath(const std::wstring& path) const;
  std::wstring Key(const Parsed& parsed) const;
  std::optional<ErrorCode> OpenFault(const Parsed& parsed) const;
  std::optional<Fault> FindFault(const std::map<std::wstring, Fault>& faults,
                                 const Parsed& parsed) const;
  // Whether a new opener with this access and share mode is compatible with every handle of
  // `node`, and they with it.
  bool ShareAllows(const Node* node, bool reads, bool writes, Share share) const;
  bool HasHandlesWithin(const Node* folder) const;
  bool IsCurrentFolder(const Node* folder) const;
  Node* AddChild(Node* folder, const std::wstring& name, bool isFolder);
  std::unique_ptr<Node> Detach(Node* node);
  // Moves `node` under `newParent` as `name` (a rename when the parent stays).
  void Reattach(Node* node, Node* newParent, const std::wstring& name);
  std::uint32_t ReportedAttributes(const Node* node) const;
  void Touch(Node* folder);

  std::map<wchar_t, std::unique_ptr<Node>> drives_;
  wchar_t currentDrive_ = L'C';
  std::wstring currentDriveText_ = L"C:";
  std::vector<std::wstring> currentParts_;
  FileTime now_;
  int utcOffsetMinutes_ = 0;
  std::uint64_t capacity_;
  std::map<std::wstring, ErrorCode> openFaults_;
  std::map<std::wstring, Fault> readFaults_;
  std::map<std::wstring, Fault> writeFaults_;
  std::map<std::wstring, ErrorCode> copyFaults_;
  std::map<std::wstring, ErrorCode> replaceFaults_;
  std::vector<File*> handles_;
  std::vector<OpenCall> openCalls_;
};

}  // namespace os::testing
