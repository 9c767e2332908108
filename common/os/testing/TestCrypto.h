#pragma once
// SHA-256 for tests: real digests, so that a test medium's manifest is what sha256sum writes.
// Natively OpenSSL's (for the tests only; the shipped programs use the system's provider), under
// Wine the Win32 seam itself. Each build has one definition: TestCryptoNative.cpp outside
// Windows, TestCryptoWin32.cpp on Windows. The provider can be made to fail.
#include <memory>
#include <string>

#include "os/Crypto.h"

namespace os::testing {

class TestCrypto final : public ICrypto {
 public:
  std::unique_ptr<IHash> CreateSha256(std::wstring& error) override;

  // CreateSha256 fails from now on, as a system without the provider does.
  void FailCreation(bool fail) { failCreation_ = fail; }

 private:
  bool failCreation_ = false;
};

}  // namespace os::testing
