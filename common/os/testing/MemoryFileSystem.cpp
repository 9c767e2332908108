#include "os/testing/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>

#include "os/testing/SeamCalls.h"
#include "text/NameCase.h"

namespace os::testing {

namespace {

// ERROR_DIRECTORY: what Windows answers when a folder operation meets a file.
constexpr ErrorCode kDirectoryNameInvalid = 267;

// What the read-only rule and the hidden/system rule look at, and what SetAttributes may change.
constexpr std::uint32_t kSettable =
    attr::kReadOnly | attr::kHidden | attr::kSystem | attr::kArchive;
constexpr std::uint32_t kKeptByCopy = attr::kReadOnly | attr::kHidden | attr::kSystem;

// 2024-01-01 00:00:00 UTC.
constexpr FileTime kDefaultNow = 133485408000000000ull;
constexpr std::int64_t kTicksPerMinute = 600'000'000;

bool IsAsciiLetter(wchar_t c) {
  return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

bool IsInvalidNameChar(wchar_t c) {
  return c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' ||
         c == L'*';
}

// '*' any run of characters, '?' one character; both sides already case-folded.
bool Glob(std::wstring_view mask, std::wstring_view name) {
  std::size_t m = 0;
  std::size_t n = 0;
  std::size_t starMask = std::wstring_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == L'?' || mask[m] == name[n])) {
      ++m;
      ++n;
    } else if (m < mask.size() && mask[m] == L'*') {
      starMask = m++;
      starName = n;
    } else if (starMask != std::wstring_view::npos) {
      m = starMask + 1;
      n = ++starName;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == L'*') {
    ++m;
  }
  return m == mask.size();
}

// DOS rule kept by FindFirstFileW: "name.*" also matches "name" ("*.*" matches everything).
bool MaskMatches(std::wstring_view mask, std::wstring_view name) {
  if (Glob(mask, name)) {
    return true;
  }
  return mask.size() >= 2 && mask.substr(mask.size() - 2) == L".*" &&
         Glob(mask.substr(0, mask.size() - 2), name);
}

}  // namespace

wchar_t FoldCase(wchar_t c) {
  return text::FoldNameCase(c);
}

std::wstring FoldCase(std::wstring_view name) {
  std::wstring folded(name);
  for (auto& c : folded) {
    c = FoldCase(c);
  }
  return folded;
}

struct MemoryFileSystem::Node {
  std::wstring name;  // as created
  bool folder = false;
  std::uint32_t attributes = 0;  // stored bits; kNormal is only ever reported
  FileTime lastWrite = 0;
  std::string content;
  Node* parent = nullptr;
  std::map<std::wstring, std::unique_ptr<Node>> children;  // by folded name: NTFS order

  Node* Child(std::wstring_view childName) const {
    const auto it = children.find(FoldCase(childName));
    return it == children.end() ? nullptr : it->second.get();
  }
};

// A path made absolute: drive, names as given with "." and ".." resolved.
struct MemoryFileSystem::Parsed {
  wchar_t drive = L'C';    // upper case
  std::wstring driveText;  // as given, for FullPath
  std::vector<std::wstring> parts;
  bool trailingSeparator = false;
};

class MemoryFileSystem::File final : public IFile {
 public:
  File(MemoryFileSystem& fs, Node* node, bool writes, Share share, std::optional<Fault> readFault,
       std::optional<Fault> writeFault)
      : fs_(&fs),
        node_(node),
        writes_(writes),
        share_(share),
        readFault_(readFault),
        writeFault_(writeFault) {
    fs_->handles_.push_back(this);
  }
  ~File() override {
    if (fs_ != nullptr) {
      auto& handles = fs_->handles_;
      handles.erase(std::remove(handles.begin(), handles.end(), this), handles.end());
    }
  }
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  ErrorCode Read(void* buffer, std::uint32_t size, std::uint32_t& read) override {
    SeamCalls::Count();
    read = 0;
    if (fs_ == nullptr) {
      return error::kInvalidHandle;
    }
    const std::string& content = node_->content;
    const std::uint64_t available = position_ < content.size() ? content.size() - position_ : 0;
    std::uint64_t end = position_ + std::min<std::uint64_t>(size, available);
    ErrorCode failure = error::kSuccess;
    if (readFault_ && end > readFault_->offset) {
      end = std::max(position_, readFault_->offset);
      failure = readFault_->code;
    }
    const auto count = static_cast<std::size_t>(end - position_);
    if (count > 0) {
      std::memcpy(buffer, content.data() + position_, count);
    }
    position_ = end;
    read = static_cast<std::uint32_t>(count);
    return failure;
  }

