#include "os/overlay/OverlayFileSystem.h"

#include <algorithm>
#include <cstring>

#include "os/overlay/OverlayNames.h"
#include "text/FileNames.h"
#include "text/NameCase.h"

namespace os::overlay {

// A file's content in the view: the base file's (by reference, never read in whole), or the
// bytes written, or, past the limit, only their count.
struct OverlayFileSystem::Data {
  std::optional<std::wstring> basePath;
  std::string bytes;
  std::uint64_t size = 0;
  bool dropped = false;
  FileTime lastWrite = 0;
};

namespace {

constexpr ErrorCode kDirectoryInvalid = 267;  // ERROR_DIRECTORY

std::uint32_t Reported(std::uint32_t stored, bool folder) {
  if (folder) {
    return stored | attr::kDirectory;
  }
  return stored == 0 ? attr::kNormal : stored;
}

std::uint32_t Stored(std::uint32_t reported) {
  return reported & ~(attr::kDirectory | attr::kNormal);
}

// An open file of the view. A base file unchanged so far is read through the base's own handle.
class OverlayFile final : public IFile {
 public:
  OverlayFile(std::shared_ptr<OverlayFileSystem::Data> data, std::unique_ptr<IFile> base,
              bool writable, std::uint64_t keptBytes)
      : data_(std::move(data)), base_(std::move(base)), writable_(writable), kept_(keptBytes) {}

  ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& read) override {
    read = 0;
    if (base_) {
      return base_->Read(buffer, size, read);
    }
    if (data_->dropped) {
      return error::kReadFault;  // too large to have been kept
    }
    if (position_ < data_->bytes.size()) {
      read = static_cast<std::uint32_t>(
          std::min<std::uint64_t>(size, data_->bytes.size() - position_));
      std::memcpy(buffer, data_->bytes.data() + position_, read);
      position_ += read;
    }
    return error::kSuccess;
  }

  ErrorCode Write(const void* buffer, std::uint32_t size, std::uint32_t& written) override {
    written = 0;
    if (!writable_) {
      return error::kAccessDenied;
    }
    const std::uint64_t end = position_ + size;
    if (!data_->dropped && end > kept_) {
      data_->dropped = true;
      std::string().swap(data_->bytes);
    }
    if (!data_->dropped) {
      if (data_->bytes.size() < end) {
        data_->bytes.resize(static_cast<std::size_t>(end));
      }
      std::memcpy(data_->bytes.data() + position_, buffer, size);
    }
    data_->size = std::max(data_->size, end);
    position_ = end;
    written = size;
    return error::kSuccess;
  }

  ErrorCode GetSize(std::uint64_t& size) override {
    if (base_) {
      return base_->GetSize(size);
    }
    size = data_->size;
    return error::kSuccess;
  }

  ErrorCode GetLastWriteTime(FileTime& utc) override {
    utc = data_->lastWrite;
    return error::kSuccess;
  }

  ErrorCode SetLastWriteTime(FileTime utc) override {
    if (!writable_) {
      return error::kAccessDenied;
    }
    data_->lastWrite = utc;
    return error::kSuccess;
  }

  ErrorCode Flush() override { return error::kSuccess; }

 private:
  std::shared_ptr<OverlayFileSystem::Data> data_;
  std::unique_ptr<IFile> base_;
  bool writable_;
  std::uint64_t kept_;
  std::uint64_t position_ = 0;
};

// The base file's content, from a handle that may read it; past the limit only its size.
ErrorCode TakeContent(IFile& file, OverlayFileSystem::Data& data, std::uint64_t keptBytes) {
  data.basePath.reset();
  data.bytes.clear();
  data.dropped = false;
  if (const ErrorCode e = file.GetSize(data.size); e != error::kSuccess) {
    return e;
  }
  file.GetLastWriteTime(data.lastWrite);
  if (data.size > keptBytes) {
    data.dropped = true;
    return error::kSuccess;
  }
  data.bytes.resize(static_cast<std::size_t>(data.size));
  std::size_t done = 0;
  while (done < data.bytes.size()) {
    std::uint32_t read = 0;
    const auto chunk = static_cast<std::uint32_t>(
        std::min<std::size_t>(data.bytes.size() - done, std::size_t{1} << 20));
    if (const ErrorCode e = file.Read(data.bytes.data() + done, chunk, read);
        e != error::kSuccess) {
      return e;
    }
    if (read == 0) {
      break;
    }
    done += read;
  }
  data.bytes.resize(done);
  data.size = done;
  return error::kSuccess;
}

}  // namespace

