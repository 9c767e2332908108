// SHA-256 for native tests: OpenSSL's EVP digest.
#ifndef _WIN32
#include <openssl/evp.h>

#include "os/testing/SeamCalls.h"
#include "os/testing/TestCrypto.h"

namespace os::testing {
namespace {

struct ContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class OpenSslHash final : public IHash {
 public:
  explicit OpenSslHash(std::unique_ptr<EVP_MD_CTX, ContextFree> context)
      : context_(std::move(context)) {}

  bool Update(const void* data, std::size_t size) override {
    return EVP_DigestUpdate(context_.get(), data, size) == 1;
  }

  bool Finish(Sha256Digest& digest) override {
    unsigned int size = 0;
    return EVP_DigestFinal_ex(context_.get(), digest.data(), &size) == 1 && size == digest.size();
  }

 private:
  std::unique_ptr<EVP_MD_CTX, ContextFree> context_;
};

}  // namespace

std::unique_ptr<IHash> TestCrypto::CreateSha256(std::wstring& error) {
  SeamCalls::Count();
  if (failCreation_) {
    error = L"no SHA-256 provider (test)";
    return nullptr;
  }
  std::unique_ptr<EVP_MD_CTX, ContextFree> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
    error = L"EVP_DigestInit_ex failed";
    return nullptr;
  }
  return std::make_unique<OpenSslHash>(std::move(context));
}

}  // namespace os::testing
#endif