  ErrorCode Write(const void* buffer, std::uint32_t size, std::uint32_t& written) override {
    SeamCalls::Count();
    written = 0;
    if (fs_ == nullptr) {
      return error::kInvalidHandle;
    }
    if (!writes_) {
      return error::kAccessDenied;
    }
    std::string& content = node_->content;
    std::uint64_t end = position_ + size;
    ErrorCode failure = error::kSuccess;
    if (writeFault_ && end > writeFault_->offset) {
      end = std::max(position_, writeFault_->offset);
      failure = writeFault_->code;
    }
    if (end > content.size()) {
      const std::uint64_t used = fs_->UsedBytes();
      const std::uint64_t room = fs_->capacity_ > used ? fs_->capacity_ - used : 0;
      if (end - content.size() > room) {
        end = std::max<std::uint64_t>(position_, content.size() + room);
        failure = error::kDiskFull;
      }
    }
    const auto count = static_cast<std::size_t>(end - position_);
    if (count > 0) {
      if (end > content.size()) {
        content.resize(static_cast<std::size_t>(end), '\0');
      }
      std::memcpy(content.data() + position_, buffer, count);
      node_->attributes |= attr::kArchive;
      // A time set through this handle stays, as NTFS keeps it for the handle that set it.
      if (!timeFixed_) {
        node_->lastWrite = fs_->now_;
      }
    }
    position_ = end;
    written = static_cast<std::uint32_t>(count);
    return failure;
  }

  ErrorCode GetSize(std::uint64_t& size) override {
    SeamCalls::Count();
    if (fs_ == nullptr) {
      return error::kInvalidHandle;
    }
    size = node_->content.size();
    return error::kSuccess;
  }

  ErrorCode GetLastWriteTime(FileTime& utc) override {
    SeamCalls::Count();
    if (fs_ == nullptr) {
      return error::kInvalidHandle;
    }
    utc = node_->lastWrite;
    return error::kSuccess;
  }

  // Written content is in the double's memory at once: nothing to flush.
  ErrorCode Flush() override {
    SeamCalls::Count();
    return fs_ == nullptr ? error::kInvalidHandle : error::kSuccess;
  }

  ErrorCode SetLastWriteTime(FileTime utc) override {
    SeamCalls::Count();
    if (fs_ == nullptr) {
      return error::kInvalidHandle;
    }
    // GENERIC_READ does not include FILE_WRITE_ATTRIBUTES.
    if (!writes_) {
      return error::kAccessDenied;
    }
    // SetFileTime: 0 leaves the time alone, all ones stops its updates for this handle.
    if (utc != std::numeric_limits<FileTime>::max() && utc != 0) {
      node_->lastWrite = utc;
    }
    if (utc != 0) {
      timeFixed_ = true;
    }
    return error::kSuccess;
  }

  const Node* node() const { return node_; }
  bool writes() const { return writes_; }
  Share share() const { return share_; }
  void Orphan() { fs_ = nullptr; }

 private:
  MemoryFileSystem* fs_;
  Node* node_;
  bool writes_;
  Share share_;
  std::optional<Fault> readFault_;
  std::optional<Fault> writeFault_;
  std::uint64_t position_ = 0;
  bool timeFixed_ = false;
};

MemoryFileSystem::MemoryFileSystem()
    : now_(kDefaultNow), capacity_(std::numeric_limits<std::uint64_t>::max()) {
  AddDrive(L'C');
}

MemoryFileSystem::~MemoryFileSystem() {
  for (File* file : handles_) {
    file->Orphan();
  }
}

namespace {

template <typename Node>
std::unique_ptr<Node> CloneTree(const Node& node, Node* parent) {
  auto copy = std::make_unique<Node>(node.name, node.folder, node.attributes, node.lastWrite,
                                     node.content, parent);
  for (const auto& [key, child] : node.children) {
    copy->children[key] = CloneTree(*child, copy.get());
  }
  return copy;
}

}  // namespace

MemoryFileSystem::Image MemoryFileSystem::TakeImage() const {
  Image image;
  for (const auto& [letter, root] : drives_) {
    image[letter] = CloneTree<Node>(*root, nullptr);
  }
  return image;
}

void MemoryFileSystem::PutBack(const Image& image) {
  if (!handles_.empty()) {
    throw std::logic_error("a file is still open");
  }
  drives_.clear();
  for (const auto& [letter, root] : image) {
    drives_[letter] = CloneTree<Node>(*root, nullptr);
  }
}

void MemoryFileSystem::AddDrive(wchar_t letter) {
  const wchar_t drive = FoldCase(letter);
  if (drives_.count(drive) != 0) {
    return;
  }
  auto root = std::make_unique<Node>();
  root->name = std::wstring(1, drive) + L":";
  root->folder = true;
  root->attributes = attr::kDirectory;
  root->lastWrite = now_;
  drives_[drive] = std::move(root);
}

