#pragma once
// A copy-on-write view of a file system: every change (new, written, renamed, removed files and
// folders, attributes) lives in memory, every read of what was not changed goes to the base
// below, which is never changed. Opening a base file for writing first opens it on the base with
// the same access (and OpenExisting, which changes nothing), so a read-only file, a sharing
// conflict or a missing right is met as a real run would meet it. Copies and renames of base
// files keep a reference to the base file instead of its bytes, and content written beyond a
// limit is counted but not kept: a copy of a large database costs no memory, and such a file
// cannot be read back (kReadFault). Creating new files and folders is assumed to succeed where
// the parent folder exists: a full disk or a folder the user may not create in is not predicted.
// Sharing modes are checked on the base only. Not thread-safe.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/FileSystem.h"

namespace os::overlay {

class OverlayFileSystem final : public IFileSystem {
 public:
  // Content written beyond this many bytes is dropped (the size is kept).
  static constexpr std::uint64_t kDefaultKeptBytes = 32ull * 1024 * 1024;

  explicit OverlayFileSystem(IFileSystem& base, std::uint64_t keptBytes = kDefaultKeptBytes);
  ~OverlayFileSystem() override;
  OverlayFileSystem(const OverlayFileSystem&) = delete;
  OverlayFileSystem& operator=(const OverlayFileSystem&) = delete;

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
  // The base's entries merged with the changes: removed ones left out, changed ones as they are
  // now, new ones after the base's.
  ErrorCode Find(const std::wstring& pattern, std::vector<FindEntry>& entries) override;
  std::wstring FullPath(const std::wstring& path) override;
  bool UtcToLocal(FileTime utc, FileTime& local) override;
  bool LocalToUtc(FileTime local, FileTime& utc) override;
  std::wstring ErrorText(ErrorCode code) override;

  // Whether the entry at `path` is the view's own (new, changed, removed, or below a changed
  // folder) rather than the base's as it is.
  bool Changed(const std::wstring& path) const;

  struct Data;

 private:
  enum class Kind { kRemoved, kFolder, kFile };
  struct Entry {
    Kind kind = Kind::kRemoved;
    std::wstring name;  // the last component, as it was given
    std::uint32_t attributes = 0;
    // A folder that hides the base's entries below it (a new one); a base folder whose
    // attributes changed does not.
    bool opaque = true;
    std::shared_ptr<Data> data;  // files only
  };
  // What the view holds at a path.
  struct Seen {
    Kind kind = Kind::kRemoved;  // kRemoved: nothing there
    Entry* entry = nullptr;      // null: the base's, unchanged
    std::uint32_t attributes = attr::kInvalid;
  };

  std::wstring Key(const std::wstring& path) const;
  Seen Look(const std::wstring& key, const std::wstring& path);
  bool HiddenByAncestor(const std::wstring& key) const;
  // The code for a missing entry: kFileNotFound, or kPathNotFound when its folder is missing.
  ErrorCode Missing(const std::wstring& key);
  // kSuccess when the parent of `key` is a folder in the view, else kPathNotFound.
  ErrorCode ParentIsFolder(const std::wstring& key);
  ErrorCode HeldOpen(const Seen& seen, const std::wstring& path);
  static bool OpenInView(const Seen& seen);
  Entry& Put(const std::wstring& key, const std::wstring& path, Kind kind);
  // A file's content as the view's own, read from the base where it is the base's.
  std::shared_ptr<Data> OwnData(const Seen& seen, const std::wstring& path, ErrorCode& error);
  // Puts the entry at `from`, and all below it, under the new name; the old stay.
  ErrorCode MoveTree(const std::wstring& from, const Seen& seen, const std::wstring& to);

  IFileSystem& base_;
  std::uint64_t keptBytes_;
  std::map<std::wstring, Entry> entries_;  // by Key
};

}  // namespace os::overlay
