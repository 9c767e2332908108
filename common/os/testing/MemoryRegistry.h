#pragma once
// The in-memory double of the registry seam, with Windows' rules where a caller can tell: key
// and value names without letter case (keeping the case they were created with), a missing key
// or value answering ERROR_FILE_NOT_FOUND, access rights checked per key handle, string and
// other values told apart. A test can deny writing below a key (as HKEY_LOCAL_MACHINE does for
// a user without administrative rights), make writes fail, and look at keys, values and flushes.
// Not thread-safe. Key objects must not outlive it.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/Registry.h"

namespace os::testing {

class MemoryRegistry final : public IRegistry {
 public:
  MemoryRegistry();
  ~MemoryRegistry() override;
  MemoryRegistry(const MemoryRegistry&) = delete;
  MemoryRegistry& operator=(const MemoryRegistry&) = delete;

  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::wstring& path,
                                        std::uint32_t access, ErrorCode& error) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::wstring& path,
                                          std::uint32_t access, ErrorCode& error) override;
  ErrorCode DeleteKey(RegistryRoot root, const std::wstring& path, std::uint32_t view) override;

  // --- Set-up (keys on the way are created) ---
  void SetString(RegistryRoot root, const std::wstring& path, const std::wstring& name,
                 const std::wstring& value);
  // A value of another type than a string (a REG_DWORD, say).
  void SetNumber(RegistryRoot root, const std::wstring& path, const std::wstring& name,
                 std::uint32_t value);
  // Opening the key or any key below it for more than reading, and creating keys below it,
  // fail with kAccessDenied.
  void DenyWrite(RegistryRoot root, const std::wstring& path);
  // WriteString on this key fails with `code` and changes nothing.
  void FailWrites(RegistryRoot root, const std::wstring& path, ErrorCode code);

  // --- Inspection ---
  bool KeyExists(RegistryRoot root, const std::wstring& path) const;
  // A string value; nothing when the key or the value is missing or not a string.
  std::optional<std::wstring> String(RegistryRoot root, const std::wstring& path,
                                     const std::wstring& name) const;
  // A REG_DWORD value; nothing when the key or the value is missing or not a number.
  std::optional<std::uint32_t> Number(RegistryRoot root, const std::wstring& path,
                                      const std::wstring& name) const;
  // The value names of a key as they were written, sorted without letter case.
  std::vector<std::wstring> ValueNames(RegistryRoot root, const std::wstring& path) const;
  // How often the key was flushed.
  int Flushes(RegistryRoot root, const std::wstring& path) const;
  // Key objects not yet closed.
  int OpenKeys() const { return openKeys_; }

  // Every key and value as they stand, and PutBack to make them the content again (as for the
  // file system's image); no key may be open then.
  struct Node;
  using Image = std::pair<std::shared_ptr<const Node>, std::shared_ptr<const Node>>;
  Image TakeImage() const;
  void PutBack(const Image& image);

 private:
  class Key;

  // Opens (with `create`, creates) the key at `path` below `base`.
  std::unique_ptr<IRegistryKey> Open(Node* base, const std::wstring& path, std::uint32_t access,
                                     bool create, ErrorCode& error);
  Node* RootNode(RegistryRoot root) const;
  Node* Find(RegistryRoot root, const std::wstring& path) const;
  Node* Make(RegistryRoot root, const std::wstring& path);

  std::unique_ptr<Node> localMachine_;
  std::unique_ptr<Node> currentUser_;
  int openKeys_ = 0;
};

}  // namespace os::testing