ErrorCode MemoryFileSystem::Parse(const std::wstring& path, Parsed& out, bool validate) const {
  out = Parsed{};
  if (path.empty()) {
    return error::kPathNotFound;
  }
  std::wstring text = path;
  std::replace(text.begin(), text.end(), L'/', L'\\');
  std::size_t start = 0;
  bool absolute = false;
  if (text.size() >= 2 && text[1] == L':' && IsAsciiLetter(text[0])) {
    out.drive = FoldCase(text[0]);
    out.driveText = text.substr(0, 2);
    start = 2;
    absolute = text.size() > 2 && text[2] == L'\\';
    if (!absolute && out.drive == currentDrive_) {
      out.driveText = currentDriveText_;  // "C:name": from the current folder of that drive
    } else if (!absolute) {
      absolute = true;  // another drive's current folder is its root here
    }
  } else if (text[0] == L'\\') {
    if (text.size() >= 2 && text[1] == L'\\') {
      return error::kInvalidName;  // UNC and device paths are not modelled
    }
    out.drive = currentDrive_;
    out.driveText = currentDriveText_;
    absolute = true;
  } else {
    out.drive = currentDrive_;
    out.driveText = currentDriveText_;
  }
  if (!absolute) {
    out.parts = currentParts_;
  }

  const std::wstring_view rest = std::wstring_view(text).substr(start);
  out.trailingSeparator = !rest.empty() && rest.back() == L'\\';
  std::size_t i = 0;
  while (i <= rest.size()) {
    std::size_t j = rest.find(L'\\', i);
    if (j == std::wstring_view::npos) {
      j = rest.size();
    }
    std::wstring name(rest.substr(i, j - i));
    if (j == rest.size() && !name.empty() && name != L"." && name != L"..") {
      // Windows drops trailing dots and spaces of the last name ("a.txt. " is "a.txt").
      while (!name.empty() && (name.back() == L'.' || name.back() == L' ')) {
        name.pop_back();
      }
      if (name.empty()) {
        out.trailingSeparator = true;
      }
    }
    if (name == L"..") {
      if (!out.parts.empty()) {
        out.parts.pop_back();
      }
    } else if (!name.empty() && name != L".") {
      out.parts.push_back(std::move(name));
    }
    i = j + 1;
  }

  if (validate) {
    for (const auto& part : out.parts) {
      if (std::any_of(part.begin(), part.end(), IsInvalidNameChar)) {
        return error::kInvalidName;
      }
    }
  }
  return error::kSuccess;
}

MemoryFileSystem::Node* MemoryFileSystem::Root(wchar_t drive) const {
  const auto it = drives_.find(drive);
  return it == drives_.end() ? nullptr : it->second.get();
}

ErrorCode MemoryFileSystem::ParentOf(const Parsed& parsed, Node*& parent) const {
  parent = Root(parsed.drive);
  if (parent == nullptr) {
    return error::kPathNotFound;
  }
  for (std::size_t i = 0; i + 1 < parsed.parts.size(); ++i) {
    Node* next = parent->Child(parsed.parts[i]);
    if (next == nullptr || !next->folder) {
      return error::kPathNotFound;
    }
    parent = next;
  }
  return error::kSuccess;
}

ErrorCode MemoryFileSystem::Lookup(const Parsed& parsed, Node*& node) const {
  node = nullptr;
  if (parsed.parts.empty()) {
    node = Root(parsed.drive);
    return node == nullptr ? error::kPathNotFound : error::kSuccess;
  }
  Node* parent = nullptr;
  if (const ErrorCode e = ParentOf(parsed, parent); e != error::kSuccess) {
    return e;
  }
  node = parent->Child(parsed.parts.back());
  return error::kSuccess;
}

MemoryFileSystem::Node* MemoryFileSystem::LookupPath(const std::wstring& path) const {
  Parsed parsed;
  Node* node = nullptr;
  if (Parse(path, parsed, true) != error::kSuccess || Lookup(parsed, node) != error::kSuccess) {
    return nullptr;
  }
  if (node != nullptr && !node->folder && parsed.trailingSeparator) {
    return nullptr;
  }
  return node;
}

std::wstring MemoryFileSystem::Key(const Parsed& parsed) const {
  std::wstring key(1, parsed.drive);
  key += L':';
  for (const auto& part : parsed.parts) {
    key += L'\\';
    key += FoldCase(part);
  }
  return key;
}

std::optional<ErrorCode> MemoryFileSystem::OpenFault(const Parsed& parsed) const {
  const auto it = openFaults_.find(Key(parsed));
  if (it == openFaults_.end()) {
    return std::nullopt;
  }
  return it->second;
}

std::optional<MemoryFileSystem::Fault> MemoryFileSystem::FindFault(
    const std::map<std::wstring, Fault>& faults, const Parsed& parsed) const {
  const auto it = faults.find(Key(parsed));
  if (it == faults.end()) {
    return std::nullopt;
  }
  return it->second;
}

