// Digests of test data computed without the engine: one-shot calls of zlib
// and libcrypto, for every algorithm and size the engine offers, and the
// deterministic bytes the engine's tests feed it.
#pragma once

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "digest/digest_engine.h"

namespace vandrel::testing {

struct Combination {
  std::int32_t algorithm;
  std::int32_t bits;
  const char* openssl_name;  // nullptr for CRC32
};

inline constexpr Combination kCombinations[] = {
    {kDigestCrc32, 0, nullptr},     {kDigestMd5, 0, "MD5"},         {kDigestSha1, 0, "SHA1"},
    {kDigestSha2, 224, "SHA2-224"}, {kDigestSha2, 256, "SHA2-256"}, {kDigestSha2, 384, "SHA2-384"},
    {kDigestSha2, 512, "SHA2-512"}, {kDigestSha3, 224, "SHA3-224"}, {kDigestSha3, 256, "SHA3-256"},
    {kDigestSha3, 384, "SHA3-384"}, {kDigestSha3, 512, "SHA3-512"},
};

inline std::string Hex(const unsigned char* bytes, std::size_t count) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < count; ++i) {
    text += kDigits[bytes[i] >> 4];
    text += kDigits[bytes[i] & 15];
  }
  return text;
}

// One-shot digest of `data` by zlib or libcrypto, independent of the engine.
inline std::string Reference(const Combination& combination, const std::string& data) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  if (combination.openssl_name == nullptr) {
    const uLong crc = crc32(0, bytes, static_cast<uInt>(data.size()));
    const unsigned char be[4] = {
        static_cast<unsigned char>(crc >> 24), static_cast<unsigned char>(crc >> 16),
        static_cast<unsigned char>(crc >> 8), static_cast<unsigned char>(crc)};
    return Hex(be, 4);
  }
  unsigned char out[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EXPECT_EQ(EVP_Digest(bytes, data.size(), out, &length,
                       EVP_get_digestbyname(combination.openssl_name), nullptr),
            1);
  return Hex(out, length);
}

// Deterministic bytes with every value represented, so that byte order and
// chunk seams matter.
inline std::string PatternBytes(std::size_t size, std::uint32_t seed) {
  std::string data(size, '\0');
  std::uint32_t state = seed * 2654435761u + 1;
  for (auto& c : data) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    c = static_cast<char>(state >> 24);
  }
  return data;
}

}  // namespace vandrel::testing
