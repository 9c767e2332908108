#include "os/testing/MemoryRegistry.h"

#include <algorithm>
#include <stdexcept>
#include <variant>

#include "os/testing/MemoryFileSystem.h"
#include "os/testing/SeamCalls.h"

namespace os::testing {

struct MemoryRegistry::Node {
  struct Value {
    std::wstring name;
    std::variant<std::wstring, std::uint32_t> data;
  };
  std::wstring name;
  Node* parent = nullptr;
  std::map<std::wstring, std::unique_ptr<Node>> children;  // by folded name
  std::map<std::wstring, Value> values;                    // by folded name
  bool writeDenied = false;
  std::optional<ErrorCode> writeFailure;
  int flushes = 0;

  bool WriteDenied() const {
    for (const Node* node = this; node != nullptr; node = node->parent) {
      if (node->writeDenied) {
        return true;
      }
    }
    return false;
  }
};

namespace {

using Node = MemoryRegistry::Node;

// The key names of a path; a leading "\" is refused like Windows refuses it.
bool SplitPath(const std::wstring& path, std::vector<std::wstring>& parts) {
  if (!path.empty() && path.front() == L'\\') {
    return false;
  }
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find(L'\\', start), path.size());
    if (end > start) {
      parts.push_back(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return true;
}

bool AsksForMoreThanReading(std::uint32_t access) {
  return (access & ~(keyaccess::kRead | keyaccess::kView32)) != 0;
}

Node* Child(const Node* node, const std::wstring& name) {
  const auto found = node->children.find(FoldCase(name));
  return found == node->children.end() ? nullptr : found->second.get();
}

Node* AddChild(Node* node, const std::wstring& name) {
  auto child = std::make_unique<Node>();
  child->name = name;
  child->parent = node;
  Node* added = child.get();
  node->children[FoldCase(name)] = std::move(child);
  return added;
}

}  // namespace

class MemoryRegistry::Key final : public IRegistryKey {
 public:
  Key(MemoryRegistry& owner, Node* node, std::uint32_t access)
      : owner_(owner), node_(node), access_(access) {
    ++owner_.openKeys_;
  }
  ~Key() override { --owner_.openKeys_; }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;

  std::unique_ptr<IRegistryKey> OpenSubKey(const std::wstring& path, std::uint32_t access,
                                           ErrorCode& error) override {
    SeamCalls::Count();
    return owner_.Open(node_, path, access, false, error);
  }

  ErrorCode ReadString(const std::wstring& name, std::wstring& value) override {
    SeamCalls::Count();
    if ((access_ & keyaccess::kQueryValue) == 0) {
      return error::kAccessDenied;
    }
    const auto found = node_->values.find(FoldCase(name));
    if (found == node_->values.end()) {
      return error::kFileNotFound;
    }
    const auto* text = std::get_if<std::wstring>(&found->second.data);
    if (text == nullptr) {
      return error::kUnsupportedType;
    }
    value = text->substr(0, text->find(L'\0'));
    return error::kSuccess;
  }

  ErrorCode WriteString(const std::wstring& name, const std::wstring& value) override {
    return Write(name, value);
  }

  ErrorCode ReadNumber(const std::wstring& name, std::uint32_t& value) override {
    SeamCalls::Count();
    if ((access_ & keyaccess::kQueryValue) == 0) {
      return error::kAccessDenied;
    }
    const auto found = node_->values.find(FoldCase(name));
    if (found == node_->values.end()) {
      return error::kFileNotFound;
    }
    const auto* number = std::get_if<std::uint32_t>(&found->second.data);
    if (number == nullptr) {
      return error::kUnsupportedType;
    }
    value = *number;
    return error::kSuccess;
  }

  ErrorCode WriteNumber(const std::wstring& name, std::uint32_t value) override {
    return Write(name, value);
  }

  ErrorCode Flush() override {
    SeamCalls::Count();
    ++node_->flushes;
    return error::kSuccess;
  }