OverlayFileSystem::OverlayFileSystem(IFileSystem& base, std::uint64_t keptBytes)
    : base_(base), keptBytes_(keptBytes) {}

OverlayFileSystem::~OverlayFileSystem() = default;

std::wstring OverlayFileSystem::Key(const std::wstring& path) const {
  const std::wstring full = base_.FullPath(path);
  return names::Key(full.empty() ? path : full);
}

bool OverlayFileSystem::HiddenByAncestor(const std::wstring& key) const {
  for (std::wstring folder = names::Parent(key); !folder.empty(); folder = names::Parent(folder)) {
    const auto it = entries_.find(folder);
    if (it != entries_.end()) {
      if (it->second.kind != Kind::kFolder || it->second.opaque) {
        return true;
      }
    }
  }
  return false;
}

OverlayFileSystem::Seen OverlayFileSystem::Look(const std::wstring& key, const std::wstring& path) {
  Seen seen;
  if (const auto it = entries_.find(key); it != entries_.end()) {
    Entry& entry = it->second;
    seen.kind = entry.kind;
    seen.entry = &entry;
    if (entry.kind != Kind::kRemoved) {
      seen.attributes = Reported(entry.attributes, entry.kind == Kind::kFolder);
    }
    return seen;
  }
  if (HiddenByAncestor(key)) {
    return seen;
  }
  // Asked without its trailing separator, a file in the way of a folder is seen as the file it
  // is (the base reports nothing for "file\\"); the callers apply the separator's own rule.
  std::wstring bare = path;
  while (bare.size() > 1 && names::EndsInSeparator(bare) && bare[bare.size() - 2] != L':') {
    bare.pop_back();
  }
  seen.attributes = base_.GetAttributes(bare);
  if (seen.attributes != attr::kInvalid) {
    seen.kind = (seen.attributes & attr::kDirectory) ? Kind::kFolder : Kind::kFile;
  }
  return seen;
}

ErrorCode OverlayFileSystem::Missing(const std::wstring& key) {
  return ParentIsFolder(key) == error::kSuccess ? error::kFileNotFound : error::kPathNotFound;
}

ErrorCode OverlayFileSystem::ParentIsFolder(const std::wstring& key) {
  const std::wstring parent = names::Parent(key);
  if (parent.empty()) {
    return error::kSuccess;
  }
  return Look(parent, parent).kind == Kind::kFolder ? error::kSuccess : error::kPathNotFound;
}

OverlayFileSystem::Entry& OverlayFileSystem::Put(const std::wstring& key, const std::wstring& path,
                                                 Kind kind) {
  Entry& entry = entries_[key];
  entry = Entry{};
  entry.kind = kind;
  entry.name = names::LastComponent(path);
  return entry;
}

// A rename or removal of a disk file fails while another program holds it open (a database
// server its database, say): asked by opening it without sharing, which changes nothing.
ErrorCode OverlayFileSystem::HeldOpen(const Seen& seen, const std::wstring& path) {
  ErrorCode error = error::kSuccess;
  if (seen.kind == Kind::kFile && seen.entry == nullptr &&
      !base_.Open(path, Access::kRead, Share::kNone, Disposition::kOpenExisting, error) &&
      error == error::kSharingViolation) {
    return error;
  }
  return error::kSuccess;
}

// Whether a handle of the view is open on the view's own file (its content is shared with it).
bool OverlayFileSystem::OpenInView(const Seen& seen) {
  return seen.entry != nullptr && seen.entry->data != nullptr && seen.entry->data.use_count() > 1;
}

