#include "os/overlay/OverlayRegistry.h"

#include "os/overlay/OverlayNames.h"
#include "text/NameCase.h"

namespace os::overlay {
namespace {

std::wstring KeyName(RegistryRoot root, const std::wstring& path) {
  std::wstring name = root == RegistryRoot::kLocalMachine ? L"HKLM" : L"HKCU";
  std::wstring folded = text::FoldNameCase(path);
  while (!folded.empty() && folded.back() == L'\\') {
    folded.pop_back();
  }
  return name + L"\\" + folded;
}

}  // namespace

// A key of the view: the base's key where there is one (for its values), the view's state for
// what was written.
class OverlayRegistry::Key final : public IRegistryKey {
 public:
  Key(OverlayRegistry& registry, RegistryRoot root, std::wstring path, std::uint32_t access,
      std::unique_ptr<IRegistryKey> base)
      : registry_(registry),
        root_(root),
        path_(std::move(path)),
        access_(access),
        base_(std::move(base)) {}

  std::unique_ptr<IRegistryKey> OpenSubKey(const std::wstring& path, std::uint32_t access,
                                           ErrorCode& error) override {
    return registry_.OpenKey(root_, path_ + L"\\" + path, access, error);
  }

  ErrorCode ReadString(const std::wstring& name, std::wstring& value) override {
    if (const KeyState* state = registry_.Find(root_, path_)) {
      if (const auto it = state->values.find(text::FoldNameCase(name)); it != state->values.end()) {
        value = it->second;
        return error::kSuccess;
      }
    }
    return base_ ? base_->ReadString(name, value) : error::kFileNotFound;
  }

  ErrorCode WriteString(const std::wstring& name, const std::wstring& value) override {
    if ((access_ & keyaccess::kSetValue) == 0) {
      return error::kAccessDenied;
    }
    registry_.State(root_, path_).values[text::FoldNameCase(name)] = value;
    return error::kSuccess;
  }

  ErrorCode ReadNumber(const std::wstring& name, std::uint32_t& value) override {
    if (const KeyState* state = registry_.Find(root_, path_)) {
      if (const auto it = state->numbers.find(text::FoldNameCase(name));
          it != state->numbers.end()) {
        value = it->second;
        return error::kSuccess;
      }
    }
    return base_ ? base_->ReadNumber(name, value) : error::kFileNotFound;
  }

  ErrorCode WriteNumber(const std::wstring& name, std::uint32_t value) override {
    if ((access_ & keyaccess::kSetValue) == 0) {
      return error::kAccessDenied;
    }
    registry_.State(root_, path_).numbers[text::FoldNameCase(name)] = value;
    return error::kSuccess;
  }

  ErrorCode Flush() override { return error::kSuccess; }

 private:
  OverlayRegistry& registry_;
  RegistryRoot root_;
  std::wstring path_;
  std::uint32_t access_;
  std::unique_ptr<IRegistryKey> base_;
};

OverlayRegistry::KeyState& OverlayRegistry::State(RegistryRoot root, const std::wstring& path) {
  return keys_[KeyName(root, path)];
}

const OverlayRegistry::KeyState* OverlayRegistry::Find(RegistryRoot root,
                                                       const std::wstring& path) const {
  const auto it = keys_.find(KeyName(root, path));
  return it == keys_.end() ? nullptr : &it->second;
}

std::unique_ptr<IRegistryKey> OverlayRegistry::OpenKey(RegistryRoot root, const std::wstring& path,
                                                       std::uint32_t access, ErrorCode& error) {
  error = error::kSuccess;
  if (const KeyState* state = Find(root, path); state != nullptr && state->deleted) {
    error = error::kFileNotFound;
    return nullptr;
  }
  if (const KeyState* state = Find(root, path); state != nullptr && state->created) {
    return std::make_unique<Key>(*this, root, path, access, nullptr);
  }
  auto base = base_.OpenKey(root, path, access, error);
  if (!base) {
    return nullptr;
  }
  return std::make_unique<Key>(*this, root, path, access, std::move(base));
}

std::unique_ptr<IRegistryKey> OverlayRegistry::CreateKey(RegistryRoot root,
                                                         const std::wstring& path,
                                                         std::uint32_t access, ErrorCode& error) {
  auto key = OpenKey(root, path, access, error);
  if (key || error != error::kFileNotFound) {
    return key;
  }
  // Missing on the base: made here, with every missing parent.
  for (std::size_t cut = path.find(L'\\'); cut != std::wstring::npos;
       cut = path.find(L'\\', cut + 1)) {
    const std::wstring parent = path.substr(0, cut);
    ErrorCode parentError = error::kSuccess;
    if (!base_.OpenKey(root, parent, keyaccess::kQueryValue, parentError) &&
        parentError == error::kFileNotFound) {
      State(root, parent).created = true;
    }
  }
  KeyState& made = State(root, path);
  made = KeyState{};
  made.created = true;
  error = error::kSuccess;
  return std::make_unique<Key>(*this, root, path, access, nullptr);
}

ErrorCode OverlayRegistry::DeleteKey(RegistryRoot root, const std::wstring& path,
                                     std::uint32_t view) {
  ErrorCode error = error::kSuccess;
  if (!OpenKey(root, path, keyaccess::kQueryValue | view, error)) {
    return error;
  }
  KeyState& state = State(root, path);
  state = KeyState{};
  state.deleted = true;
  return error::kSuccess;
}

}  // namespace os::overlay