bool MemoryFileSystem::ShareAllows(const Node* node, bool reads, bool writes, Share share) const {
  const auto has = [](Share mode, Share bit) {
    return (static_cast<std::uint32_t>(mode) & static_cast<std::uint32_t>(bit)) != 0;
  };
  for (const File* file : handles_) {
    if (file->node() != node) {
      continue;
    }
    // Every handle opened for reading (all of ours are) must be admitted by the new share mode.
    if ((reads && !has(file->share(), Share::kRead)) ||
        (writes && !has(file->share(), Share::kWrite)) || !has(share, Share::kRead) ||
        (file->writes() && !has(share, Share::kWrite))) {
      return false;
    }
  }
  return true;
}

bool MemoryFileSystem::HasHandlesWithin(const Node* folder) const {
  for (const File* file : handles_) {
    for (const Node* n = file->node(); n != nullptr; n = n->parent) {
      if (n == folder) {
        return true;
      }
    }
  }
  return false;
}

bool MemoryFileSystem::IsCurrentFolder(const Node* folder) const {
  Parsed current;
  current.drive = currentDrive_;
  current.parts = currentParts_;
  Node* node = nullptr;
  return Lookup(current, node) == error::kSuccess && node == folder;
}

MemoryFileSystem::Node* MemoryFileSystem::AddChild(Node* folder, const std::wstring& name,
                                                   bool isFolder) {
  auto node = std::make_unique<Node>();
  node->name = name;
  node->folder = isFolder;
  node->attributes = isFolder ? attr::kDirectory : attr::kArchive;
  node->lastWrite = now_;
  node->parent = folder;
  Node* raw = node.get();
  folder->children[FoldCase(name)] = std::move(node);
  Touch(folder);
  return raw;
}

std::unique_ptr<MemoryFileSystem::Node> MemoryFileSystem::Detach(Node* node) {
  Node* parent = node->parent;
  const auto it = parent->children.find(FoldCase(node->name));
  std::unique_ptr<Node> owned = std::move(it->second);
  parent->children.erase(it);
  owned->parent = nullptr;
  Touch(parent);
  return owned;
}

std::uint32_t MemoryFileSystem::ReportedAttributes(const Node* node) const {
  if (!node->folder && node->attributes == 0) {
    return attr::kNormal;
  }
  return node->attributes;
}

void MemoryFileSystem::Touch(Node* folder) {
  folder->lastWrite = now_;
}

void MemoryFileSystem::MarkLink(const std::wstring& path) {
  Node* node = LookupPath(path);
  if (node == nullptr || !node->folder) {
    throw std::invalid_argument("a link is made of an existing folder");
  }
  node->attributes |= 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
}

std::unique_ptr<IFile> MemoryFileSystem::Open(const std::wstring& path, Access access, Share share,
                                              Disposition disposition, ErrorCode& error) {
  SeamCalls::Count();
  openCalls_.push_back(OpenCall{path, access, share, disposition});
  Parsed parsed;
  if ((error = Parse(path, parsed, true)) != error::kSuccess) {
    return nullptr;
  }
  if (const auto fault = OpenFault(parsed)) {
    error = *fault;
    return nullptr;
  }
  if (parsed.parts.empty()) {
    error = error::kAccessDenied;  // a drive's root is a folder
    return nullptr;
  }
  Node* parent = nullptr;
  if ((error = ParentOf(parsed, parent)) != error::kSuccess) {
    return nullptr;
  }
  Node* node = parent->Child(parsed.parts.back());
  const bool writes = access == Access::kReadWrite;
  if (node != nullptr && disposition == Disposition::kCreateNew) {
    error = error::kFileExists;
    return nullptr;
  }
  if (node != nullptr && node->folder) {
    error = error::kAccessDenied;
    return nullptr;
  }
  if (parsed.trailingSeparator) {
    error = error::kInvalidName;  // a file's name followed by "\"
    return nullptr;
  }
  if (node == nullptr) {
    if (disposition == Disposition::kOpenExisting) {
      error = error::kFileNotFound;
      return nullptr;
    }
    node = AddChild(parent, parsed.parts.back(), false);
  } else {
    // The seam creates with FILE_ATTRIBUTE_NORMAL: Windows refuses to overwrite a file whose
    // hidden or system bit the create call does not repeat.
    if (disposition == Disposition::kCreateAlways &&
        (node->attributes & (attr::kReadOnly | attr::kHidden | attr::kSystem)) != 0) {
      error = error::kAccessDenied;
      return nullptr;
    }
    if (writes && (node->attributes & attr::kReadOnly) != 0) {
      error = error::kAccessDenied;
      return nullptr;
    }
    if (!ShareAllows(node, true, writes, share)) {
      error = error::kSharingViolation;
      return nullptr;
    }
    if (disposition == Disposition::kCreateAlways) {
      node->content.clear();
      node->attributes = attr::kArchive;
      node->lastWrite = now_;
    }
  }
  error = error::kSuccess;
  return std::make_unique<File>(*this, node, writes, share, FindFault(readFaults_, parsed),
                                FindFault(writeFaults_, parsed));
}

