#include "os/Sha256Ni.h"

#include <algorithm>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define VIRELTA_SHA_NI 1
#endif

namespace os {
namespace {

constexpr std::array<std::uint32_t, 8> kInitial = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                                   0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};

#ifdef VIRELTA_SHA_NI
alignas(16) constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

// Only this function is compiled for the extensions; the caller checks Available() first.
__attribute__((target("sha,sse4.1,ssse3"))) void Compress(std::uint32_t* state,
                                                          const std::uint8_t* data,
                                                          std::size_t blocks) {
  // Message words are big-endian: this shuffle swaps the bytes of each 32-bit lane.
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bLL, 0x0405060700010203LL);

  // The rounds instruction takes the state as ABEF and CDGH.
  __m128i abcd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i efgh = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  __m128i cdab = _mm_shuffle_epi32(abcd, 0xB1);  // CDAB
  efgh = _mm_shuffle_epi32(efgh, 0x1B);          // HGFE
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);

  for (; blocks > 0; --blocks, data += 64) {
    const __m128i savedAbef = abef;
    const __m128i savedCdgh = cdgh;
    __m128i w[4];
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
      w[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)),
                              byteSwap);
    }
    // Sixteen groups of four rounds; w[g % 4] holds the four message words of group g. While
    // group g runs, the words of group g + 1 are completed (before group g - 1's are overwritten)
    // and those of group g + 3 begun in the slot of group g - 1.
    // Unrolled, so that the four slots stay in registers.
#pragma GCC unroll 16
    for (int group = 0; group < 16; ++group) {
      const __m128i& current = w[group % 4];
      __m128i message = _mm_add_epi32(
          current, _mm_load_si128(reinterpret_cast<const __m128i*>(kRound + 4 * group)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
      message = _mm_shuffle_epi32(message, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
      __m128i& before = w[(group + 3) % 4];
      if (group >= 3 && group < 15) {
        // W[t-7] are the words of group g - 1 shifted by one word; W[t-2] come from group g.
        __m128i& next = w[(group + 1) % 4];
        next = _mm_add_epi32(next, _mm_alignr_epi8(current, before, 4));
        next = _mm_sha256msg2_epu32(next, current);
      }
      if (group >= 1 && group < 13) {
        before = _mm_sha256msg1_epu32(before, current);
      }
    }
    abef = _mm_add_epi32(abef, savedAbef);
    cdgh = _mm_add_epi32(cdgh, savedCdgh);
  }

  // Back from ABEF/CDGH to ABCD/EFGH.
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  abcd = _mm_blend_epi16(feba, dchg, 0xF0);
  efgh = _mm_alignr_epi8(dchg, feba, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), abcd);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), efgh);
}
#else
void Compress(std::uint32_t*, const std::uint8_t*, std::size_t) {}
#endif

}  // namespace

bool Sha256Ni::Available() {
#ifdef VIRELTA_SHA_NI
  unsigned int eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) {
    return false;
  }
  const bool ssse3 = (ecx & bit_SSSE3) != 0;
  const bool sse41 = (ecx & bit_SSE4_1) != 0;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) {
    return false;
  }
  const bool sha = (ebx & (1u << 29)) != 0;
  return ssse3 && sse41 && sha;
#else
  return false;
#endif
}

Sha256Ni::Sha256Ni() : state_(kInitial) {}

void Sha256Ni::Update(const void* data, std::size_t size) {
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  length_ += size;
  if (buffered_ > 0) {
    const std::size_t take = std::min(size, block_.size() - buffered_);
    std::memcpy(block_.data() + buffered_, bytes, take);
    buffered_ += take;
    bytes += take;
    size -= take;
    if (buffered_ < block_.size()) {
      return;
    }
    Compress(state_.data(), block_.data(), 1);
    buffered_ = 0;
  }
  const std::size_t whole = size / 64;
  if (whole > 0) {
    Compress(state_.data(), bytes, whole);
    bytes += whole * 64;
    size -= whole * 64;
  }
  std::memcpy(block_.data(), bytes, size);
  buffered_ = size;
}

std::array<std::uint8_t, 32> Sha256Ni::Finish() {
  // The padding: a one bit, zeros up to 56 bytes into a block, the length in bits big-endian.
  const std::uint64_t bits = length_ * 8;
  block_[buffered_++] = 0x80;
  if (buffered_ > 56) {
    std::memset(block_.data() + buffered_, 0, block_.size() - buffered_);
    Compress(state_.data(), block_.data(), 1);
    buffered_ = 0;
  }
  std::memset(block_.data() + buffered_, 0, 56 - buffered_);
  for (int i = 0; i < 8; ++i) {
    block_[56 + i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
  }
  Compress(state_.data(), block_.data(), 1);
  std::array<std::uint8_t, 32> digest{};
  for (int i = 0; i < 8; ++i) {
    for (int j = 0; j < 4; ++j) {
      digest[4 * i + j] = static_cast<std::uint8_t>(state_[i] >> (24 - 8 * j));
    }
  }
  return digest;
}

}  // namespace os
