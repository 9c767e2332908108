#pragma once
// SHA-256 by the processor's SHA extensions, where it has them. The system's provider hashes a
// few hundred MiB/s, slower than a copy from the page cache; the extensions hash about ten times
// that, so the digest of a copied file no longer holds the copy up.
#include <array>
#include <cstddef>
#include <cstdint>

namespace os {

class Sha256Ni {
 public:
  // Whether this processor has the SHA extensions (and SSSE3, SSE4.1). False on other processors
  // than x86; then the class must not be used.
  static bool Available();

  Sha256Ni();
  // Adds bytes to the digest.
  void Update(const void* data, std::size_t size);
  // The digest of every byte added; the object is then used up.
  std::array<std::uint8_t, 32> Finish();

 private:
  std::array<std::uint32_t, 8> state_;
  std::array<std::uint8_t, 64> block_{};  // the bytes of a block not yet complete
  std::size_t buffered_ = 0;
  std::uint64_t length_ = 0;  // bytes added in all
};

}  // namespace os