// A base file's content by reference, with the size and time the base gives for it.
std::shared_ptr<OverlayFileSystem::Data> OverlayFileSystem::OwnData(const Seen& seen,
                                                                    const std::wstring& path,
                                                                    ErrorCode& error) {
  error = error::kSuccess;
  if (seen.entry != nullptr) {
    return std::make_shared<Data>(*seen.entry->data);
  }
  auto data = std::make_shared<Data>();
  data->basePath = base_.FullPath(path);
  std::vector<FindEntry> found;
  if (base_.Find(path, found) == error::kSuccess && !found.empty()) {
    data->size = found.front().size;
    data->lastWrite = found.front().lastWrite;
  }
  return data;
}

std::unique_ptr<IFile> OverlayFileSystem::Open(const std::wstring& path, Access access, Share share,
                                               Disposition disposition, ErrorCode& error) {
  error = error::kSuccess;
  const std::wstring key = Key(path);
  const Seen seen = Look(key, path);
  if (text::HasInvalidName(path) || (names::EndsInSeparator(path) && seen.kind != Kind::kFolder)) {
    error = error::kInvalidName;
    return nullptr;
  }
  const bool writes = access == Access::kReadWrite || disposition != Disposition::kOpenExisting;
  if (seen.kind == Kind::kRemoved) {
    if ((error = ParentIsFolder(key)) != error::kSuccess) {
      return nullptr;
    }
    if (disposition == Disposition::kOpenExisting) {
      error = error::kFileNotFound;
      return nullptr;
    }
    // A new file where the folder exists is taken to succeed.
    Entry& entry = Put(key, path, Kind::kFile);
    entry.attributes = attr::kArchive;
    entry.data = std::make_shared<Data>();
    return std::make_unique<OverlayFile>(entry.data, nullptr, access == Access::kReadWrite,
                                         keptBytes_);
  }
  if (disposition == Disposition::kCreateNew) {
    error = error::kFileExists;
    return nullptr;
  }
  if (seen.kind == Kind::kFolder) {
    error = error::kAccessDenied;
    return nullptr;
  }
  if (!writes) {
    if (seen.entry == nullptr) {
      return base_.Open(path, access, share, disposition, error);
    }
    std::unique_ptr<IFile> baseFile;
    if (seen.entry->data->basePath &&
        !(baseFile = base_.Open(*seen.entry->data->basePath, access, share,
                                Disposition::kOpenExisting, error))) {
      return nullptr;
    }
    return std::make_unique<OverlayFile>(seen.entry->data, std::move(baseFile), false, keptBytes_);
  }
  if ((seen.attributes & attr::kReadOnly) ||
      (disposition == Disposition::kCreateAlways &&
       (seen.attributes & (attr::kHidden | attr::kSystem)))) {
    error = error::kAccessDenied;
    return nullptr;
  }
  // The base file as it is is opened as the real run would open it, so that what refuses it
  // (a right, another program's handle) refuses here. A copy or a renamed file of the view is
  // the view's own: its content is only read from the base file it refers to.
  std::unique_ptr<IFile> source;
  if (seen.entry == nullptr) {
    source = base_.Open(path, access, share, Disposition::kOpenExisting, error);
  } else if (seen.entry->data->basePath && disposition == Disposition::kOpenExisting) {
    source = base_.Open(*seen.entry->data->basePath, Access::kRead, Share::kRead,
                        Disposition::kOpenExisting, error);
  }
  if (error != error::kSuccess) {
    return nullptr;
  }
  Entry* entry = seen.entry;
  if (entry == nullptr) {
    entry = &Put(key, path, Kind::kFile);
    entry->attributes = Stored(seen.attributes);
  }
  if (disposition == Disposition::kCreateAlways) {
    entry->data = std::make_shared<Data>();
    entry->attributes |= attr::kArchive;
  } else if (source) {
    auto data = std::make_shared<Data>();
    if ((error = TakeContent(*source, *data, keptBytes_)) != error::kSuccess) {
      return nullptr;
    }
    entry->data = std::move(data);
  }
  return std::make_unique<OverlayFile>(entry->data, nullptr, access == Access::kReadWrite,
                                       keptBytes_);
}

