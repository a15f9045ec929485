// Tests of the CRC-32 adapter: the published check value, byte order and
// leading zeros of the printed text, and chaining of partial updates, checked
// against zlib's crc32 on the same bytes.
#include "digest/digest_crc32.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/scratch_directory.h"

namespace vandrel {
namespace {

class DigestCrc32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static const bool registered = RegisterStandardDigests();
    ASSERT_TRUE(registered);
  }

  void SetUp() override { ASSERT_FALSE(directory_.empty()); }

  std::string DigestOf(const std::string& data) {
    const std::string path = directory_ + "/data";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
    return FileDigest(path, kDigestCrc32);
  }

  // Runs the adapter's operations directly, feeding `data` in pieces of the
  // given sizes (cycled), and returns the finished 32-bit value.
  static std::uint32_t Pieces(const std::string& data, std::initializer_list<std::size_t> sizes) {
    const DigestOperations operations = Crc32Operations();
    DigestContext* context = operations.DigestInit(0);
    EXPECT_NE(context, nullptr);
    if (context == nullptr) return 0;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());
    std::size_t offset = 0;
    while (offset < data.size()) {
      for (std::size_t size : sizes) {
        const std::size_t count = std::min(size, data.size() - offset);
        operations.DigestUpdate(context, bytes + offset, count);
        offset += count;
      }
    }
    operations.DigestFinal(context);
    EXPECT_EQ(context->bits, 32);
    const std::uint32_t value = std::uint32_t{context->output[0]} << 24 |
                                std::uint32_t{context->output[1]} << 16 |
                                std::uint32_t{context->output[2]} << 8 | context->output[3];
    operations.DigestFree(context);
    return value;
  }

  testing::ScratchDirectory scratch_;
  const std::string& directory_ = scratch_.path();
};

TEST_F(DigestCrc32Test, GivesThePublishedCheckValueForOneToNine) {
  EXPECT_EQ(DigestOf("123456789"), "cbf43926");
}

TEST_F(DigestCrc32Test, GivesEightZerosForEmptyInput) { EXPECT_EQ(DigestOf(""), "00000000"); }

TEST_F(DigestCrc32Test, PrintsTheMostSignificantByteFirst) {
  EXPECT_EQ(DigestOf("The quick brown fox jumps over the lazy dog"), "414fa339");
}

TEST_F(DigestCrc32Test, KeepsLeadingZerosInItsEightDigits) {
  EXPECT_EQ(DigestOf("v60"), "00f86c29");
}

TEST_F(DigestCrc32Test, ChainsUnevenUpdatesLikeOneZlibCall) {
  std::string data(200000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>((i * 7919) >> 3);
  const auto expected = static_cast<std::uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
  EXPECT_EQ(Pieces(data, {1, 0, 3, 64, 4095, 17, 65536}), expected);
  EXPECT_EQ(Pieces(data, {data.size()}), expected);
}

}  // namespace
}  // namespace vandrel
