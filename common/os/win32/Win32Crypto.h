#pragma once
#include "os/Crypto.h"

namespace os::win32 {

// The cryptography seam on CryptoAPI (advapi32, the AES provider type, which has SHA-256): it is
// there on every Windows the kit installs on, Windows XP SP3 included, and needs no other DLL.
class Win32Crypto final : public ICrypto {
 public:
  std::unique_ptr<IHash> CreateSha256(std::wstring& error) override;
};

}  // namespace os::win32