 private:
  // A value written as a string or a number: the name keeps its first spelling.
  template <class Data>
  ErrorCode Write(const std::wstring& name, const Data& value) {
    SeamCalls::Count();
    if ((access_ & keyaccess::kSetValue) == 0) {
      return error::kAccessDenied;
    }
    if (node_->writeFailure) {
      return *node_->writeFailure;
    }
    auto& stored = node_->values[FoldCase(name)];
    if (stored.name.empty()) {
      stored.name = name;
    }
    stored.data = value;
    return error::kSuccess;
  }

  MemoryRegistry& owner_;
  Node* node_;
  std::uint32_t access_;
};

MemoryRegistry::MemoryRegistry()
    : localMachine_(std::make_unique<Node>()), currentUser_(std::make_unique<Node>()) {
  localMachine_->name = L"HKEY_LOCAL_MACHINE";
  currentUser_->name = L"HKEY_CURRENT_USER";
}

MemoryRegistry::~MemoryRegistry() = default;

namespace {

template <typename Node>
std::unique_ptr<Node> CloneKey(const Node& node, Node* parent) {
  auto copy = std::make_unique<Node>();
  copy->name = node.name;
  copy->parent = parent;
  copy->values = node.values;
  copy->writeDenied = node.writeDenied;
  copy->writeFailure = node.writeFailure;
  copy->flushes = node.flushes;
  for (const auto& [key, child] : node.children) {
    copy->children[key] = CloneKey(*child, copy.get());
  }
  return copy;
}

}  // namespace

MemoryRegistry::Image MemoryRegistry::TakeImage() const {
  return {CloneKey<Node>(*localMachine_, nullptr), CloneKey<Node>(*currentUser_, nullptr)};
}

void MemoryRegistry::PutBack(const Image& image) {
  if (openKeys_ != 0) {
    throw std::logic_error("a key is still open");
  }
  localMachine_ = CloneKey<Node>(*image.first, nullptr);
  currentUser_ = CloneKey<Node>(*image.second, nullptr);
}

std::unique_ptr<IRegistryKey> MemoryRegistry::Open(Node* base, const std::wstring& path,
                                                   std::uint32_t access, bool create,
                                                   ErrorCode& error) {
  std::vector<std::wstring> parts;
  if (!SplitPath(path, parts)) {
    error = error::kBadPathname;
    return nullptr;
  }
  Node* node = base;
  for (const std::wstring& part : parts) {
    Node* child = Child(node, part);
    if (child == nullptr) {
      if (!create) {
        error = error::kFileNotFound;
        return nullptr;
      }
      if (node->WriteDenied()) {
        error = error::kAccessDenied;
        return nullptr;
      }
      child = AddChild(node, part);
    }
    node = child;
  }
  if (AsksForMoreThanReading(access) && node->WriteDenied()) {
    error = error::kAccessDenied;
    return nullptr;
  }
  error = error::kSuccess;
  return std::make_unique<Key>(*this, node, access);
}

std::unique_ptr<IRegistryKey> MemoryRegistry::OpenKey(RegistryRoot root, const std::wstring& path,
                                                      std::uint32_t access, ErrorCode& error) {
  SeamCalls::Count();
  return Open(RootNode(root), path, access, false, error);
}

std::unique_ptr<IRegistryKey> MemoryRegistry::CreateKey(RegistryRoot root, const std::wstring& path,
                                                        std::uint32_t access, ErrorCode& error) {
  SeamCalls::Count();
  return Open(RootNode(root), path, access, true, error);
}

// The double has one view: the 32-bit one is the same keys.
ErrorCode MemoryRegistry::DeleteKey(RegistryRoot root, const std::wstring& path,
                                    std::uint32_t /*view*/) {
  SeamCalls::Count();
  Node* node = Find(root, path);
  if (node == nullptr || node->parent == nullptr) {
    return error::kFileNotFound;
  }
  if (node->WriteDenied()) {
    return error::kAccessDenied;
  }
  if (!node->children.empty()) {
    return error::kAccessDenied;  // as RegDeleteKeyExW answers for a key with sub-keys
  }
  node->parent->children.erase(FoldCase(node->name));
  return error::kSuccess;
}

Node* MemoryRegistry::RootNode(RegistryRoot root) const {
  return root == RegistryRoot::kLocalMachine ? localMachine_.get() : currentUser_.get();
}

Node* MemoryRegistry::Find(RegistryRoot root, const std::wstring& path) const {
  std::vector<std::wstring> parts;
  if (!SplitPath(path, parts)) {
    return nullptr;
  }
  Node* node = RootNode(root);
  for (const std::wstring& part : parts) {
    node = Child(node, part);
    if (node == nullptr) {
      return nullptr;
    }
  }
  return node;
}

Node* MemoryRegistry::Make(RegistryRoot root, const std::wstring& path) {
  std::vector<std::wstring> parts;
  if (!SplitPath(path, parts)) {
    throw std::invalid_argument("a registry path must not begin with a backslash");
  }
  Node* node = RootNode(root);
  for (const std::wstring& part : parts) {
    Node* child = Child(node, part);
    node = child != nullptr ? child : AddChild(node, part);
  }
  return node;
}

void MemoryRegistry::SetString(RegistryRoot root, const std::wstring& path,
                               const std::wstring& name, const std::wstring& value) {
  Node::Value& stored = Make(root, path)->values[FoldCase(name)];
  stored.name = name;
  stored.data = value;
}

void MemoryRegistry::SetNumber(RegistryRoot root, const std::wstring& path,
                               const std::wstring& name, std::uint32_t value) {
  Node::Value& stored = Make(root, path)->values[FoldCase(name)];
  stored.name = name;
  stored.data = value;
}

void MemoryRegistry::DenyWrite(RegistryRoot root, const std::wstring& path) {
  Make(root, path)->writeDenied = true;
}

void MemoryRegistry::FailWrites(RegistryRoot root, const std::wstring& path, ErrorCode code) {
  Make(root, path)->writeFailure = code;
}

bool MemoryRegistry::KeyExists(RegistryRoot root, const std::wstring& path) const {
  return Find(root, path) != nullptr;
}

namespace {

// A value of one type as the test reads it back: nothing for a missing key or value, or a value
// of the other type.
template <typename Data, typename Node>
std::optional<Data> StoredValue(const Node* node, const std::wstring& name) {
  if (node == nullptr) {
    return std::nullopt;
  }
  const auto found = node->values.find(FoldCase(name));
  if (found == node->values.end()) {
    return std::nullopt;
  }
  const auto* data = std::get_if<Data>(&found->second.data);
  return data == nullptr ? std::nullopt : std::optional<Data>(*data);
}

}  // namespace

std::optional<std::wstring> MemoryRegistry::String(RegistryRoot root, const std::wstring& path,
                                                   const std::wstring& name) const {
  return StoredValue<std::wstring>(Find(root, path), name);
}

std::optional<std::uint32_t> MemoryRegistry::Number(RegistryRoot root, const std::wstring& path,
                                                    const std::wstring& name) const {
  return StoredValue<std::uint32_t>(Find(root, path), name);
}

std::vector<std::wstring> MemoryRegistry::ValueNames(RegistryRoot root,
                                                     const std::wstring& path) const {
  std::vector<std::wstring> names;
  if (const Node* node = Find(root, path)) {
    for (const auto& [folded, value] : node->values) {
      names.push_back(value.name);
    }
  }
  return names;
}

int MemoryRegistry::Flushes(RegistryRoot root, const std::wstring& path) const {
  const Node* node = Find(root, path);
  return node == nullptr ? 0 : node->flushes;
}

}  // namespace os::testing
