#pragma once
// The registry seam: opening and creating keys under the two roots the programs use, and reading
// and writing string and number values, removing a key, with Windows' error codes. A key is closed
// when its object goes.
#include <cstdint>
#include <memory>
#include <string>

#include "os/FileSystem.h"

namespace os {

enum class RegistryRoot { kLocalMachine, kCurrentUser };

// Access rights asked for when a key is opened (REGSAM).
namespace keyaccess {
constexpr std::uint32_t kQueryValue = 0x0001;
constexpr std::uint32_t kSetValue = 0x0002;
constexpr std::uint32_t kCreateSubKey = 0x0004;
constexpr std::uint32_t kRead = 0x20019;       // KEY_READ
constexpr std::uint32_t kAllAccess = 0xF003F;  // KEY_ALL_ACCESS
// Added to any of the above: the 32-bit view of the machine's software keys (KEY_WOW64_32KEY),
// which a 32-bit program gets anyway and a 64-bit one must ask for.
constexpr std::uint32_t kView32 = 0x0200;
}  // namespace keyaccess

namespace error {
constexpr ErrorCode kBadPathname = 161;
constexpr ErrorCode kUnsupportedType = 1630;
}  // namespace error

class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;
  // RegOpenKeyExW below this key (never creates it). On failure null, with `error` set.
  virtual std::unique_ptr<IRegistryKey> OpenSubKey(const std::wstring& path, std::uint32_t access,
                                                   ErrorCode& error) = 0;
  // RegQueryValueExW of a string value (REG_SZ, or REG_EXPAND_SZ left unexpanded), up to its
  // first zero. kFileNotFound when the value is missing, kUnsupportedType for another type.
  virtual ErrorCode ReadString(const std::wstring& name, std::wstring& value) = 0;
  // RegSetValueExW as REG_SZ, replacing a value of that name (names without letter case).
  virtual ErrorCode WriteString(const std::wstring& name, const std::wstring& value) = 0;
  // RegQueryValueExW of a REG_DWORD. kFileNotFound when missing, kUnsupportedType for another type.
  virtual ErrorCode ReadNumber(const std::wstring& name, std::uint32_t& value) = 0;
  // RegSetValueExW as REG_DWORD, replacing a value of that name.
  virtual ErrorCode WriteNumber(const std::wstring& name, std::uint32_t value) = 0;
  // RegFlushKey: the key's changes written to disk before this returns.
  virtual ErrorCode Flush() = 0;
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;
  // RegOpenKeyExW of a key below a root. kFileNotFound when it is missing.
  virtual std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::wstring& path,
                                                std::uint32_t access, ErrorCode& error) = 0;
  // RegCreateKeyExW (a lasting key): opens the key, creating it and its missing parents first.
  virtual std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::wstring& path,
                                                  std::uint32_t access, ErrorCode& error) = 0;
  // RegDeleteKeyExW of a key without sub-keys, in the view `view` asks for (0 or
  // keyaccess::kView32). kFileNotFound when it is missing.
  virtual ErrorCode DeleteKey(RegistryRoot root, const std::wstring& path, std::uint32_t view) = 0;
};

}  // namespace os