std::uint32_t OverlayFileSystem::GetAttributes(const std::wstring& path) {
  const Seen seen = Look(Key(path), path);
  if (text::HasInvalidName(path) || (names::EndsInSeparator(path) && seen.kind == Kind::kFile)) {
    return attr::kInvalid;
  }
  return seen.attributes;
}

ErrorCode OverlayFileSystem::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
  const std::wstring key = Key(path);
  const Seen seen = Look(key, path);
  if (seen.kind == Kind::kRemoved) {
    return Missing(key);
  }
  if (seen.entry != nullptr) {
    seen.entry->attributes = Stored(attributes);
    return error::kSuccess;
  }
  ErrorCode error = error::kSuccess;
  auto data = seen.kind == Kind::kFile ? OwnData(seen, path, error) : nullptr;
  Entry& entry = Put(key, path, seen.kind);
  entry.attributes = Stored(attributes);
  entry.opaque = false;
  entry.data = std::move(data);
  return error::kSuccess;
}

ErrorCode OverlayFileSystem::CreateFolder(const std::wstring& path) {
  if (text::HasInvalidName(path)) {
    return error::kInvalidName;
  }
  const std::wstring key = Key(path);
  if (Look(key, path).kind != Kind::kRemoved) {
    return error::kAlreadyExists;
  }
  if (const ErrorCode e = ParentIsFolder(key); e != error::kSuccess) {
    return e;
  }
  // A new folder where the parent exists is taken to succeed.
  Put(key, path, Kind::kFolder);
  return error::kSuccess;
}

ErrorCode OverlayFileSystem::RemoveFolder(const std::wstring& path) {
  const std::wstring key = Key(path);
  const Seen seen = Look(key, path);
  if (seen.kind == Kind::kRemoved) {
    return Missing(key);
  }
  if (seen.kind == Kind::kFile) {
    return kDirectoryInvalid;
  }
  if (seen.attributes & attr::kReadOnly) {
    return error::kAccessDenied;
  }
  std::vector<FindEntry> inside;
  Find(names::ChildPrefix(path) + L"*", inside);
  if (std::any_of(inside.begin(), inside.end(),
                  [](const FindEntry& e) { return e.name != L"." && e.name != L".."; })) {
    return error::kDirNotEmpty;
  }
  Put(key, path, Kind::kRemoved);
  return error::kSuccess;
}

ErrorCode OverlayFileSystem::RemoveFile(const std::wstring& path) {
  const std::wstring key = Key(path);
  const Seen seen = Look(key, path);
  if (seen.kind == Kind::kRemoved) {
    return Missing(key);
  }
  if (seen.kind == Kind::kFolder || (seen.attributes & attr::kReadOnly)) {
    return error::kAccessDenied;
  }
  if (OpenInView(seen)) {
    return error::kSharingViolation;
  }
  if (const ErrorCode e = HeldOpen(seen, path); e != error::kSuccess) {
    return e;
  }
  Put(key, path, Kind::kRemoved);
  return error::kSuccess;
}

ErrorCode OverlayFileSystem::MoveTree(const std::wstring& from, const Seen& seen,
                                      const std::wstring& to) {
  const std::wstring toKey = Key(to);
  if (seen.kind == Kind::kFile) {
    ErrorCode error = error::kSuccess;
    auto data = seen.entry ? seen.entry->data : OwnData(seen, from, error);
    Entry& entry = Put(toKey, to, Kind::kFile);
    entry.attributes = Stored(seen.attributes);
    entry.data = std::move(data);
    return error;
  }
  std::vector<FindEntry> inside;
  Find(names::ChildPrefix(from) + L"*", inside);
  Put(toKey, to, Kind::kFolder).attributes = Stored(seen.attributes);
  for (const FindEntry& child : inside) {
    if (child.name == L"." || child.name == L"..") {
      continue;
    }
    const std::wstring childFrom = names::ChildPrefix(from) + child.name;
    const std::wstring childKey = Key(childFrom);
    if (const ErrorCode e =
            MoveTree(childFrom, Look(childKey, childFrom), names::ChildPrefix(to) + child.name);
        e != error::kSuccess) {
      return e;
    }
  }
  return error::kSuccess;
}