std::uint32_t MemoryFileSystem::GetAttributes(const std::wstring& path) {
  SeamCalls::Count();
  const Node* node = LookupPath(path);
  return node == nullptr ? attr::kInvalid : ReportedAttributes(node);
}

ErrorCode MemoryFileSystem::SetAttributes(const std::wstring& path, std::uint32_t attributes) {
  SeamCalls::Count();
  Parsed parsed;
  Node* node = nullptr;
  if (const ErrorCode e = Parse(path, parsed, true); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = Lookup(parsed, node); e != error::kSuccess) {
    return e;
  }
  if (node == nullptr) {
    return error::kFileNotFound;
  }
  if (!node->folder && parsed.trailingSeparator) {
    return error::kInvalidName;
  }
  // kNormal (and 0) clear every bit; a folder stays a folder.
  node->attributes = (attributes & kSettable) | (node->folder ? attr::kDirectory : 0);
  return error::kSuccess;
}

ErrorCode MemoryFileSystem::CreateFolder(const std::wstring& path) {
  SeamCalls::Count();
  Parsed parsed;
  if (const ErrorCode e = Parse(path, parsed, true); e != error::kSuccess) {
    return e;
  }
  if (parsed.parts.empty()) {
    return Root(parsed.drive) == nullptr ? error::kPathNotFound : error::kAlreadyExists;
  }
  Node* parent = nullptr;
  if (const ErrorCode e = ParentOf(parsed, parent); e != error::kSuccess) {
    return e;
  }
  if (parent->Child(parsed.parts.back()) != nullptr) {
    return error::kAlreadyExists;
  }
  AddChild(parent, parsed.parts.back(), true);
  return error::kSuccess;
}

ErrorCode MemoryFileSystem::RemoveFolder(const std::wstring& path) {
  SeamCalls::Count();
  Parsed parsed;
  Node* node = nullptr;
  if (const ErrorCode e = Parse(path, parsed, true); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = Lookup(parsed, node); e != error::kSuccess) {
    return e;
  }
  if (node == nullptr) {
    return error::kFileNotFound;
  }
  if (parsed.parts.empty()) {
    return error::kAccessDenied;
  }
  if (!node->folder) {
    return kDirectoryNameInvalid;
  }
  if (IsCurrentFolder(node)) {
    return error::kSharingViolation;  // the process holds its current folder open
  }
  if ((node->attributes & attr::kReadOnly) != 0) {
    return error::kAccessDenied;
  }
  if (!node->children.empty()) {
    return error::kDirNotEmpty;
  }
  Detach(node);
  return error::kSuccess;
}

ErrorCode MemoryFileSystem::RemoveFile(const std::wstring& path) {
  SeamCalls::Count();
  Parsed parsed;
  Node* node = nullptr;
  if (const ErrorCode e = Parse(path, parsed, true); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = Lookup(parsed, node); e != error::kSuccess) {
    return e;
  }
  if (node == nullptr) {
    return error::kFileNotFound;
  }
  if (node->folder) {
    return error::kAccessDenied;
  }
  if (parsed.trailingSeparator) {
    return error::kInvalidName;
  }
  // Deleting asks for DELETE access, which no handle of the seam shares.
  if (HasHandlesWithin(node)) {
    return error::kSharingViolation;
  }
  if ((node->attributes & attr::kReadOnly) != 0) {
    return error::kAccessDenied;
  }
  Detach(node);
  return error::kSuccess;
}

void MemoryFileSystem::Reattach(Node* node, Node* newParent, const std::wstring& name) {
  std::unique_ptr<Node> owned = Detach(node);
  owned->name = name;
  owned->parent = newParent;
  newParent->children[FoldCase(owned->name)] = std::move(owned);
  Touch(newParent);
}

ErrorCode MemoryFileSystem::Move(const std::wstring& from, const std::wstring& to) {
  SeamCalls::Count();
  Parsed source;
  Parsed target;
  Node* node = nullptr;
  if (const ErrorCode e = Parse(from, source, true); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = Parse(to, target, true); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = Lookup(source, node); e != error::kSuccess) {
    return e;
  }
  if (node == nullptr) {
    return error::kFileNotFound;
  }
  if (source.parts.empty() || target.parts.empty()) {
    return error::kAccessDenied;
  }
  if (!node->folder && source.trailingSeparator) {
    return error::kInvalidName;
  }
  Node* newParent = nullptr;
  if (const ErrorCode e = ParentOf(target, newParent); e != error::kSuccess) {
    return e;
  }
  const Node* existing = newParent->Child(target.parts.back());
  if (existing != nullptr && existing != node) {  // the same entry: a change of letter case
    return error::kAlreadyExists;
  }
  if (node->folder) {
    for (const Node* n = newParent; n != nullptr; n = n->parent) {
      if (n == node) {
        return error::kInvalidParameter;  // into itself
      }
    }
    // NTFS refuses to rename a folder while something below it is open.
    if (HasHandlesWithin(node) || IsCurrentFolder(node)) {
      return error::kAccessDenied;
    }
  } else if (HasHandlesWithin(node)) {
    return error::kSharingViolation;
  }
  Reattach(node, newParent, target.parts.back());
  return error::kSuccess;
}

