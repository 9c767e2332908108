#pragma once
// A copy-on-write view of the registry: keys are opened on the base with the access asked for,
// so that a refused right is met as a real run would meet it; values written live in memory and
// are read before the base's. A key missing on the base is created in memory only, taken to
// succeed (the right to create it is not predicted). Not thread-safe; keys must not outlive it.
#include <map>
#include <memory>
#include <string>

#include "os/Registry.h"

namespace os::overlay {

class OverlayRegistry final : public IRegistry {
 public:
  explicit OverlayRegistry(IRegistry& base) : base_(base) {}
  OverlayRegistry(const OverlayRegistry&) = delete;
  OverlayRegistry& operator=(const OverlayRegistry&) = delete;

  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::wstring& path,
                                        std::uint32_t access, ErrorCode& error) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::wstring& path,
                                          std::uint32_t access, ErrorCode& error) override;
  // Taken to succeed on a key the view can open; the view answers as if it were gone.
  ErrorCode DeleteKey(RegistryRoot root, const std::wstring& path, std::uint32_t view) override;

  // A key's state in the view: whether it was made here, and the values written to it.
  struct KeyState {
    bool created = false;
    bool deleted = false;
    std::map<std::wstring, std::wstring> values;    // by folded name
    std::map<std::wstring, std::uint32_t> numbers;  // by folded name
  };

 private:
  class Key;
  KeyState& State(RegistryRoot root, const std::wstring& path);
  const KeyState* Find(RegistryRoot root, const std::wstring& path) const;

  IRegistry& base_;
  std::map<std::wstring, KeyState> keys_;  // by root and folded path
};

}  // namespace os::overlay