ErrorCode OverlayFileSystem::Move(const std::wstring& from, const std::wstring& to) {
  const std::wstring fromKey = Key(from);
  const std::wstring toKey = Key(to);
  const Seen seen = Look(fromKey, from);
  if (seen.kind == Kind::kRemoved) {
    return Missing(fromKey);
  }
  if (OpenInView(seen)) {
    return error::kSharingViolation;
  }
  if (fromKey == toKey) {
    // Only the letter case changes: the entry keeps its place under its new spelling.
    Entry* entry = seen.entry;
    if (entry == nullptr) {
      ErrorCode error = error::kSuccess;
      auto data = seen.kind == Kind::kFile ? OwnData(seen, from, error) : nullptr;
      entry = &Put(fromKey, from, seen.kind);
      entry->attributes = Stored(seen.attributes);
      entry->opaque = false;
      entry->data = std::move(data);
    }
    entry->name = names::LastComponent(to);
    return error::kSuccess;
  }
  if (Look(toKey, to).kind != Kind::kRemoved) {
    return error::kAlreadyExists;
  }
  if (const ErrorCode e = ParentIsFolder(toKey); e != error::kSuccess) {
    return e;
  }
  if (toKey.rfind(names::ChildPrefix(fromKey), 0) == 0) {
    return error::kInvalidParameter;  // into itself
  }
  if (const ErrorCode e = HeldOpen(seen, from); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = MoveTree(from, seen, to); e != error::kSuccess) {
    return e;
  }
  // What lay below the old name moved with it.
  const std::wstring below = names::ChildPrefix(fromKey);
  entries_.erase(entries_.lower_bound(below),
                 std::find_if(entries_.lower_bound(below), entries_.end(),
                              [&](const auto& e) { return e.first.rfind(below, 0) != 0; }));
  Put(fromKey, from, Kind::kRemoved);
  return error::kSuccess;
}

ErrorCode OverlayFileSystem::Replace(const std::wstring& from, const std::wstring& to) {
  const std::wstring fromKey = Key(from);
  const std::wstring toKey = Key(to);
  const Seen source = Look(fromKey, from);
  if (source.kind == Kind::kRemoved) {
    return Missing(fromKey);
  }
  if (source.kind == Kind::kFolder) {
    return error::kAccessDenied;
  }
  if (OpenInView(source)) {
    return error::kSharingViolation;
  }
  if (const ErrorCode e = HeldOpen(source, from); e != error::kSuccess) {
    return e;
  }
  const Seen target = Look(toKey, to);
  if (target.kind == Kind::kFolder ||
      (target.kind == Kind::kFile && (target.attributes & attr::kReadOnly)) || OpenInView(target)) {
    return error::kAccessDenied;
  }
  if (target.kind == Kind::kFile && target.entry == nullptr) {
    ErrorCode error = error::kSuccess;
    if (!base_.Open(to, Access::kReadWrite, Share::kNone, Disposition::kOpenExisting, error)) {
      return error;
    }
  }
  if (const ErrorCode e = ParentIsFolder(toKey); e != error::kSuccess) {
    return e;
  }
  ErrorCode error = error::kSuccess;
  auto data = source.entry ? source.entry->data : OwnData(source, from, error);
  Entry& entry = Put(toKey, to, Kind::kFile);
  entry.attributes = Stored(source.attributes);
  entry.data = std::move(data);
  Put(fromKey, from, Kind::kRemoved);
  return error::kSuccess;
}