ErrorCode MemoryFileSystem::Replace(const std::wstring& from, const std::wstring& to) {
  SeamCalls::Count();
  Parsed source;
  Parsed target;
  if (const ErrorCode e = Parse(from, source, true); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = Parse(to, target, true); e != error::kSuccess) {
    return e;
  }
  for (const Parsed* p : {&source, &target}) {
    const auto it = replaceFaults_.find(Key(*p));
    if (it != replaceFaults_.end()) {
      return it->second;
    }
  }
  Node* node = nullptr;
  if (const ErrorCode e = Lookup(source, node); e != error::kSuccess) {
    return e;
  }
  if (node == nullptr) {
    return error::kFileNotFound;
  }
  if (node->folder || source.parts.empty() || target.parts.empty()) {
    return error::kAccessDenied;  // only files are replaced here
  }
  Node* newParent = nullptr;
  if (const ErrorCode e = ParentOf(target, newParent); e != error::kSuccess) {
    return e;
  }
  Node* existing = newParent->Child(target.parts.back());
  if (existing != nullptr && existing != node) {
    if (existing->folder || (existing->attributes & attr::kReadOnly) != 0) {
      return error::kAccessDenied;
    }
    if (HasHandlesWithin(existing)) {
      return error::kAccessDenied;  // the open file cannot be deleted to make room
    }
  }
  if (HasHandlesWithin(node)) {
    return error::kSharingViolation;
  }
  if (existing != nullptr && existing != node) {
    Detach(existing);
  }
  Reattach(node, newParent, target.parts.back());
  return error::kSuccess;
}

ErrorCode MemoryFileSystem::SystemCopy(const std::wstring& source, const std::wstring& destination,
                                       bool failIfExists) {
  SeamCalls::Count();
  Parsed from;
  Parsed to;
  if (const ErrorCode e = Parse(source, from, true); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = Parse(destination, to, true); e != error::kSuccess) {
    return e;
  }
  for (const Parsed* p : {&from, &to}) {
    const auto it = copyFaults_.find(Key(*p));
    if (it != copyFaults_.end()) {
      return it->second;
    }
  }

  // The source, opened for reading with read sharing.
  if (const auto fault = OpenFault(from)) {
    return *fault;
  }
  Node* src = nullptr;
  if (const ErrorCode e = Lookup(from, src); e != error::kSuccess) {
    return e;
  }
  if (src == nullptr) {
    return error::kFileNotFound;
  }
  if (src->folder || from.parts.empty()) {
    return error::kAccessDenied;
  }
  if (from.trailingSeparator) {
    return error::kInvalidName;
  }
  if (!ShareAllows(src, true, false, Share::kRead)) {
    return error::kSharingViolation;
  }

  // The destination, created for writing without sharing, with the source's attributes.
  if (const auto fault = OpenFault(to)) {
    return *fault;
  }
  if (to.parts.empty()) {
    return error::kAccessDenied;
  }
  Node* parent = nullptr;
  if (const ErrorCode e = ParentOf(to, parent); e != error::kSuccess) {
    return e;
  }
  Node* dst = parent->Child(to.parts.back());
  if (dst != nullptr) {
    if (failIfExists) {
      return error::kFileExists;
    }
    if (dst->folder) {
      return error::kAccessDenied;
    }
    if (dst == src) {
      return error::kSharingViolation;  // the source is open without write sharing
    }
    // Read-only is never overwritten; hidden and system only when the source has them too.
    const std::uint32_t guarded =
        dst->attributes & (attr::kReadOnly | attr::kHidden | attr::kSystem);
    if ((guarded & attr::kReadOnly) != 0 ||
        (guarded & ~(src->attributes & (attr::kHidden | attr::kSystem))) != 0) {
      return error::kAccessDenied;
    }
    if (!ShareAllows(dst, false, true, Share::kNone)) {
      return error::kSharingViolation;
    }
  }
  if (to.trailingSeparator) {
    return error::kInvalidName;
  }

  const std::uint64_t used = UsedBytes() - (dst != nullptr ? dst->content.size() : 0);
  if (src->content.size() > capacity_ || used > capacity_ - src->content.size()) {
    if (dst != nullptr) {
      Detach(dst);  // CopyFileW deletes the destination it could not complete
    }
    return error::kDiskFull;
  }
  if (dst == nullptr) {
    dst = AddChild(parent, to.parts.back(), false);
  }
  dst->content = src->content;
  dst->attributes = (src->attributes & kKeptByCopy) | attr::kArchive;
  dst->lastWrite = src->lastWrite;
  return error::kSuccess;
}

