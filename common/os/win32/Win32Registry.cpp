#include "os/win32/Win32Registry.h"

#include <windows.h>

#include <vector>

#include "os/win32/Handle.h"

namespace os::win32 {
namespace {

struct RegistryKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { ::RegCloseKey(h); }
};
using RegistryKeyHandle = UniqueHandle<RegistryKeyTraits>;

HKEY RootKey(RegistryRoot root) {
  return root == RegistryRoot::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class Win32RegistryKey final : public IRegistryKey {
 public:
  explicit Win32RegistryKey(HKEY key) : key_(key) {}

  std::unique_ptr<IRegistryKey> OpenSubKey(const std::wstring& path, std::uint32_t access,
                                           ErrorCode& error) override {
    HKEY key = nullptr;
    error = static_cast<ErrorCode>(::RegOpenKeyExW(key_.Get(), path.c_str(), 0, access, &key));
    if (error != ERROR_SUCCESS) {
      return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key);
  }

  ErrorCode ReadString(const std::wstring& name, std::wstring& value) override {
    // The value may grow between the size query and the read: ask again until it fits.
    std::vector<wchar_t> buffer;
    for (;;) {
      DWORD type = 0;
      DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
      const LONG result = ::RegQueryValueExW(
          key_.Get(), name.c_str(), nullptr, &type,
          buffer.empty() ? nullptr : reinterpret_cast<BYTE*>(buffer.data()), &bytes);
      if (result == ERROR_SUCCESS && type != REG_SZ && type != REG_EXPAND_SZ) {
        return error::kUnsupportedType;
      }
      if (result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && buffer.empty() && bytes > 0)) {
        buffer.assign(bytes / sizeof(wchar_t) + 1, L'\0');
        continue;
      }
      if (result != ERROR_SUCCESS) {
        return static_cast<ErrorCode>(result);
      }
      // The stored data need not end in a zero; the extra unit of the buffer makes sure one
      // follows.
      if (buffer.empty()) {
        value.clear();
        return error::kSuccess;
      }
      const std::wstring text(buffer.data(), bytes / sizeof(wchar_t));
      value = text.substr(0, text.find(L'\0'));
      return error::kSuccess;
    }
  }

  ErrorCode WriteString(const std::wstring& name, const std::wstring& value) override {
    const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return static_cast<ErrorCode>(::RegSetValueExW(
        key_.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes));
  }

  ErrorCode ReadNumber(const std::wstring& name, std::uint32_t& value) override {
    DWORD type = 0;
    DWORD data = 0;
    DWORD bytes = sizeof(data);
    const LONG result = ::RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type,
                                           reinterpret_cast<BYTE*>(&data), &bytes);
    if (result == ERROR_MORE_DATA || (result == ERROR_SUCCESS && type != REG_DWORD)) {
      return error::kUnsupportedType;
    }
    if (result != ERROR_SUCCESS) {
      return static_cast<ErrorCode>(result);
    }
    value = data;
    return error::kSuccess;
  }

  ErrorCode WriteNumber(const std::wstring& name, std::uint32_t value) override {
    const DWORD data = value;
    return static_cast<ErrorCode>(::RegSetValueExW(key_.Get(), name.c_str(), 0, REG_DWORD,
                                                   reinterpret_cast<const BYTE*>(&data),
                                                   sizeof(data)));
  }

  ErrorCode Flush() override { return static_cast<ErrorCode>(::RegFlushKey(key_.Get())); }

 private:
  RegistryKeyHandle key_;
};

}  // namespace

std::unique_ptr<IRegistryKey> Win32Registry::OpenKey(RegistryRoot root, const std::wstring& path,
                                                     std::uint32_t access, ErrorCode& error) {
  HKEY key = nullptr;
  error = static_cast<ErrorCode>(::RegOpenKeyExW(RootKey(root), path.c_str(), 0, access, &key));
  if (error != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32RegistryKey>(key);
}

std::unique_ptr<IRegistryKey> Win32Registry::CreateKey(RegistryRoot root, const std::wstring& path,
                                                       std::uint32_t access, ErrorCode& error) {
  HKEY key = nullptr;
  error = static_cast<ErrorCode>(::RegCreateKeyExW(RootKey(root), path.c_str(), 0, nullptr,
                                                   REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                                                   nullptr));
  if (error != ERROR_SUCCESS) {
    return nullptr;
  }
  return std::make_unique<Win32RegistryKey>(key);
}

ErrorCode Win32Registry::DeleteKey(RegistryRoot root, const std::wstring& path,
                                   std::uint32_t view) {
  return static_cast<ErrorCode>(::RegDeleteKeyExW(RootKey(root), path.c_str(), view, 0));
}

}  // namespace os::win32