ErrorCode OverlayFileSystem::SystemCopy(const std::wstring& source, const std::wstring& destination,
                                        bool failIfExists) {
  const std::wstring sourceKey = Key(source);
  const std::wstring destinationKey = Key(destination);
  const Seen from = Look(sourceKey, source);
  if (from.kind == Kind::kRemoved) {
    return Missing(sourceKey);
  }
  if (from.kind == Kind::kFolder) {
    return error::kAccessDenied;
  }
  if (sourceKey == destinationKey) {
    return error::kSharingViolation;
  }
  const Seen to = Look(destinationKey, destination);
  if (to.kind != Kind::kRemoved) {
    if (failIfExists) {
      return error::kFileExists;
    }
    // A hidden or system file is overwritten only by a source that has the same bit.
    const std::uint32_t guarded = to.attributes & (attr::kHidden | attr::kSystem);
    if (to.kind == Kind::kFolder || (to.attributes & attr::kReadOnly) ||
        (guarded & ~from.attributes) != 0) {
      return error::kAccessDenied;
    }
  }
  if (const ErrorCode e = ParentIsFolder(destinationKey); e != error::kSuccess) {
    return e;
  }
  ErrorCode error = error::kSuccess;
  const std::wstring readFrom = from.entry && from.entry->data->basePath
                                    ? *from.entry->data->basePath
                                    : (from.entry ? std::wstring() : source);
  if (!readFrom.empty() &&
      !base_.Open(readFrom, Access::kRead, Share::kRead, Disposition::kOpenExisting, error)) {
    return error;
  }
  if (to.kind == Kind::kFile && to.entry == nullptr &&
      !base_.Open(destination, Access::kReadWrite, Share::kNone, Disposition::kOpenExisting,
                  error)) {
    return error;
  }
  auto data = OwnData(from, source, error);
  Entry& entry = Put(destinationKey, destination, Kind::kFile);
  entry.attributes = Stored(from.attributes) | attr::kArchive;
  entry.data = std::move(data);
  return error::kSuccess;
}

ErrorCode OverlayFileSystem::Find(const std::wstring& pattern, std::vector<FindEntry>& entries) {
  entries.clear();
  std::wstring folder;
  std::wstring mask;
  names::SplitPattern(pattern, folder, mask);
  const std::wstring folderKey = Key(folder);
  const Seen seen = Look(folderKey, folder);
  if (seen.kind != Kind::kFolder) {
    return error::kPathNotFound;
  }
  const std::wstring prefix = names::ChildPrefix(folderKey);
  if (seen.entry == nullptr || !seen.entry->opaque) {
    std::vector<FindEntry> base;
    base_.Find(pattern, base);
    for (FindEntry& entry : base) {
      if (entry.name == L"." || entry.name == L".." ||
          entries_.find(prefix + text::FoldNameCase(entry.name)) == entries_.end()) {
        entries.push_back(std::move(entry));
      }
    }
  } else if (names::Parent(folderKey).size() > 0) {
    for (const wchar_t* dots : {L".", L".."}) {
      if (text::MatchesMask(mask, dots)) {
        entries.push_back(FindEntry{dots, attr::kDirectory, 0, 0});
      }
    }
  }
  for (auto it = entries_.lower_bound(prefix);
       it != entries_.end() && it->first.rfind(prefix, 0) == 0; ++it) {
    const Entry& entry = it->second;
    if (entry.kind == Kind::kRemoved ||
        it->first.find(L'\\', prefix.size()) != std::wstring::npos ||
        !text::MatchesMask(mask, entry.name)) {
      continue;
    }
    FindEntry found{entry.name, Reported(entry.attributes, entry.kind == Kind::kFolder), 0, 0};
    if (entry.data) {
      found.lastWrite = entry.data->lastWrite;
      found.size = entry.data->size;
    }
    entries.push_back(std::move(found));
  }
  return entries.empty() ? error::kFileNotFound : error::kSuccess;
}

std::wstring OverlayFileSystem::FullPath(const std::wstring& path) {
  return base_.FullPath(path);
}

bool OverlayFileSystem::UtcToLocal(FileTime utc, FileTime& local) {
  return base_.UtcToLocal(utc, local);
}

bool OverlayFileSystem::LocalToUtc(FileTime local, FileTime& utc) {
  return base_.LocalToUtc(local, utc);
}

std::wstring OverlayFileSystem::ErrorText(ErrorCode code) {
  return base_.ErrorText(code);
}

bool OverlayFileSystem::Changed(const std::wstring& path) const {
  const std::wstring key = Key(path);
  return entries_.count(key) != 0 || HiddenByAncestor(key);
}

}  // namespace os::overlay
