#pragma once
// The cryptography seam: SHA-256 digests by the system's own provider, of bytes fed in pieces as
// they pass by (a copy's blocks), so that nothing has to be read twice. Failures are results.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace os {

using Sha256Digest = std::array<std::uint8_t, 32>;

// A hash may be fed on another thread than the one that made it (a copy hashes on a second
// thread), by one thread at a time.
class IHash {
 public:
  virtual ~IHash() = default;
  // Adds bytes to the digest. False when the provider fails; the digest is then of no use.
  virtual bool Update(const void* data, std::size_t size) = 0;
  // The digest of every byte added. Called once; false when the provider fails.
  virtual bool Finish(Sha256Digest& digest) = 0;
};

class ICrypto {
 public:
  virtual ~ICrypto() = default;
  // A new SHA-256 hash. Null when the system cannot give one, with its text in `error`.
  virtual std::unique_ptr<IHash> CreateSha256(std::wstring& error) = 0;
};

}  // namespace os
