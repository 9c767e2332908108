#include "os/Sha256Ni.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#ifdef _WIN32
#include "os/win32/Win32Crypto.h"
#else
#include "os/testing/TestCrypto.h"
#endif

namespace os {
namespace {

// Natively OpenSSL's digest, under Wine CryptoAPI's: both independent of the processor's.
Sha256Digest Reference(const std::string& message) {
#ifdef _WIN32
  win32::Win32Crypto crypto(/*systemProviderOnly=*/true);
#else
  testing::TestCrypto crypto;
#endif
  std::wstring error;
  auto hash = crypto.CreateSha256(error);
  Sha256Digest digest{};
  EXPECT_TRUE(hash && hash->Update(message.data(), message.size()) && hash->Finish(digest));
  return digest;
}

// The message fed in pieces of `size` bytes (the last one shorter).
Sha256Digest Processor(const std::string& message, std::size_t size) {
  Sha256Ni hash;
  for (std::size_t at = 0; at < message.size(); at += size) {
    hash.Update(message.data() + at, std::min(size, message.size() - at));
  }
  return hash.Finish();
}

TEST(Sha256Ni, AgreesWithTheReferenceWholeAndInPieces) {
  if (!Sha256Ni::Available()) {
    GTEST_SKIP() << "this processor has no SHA extensions (or no SSSE3/SSE4.1)";
  }
  std::vector<std::string> messages = {"", "abc",
                                       "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
                                       "abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhij"
                                       "klmnoijklmnopjklmnopqklmnopqrlmnop"
                                       "qrsmnopqrstnopqrstu",
                                       std::string(1'000'000, 'a')};
  // Every length around the padding's edges (55, 56, 64, 119, 120 ...) and several blocks.
  std::string bytes;
  for (int length = 0; length <= 300; ++length) {
    messages.push_back(bytes);
    bytes.push_back(static_cast<char>(length * 37 + 11));
  }
  const Sha256Digest abc = {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
                            0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
                            0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
  EXPECT_EQ(Processor("abc", 1), abc);
  for (const auto& message : messages) {
    const Sha256Digest expected = Reference(message);
    for (const std::size_t piece : {message.size() + 1, std::size_t{1}, std::size_t{7},
                                    std::size_t{63}, std::size_t{65}, std::size_t{1000}}) {
      EXPECT_EQ(Processor(message, piece), expected)
          << "length " << message.size() << ", pieces of " << piece;
    }
#ifdef _WIN32
    // The seam itself takes the processor's way here.
    std::wstring error;
    auto hash = win32::Win32Crypto().CreateSha256(error);
    Sha256Digest digest{};
    ASSERT_TRUE(hash && hash->Update(message.data(), message.size()) && hash->Finish(digest));
    EXPECT_EQ(digest, expected) << "the seam, length " << message.size();
#endif
  }
}

}  // namespace
}  // namespace os
