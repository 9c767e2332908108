#include "os/win32/Win32Crypto.h"

#include <windows.h>

#include <wincrypt.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

#include "os/Sha256Ni.h"
#include "os/win32/Handle.h"

namespace os::win32 {
namespace {

struct ProviderTraits {
  using Type = HCRYPTPROV;
  static Type Invalid() { return 0; }
  static void Close(Type h) { ::CryptReleaseContext(h, 0); }
};
struct HashTraits {
  using Type = HCRYPTHASH;
  static Type Invalid() { return 0; }
  static void Close(Type h) { ::CryptDestroyHash(h); }
};
using Provider = UniqueHandle<ProviderTraits>;
using HashHandle = UniqueHandle<HashTraits>;

std::wstring LastErrorText(const wchar_t* call) {
  const DWORD code = ::GetLastError();
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length > 0 ? std::wstring(buffer, length) : std::wstring();
  ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  wchar_t number[16];
  std::swprintf(number, 16, L"0x%08lX", static_cast<unsigned long>(code));
  return std::wstring(call) + L": " + (text.empty() ? number : text + L" (" + number + L")");
}

constexpr std::size_t kMaxPiece = std::size_t{1} << 30;

class Win32Hash final : public IHash {
 public:
  Win32Hash(Provider provider, HashHandle hash)
      : provider_(std::move(provider)), hash_(std::move(hash)) {}

  bool Update(const void* data, std::size_t size) override {
    const auto* bytes = static_cast<const BYTE*>(data);
    while (size > 0) {
      // CryptHashData takes a DWORD count: a larger block goes in pieces.
      const auto piece = static_cast<DWORD>(std::min<std::size_t>(size, kMaxPiece));
      if (!::CryptHashData(hash_.Get(), bytes, piece, 0)) {
        return false;
      }
      bytes += piece;
      size -= piece;
    }
    return true;
  }

  bool Finish(Sha256Digest& digest) override {
    DWORD size = static_cast<DWORD>(digest.size());
    return ::CryptGetHashParam(hash_.Get(), HP_HASHVAL, digest.data(), &size, 0) &&
           size == digest.size();
  }

 private:
  // The hash goes before the provider it was made by.
  Provider provider_;
  HashHandle hash_;
};

class ProcessorHash final : public IHash {
 public:
  bool Update(const void* data, std::size_t size) override {
    hash_.Update(data, size);
    return true;
  }

  bool Finish(Sha256Digest& digest) override {
    digest = hash_.Finish();
    return true;
  }

 private:
  Sha256Ni hash_;
};

}  // namespace

std::unique_ptr<IHash> Win32Crypto::CreateSha256(std::wstring& error) {
  static const bool processorSha = Sha256Ni::Available();
  if (processorSha && !systemProviderOnly_) {
    return std::make_unique<ProcessorHash>();
  }
  HCRYPTPROV rawProvider = 0;
  if (!::CryptAcquireContextW(&rawProvider, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
    error = LastErrorText(L"CryptAcquireContextW");
    return nullptr;
  }
  Provider provider(rawProvider);
  HCRYPTHASH rawHash = 0;
  if (!::CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, &rawHash)) {
    error = LastErrorText(L"CryptCreateHash");
    return nullptr;
  }
  return std::make_unique<Win32Hash>(std::move(provider), HashHandle(rawHash));
}

}  // namespace os::win32
