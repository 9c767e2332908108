// SHA-256 for tests under Wine: the seam's Win32 implementation.
#ifdef _WIN32
#include "os/testing/TestCrypto.h"
#include "os/win32/Win32Crypto.h"

namespace os::testing {

std::unique_ptr<IHash> TestCrypto::CreateSha256(std::wstring& error) {
  if (failCreation_) {
    error = L"no SHA-256 provider (test)";
    return nullptr;
  }
  return os::win32::Win32Crypto().CreateSha256(error);
}

}  // namespace os::testing
#endif