ErrorCode MemoryFileSystem::Find(const std::wstring& pattern, std::vector<FindEntry>& entries) {
  SeamCalls::Count();
  std::wstring text = pattern;
  std::replace(text.begin(), text.end(), L'/', L'\\');
  std::wstring folderPart;
  std::wstring mask;
  const std::size_t cut = text.find_last_of(L'\\');
  if (cut != std::wstring::npos) {
    folderPart = text.substr(0, cut + 1);
    mask = text.substr(cut + 1);
  } else if (text.size() >= 2 && text[1] == L':') {
    folderPart = text.substr(0, 2);
    mask = text.substr(2);
  } else {
    folderPart = L".";
    mask = text;
  }
  Parsed parsed;
  if (const ErrorCode e = Parse(folderPart, parsed, true); e != error::kSuccess) {
    return e;
  }
  Node* folder = nullptr;
  if (const ErrorCode e = Lookup(parsed, folder); e != error::kSuccess) {
    return e;
  }
  if (folder == nullptr) {
    return error::kPathNotFound;
  }
  if (!folder->folder) {
    return error::kInvalidName;
  }
  if (mask.empty()) {
    return error::kFileNotFound;
  }
  if (std::any_of(mask.begin(), mask.end(),
                  [](wchar_t c) { return c != L'*' && c != L'?' && IsInvalidNameChar(c); })) {
    return error::kInvalidName;
  }

  const std::wstring foldedMask = FoldCase(mask);
  const auto add = [&](const std::wstring& name, const Node* node) {
    FindEntry entry;
    entry.name = name;
    entry.attributes = ReportedAttributes(node);
    entry.lastWrite = node->lastWrite;
    entry.size = node->folder ? 0 : node->content.size();
    entries.push_back(std::move(entry));
  };
  const std::size_t before = entries.size();
  if (folder->parent != nullptr) {
    if (MaskMatches(foldedMask, L".")) {
      add(L".", folder);
    }
    if (MaskMatches(foldedMask, L"..")) {
      add(L"..", folder->parent);
    }
  }
  for (const auto& [key, child] : folder->children) {
    if (MaskMatches(foldedMask, key)) {
      add(child->name, child.get());
    }
  }
  return entries.size() == before ? error::kFileNotFound : error::kSuccess;
}

std::wstring MemoryFileSystem::FullPath(const std::wstring& path) {
  SeamCalls::Count();
  Parsed parsed;
  if (Parse(path, parsed, false) != error::kSuccess) {
    return path;
  }
  std::wstring full = parsed.driveText + L"\\";
  for (std::size_t i = 0; i < parsed.parts.size(); ++i) {
    if (i != 0) {
      full += L'\\';
    }
    full += parsed.parts[i];
  }
  if (parsed.trailingSeparator && !parsed.parts.empty()) {
    full += L'\\';
  }
  return full;
}

bool MemoryFileSystem::UtcToLocal(FileTime utc, FileTime& local) {
  SeamCalls::Count();
  const std::int64_t bias = utcOffsetMinutes_ * kTicksPerMinute;
  constexpr auto kMax = static_cast<FileTime>(std::numeric_limits<std::int64_t>::max());
  if (utc > kMax || (bias < 0 && utc < static_cast<FileTime>(-bias)) ||
      (bias > 0 && utc > kMax - static_cast<FileTime>(bias))) {
    return false;
  }
  local = static_cast<FileTime>(static_cast<std::int64_t>(utc) + bias);
  return true;
}

bool MemoryFileSystem::LocalToUtc(FileTime local, FileTime& utc) {
  SeamCalls::Count();
  const std::int64_t bias = utcOffsetMinutes_ * kTicksPerMinute;
  constexpr auto kMax = static_cast<FileTime>(std::numeric_limits<std::int64_t>::max());
  if (local > kMax || (bias > 0 && local < static_cast<FileTime>(bias)) ||
      (bias < 0 && local > kMax - static_cast<FileTime>(-bias))) {
    return false;
  }
  utc = static_cast<FileTime>(static_cast<std::int64_t>(local) - bias);
  return true;
}

