#pragma once
#include "os/Crypto.h"

namespace os::win32 {

// The cryptography seam: SHA-256 by the processor's SHA extensions where it has them (Sha256Ni,
// several times faster than the system's provider), otherwise on CryptoAPI (advapi32, the AES
// provider type, which has SHA-256): it is there on every Windows the kit installs on, Windows XP
// SP3 included, and needs no other DLL.
class Win32Crypto final : public ICrypto {
 public:
  // With `systemProviderOnly`, CryptoAPI even where the processor has the extensions (the tests
  // compare the two).
  explicit Win32Crypto(bool systemProviderOnly = false) : systemProviderOnly_(systemProviderOnly) {}

  std::unique_ptr<IHash> CreateSha256(std::wstring& error) override;

 private:
  bool systemProviderOnly_;
};

}  // namespace os::win32