std::wstring MemoryFileSystem::ErrorText(ErrorCode code) {
  SeamCalls::Count();
  // Windows' own English texts.
  static const std::map<ErrorCode, const wchar_t*> kTexts = {
      {error::kSuccess, L"The operation completed successfully."},
      {error::kFileNotFound, L"The system cannot find the file specified."},
      {error::kPathNotFound, L"The system cannot find the path specified."},
      {error::kAccessDenied, L"Access is denied."},
      {error::kInvalidHandle, L"The handle is invalid."},
      {error::kNoMoreFiles, L"There are no more files."},
      {error::kWriteFault, L"The system cannot write to the specified device."},
      {error::kReadFault, L"The system cannot read from the specified device."},
      {error::kSharingViolation,
       L"The process cannot access the file because it is being used by another process."},
      {error::kHandleDiskFull, L"The disk is full."},
      {error::kFileExists, L"The file exists."},
      {error::kInvalidParameter, L"The parameter is incorrect."},
      {error::kDiskFull, L"There is not enough space on the disk."},
      {error::kInvalidName, L"The filename, directory name, or volume label syntax is incorrect."},
      {error::kDirNotEmpty, L"The directory is not empty."},
      {error::kFilenameExcedRange, L"The filename or extension is too long."},
      {error::kAlreadyExists, L"Cannot create a file when that file already exists."},
      {kDirectoryNameInvalid, L"The directory name is invalid."},
      {error::kNoUnicodeTranslation,
       L"No mapping for the Unicode character exists in the target multi-byte code page."},
  };
  const auto it = kTexts.find(code);
  return it != kTexts.end() ? std::wstring(it->second) : L"System error " + std::to_wstring(code);
}

ErrorCode MemoryFileSystem::SetCurrentFolder(const std::wstring& path) {
  Parsed parsed;
  Node* node = nullptr;
  if (const ErrorCode e = Parse(path, parsed, true); e != error::kSuccess) {
    return e;
  }
  if (const ErrorCode e = Lookup(parsed, node); e != error::kSuccess) {
    return e;
  }
  if (node == nullptr) {
    return error::kFileNotFound;
  }
  if (!node->folder) {
    return kDirectoryNameInvalid;
  }
  currentDrive_ = parsed.drive;
  currentDriveText_ = parsed.driveText;
  currentParts_ = parsed.parts;
  return error::kSuccess;
}

std::wstring MemoryFileSystem::CurrentFolder() const {
  std::wstring folder = currentDriveText_ + L"\\";
  for (std::size_t i = 0; i < currentParts_.size(); ++i) {
    if (i != 0) {
      folder += L'\\';
    }
    folder += currentParts_[i];
  }
  return folder;
}

void MemoryFileSystem::FailOpen(const std::wstring& path, ErrorCode code) {
  Parsed parsed;
  if (Parse(path, parsed, false) == error::kSuccess) {
    openFaults_[Key(parsed)] = code;
  }
}

void MemoryFileSystem::FailReadAfter(const std::wstring& path, std::uint64_t bytes,
                                     ErrorCode code) {
  Parsed parsed;
  if (Parse(path, parsed, false) == error::kSuccess) {
    readFaults_[Key(parsed)] = Fault{bytes, code};
  }
}

void MemoryFileSystem::FailWriteAfter(const std::wstring& path, std::uint64_t bytes,
                                      ErrorCode code) {
  Parsed parsed;
  if (Parse(path, parsed, false) == error::kSuccess) {
    writeFaults_[Key(parsed)] = Fault{bytes, code};
  }
}

void MemoryFileSystem::FailSystemCopy(const std::wstring& path, ErrorCode code) {
  Parsed parsed;
  if (Parse(path, parsed, false) == error::kSuccess) {
    copyFaults_[Key(parsed)] = code;
  }
}

void MemoryFileSystem::FailReplace(const std::wstring& path, ErrorCode code) {
  Parsed parsed;
  if (Parse(path, parsed, false) == error::kSuccess) {
    replaceFaults_[Key(parsed)] = code;
  }
}

void MemoryFileSystem::ClearFaults() {
  openFaults_.clear();
  readFaults_.clear();
  writeFaults_.clear();
  copyFaults_.clear();
  replaceFaults_.clear();
  capacity_ = std::numeric_limits<std::uint64_t>::max();
}

bool MemoryFileSystem::Exists(const std::wstring& path) const {
  return LookupPath(path) != nullptr;
}

std::optional<std::string> MemoryFileSystem::Content(const std::wstring& path) const {
  const Node* node = LookupPath(path);
  if (node == nullptr || node->folder) {
    return std::nullopt;
  }
  return node->content;
}

std::uint64_t MemoryFileSystem::UsedBytes() const {
  std::uint64_t total = 0;
  std::vector<const Node*> pending;
  for (const auto& [letter, root] : drives_) {
    pending.push_back(root.get());
  }
  while (!pending.empty()) {
    const Node* node = pending.back();
    pending.pop_back();
    total += node->content.size();
    for (const auto& [key, child] : node->children) {
      pending.push_back(child.get());
    }
  }
  return total;
}

}  // namespace os::testing
