// Tests of the OpenSSL adapter against published vectors: RFC 1321's suite
// for MD5, the FIPS 180-4 examples for SHA-1 and SHA-2, the FIPS 202 / NIST
// examples for SHA-3. Every vector goes through FileDigest on a real file,
// so the byte order and digit count of the printed text are checked too.
#include "digest/digest_openssl.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/scratch_directory.h"

namespace vandrel {
namespace {

const std::string kAbc448 = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
const std::string kMillionA(1000000, 'a');
const std::string kA3Times200(200, '\xa3');

struct Vector {
  std::int32_t bits;
  const std::string& message;
  const char* digest;
};

class DigestOpensslTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static const bool registered = RegisterStandardDigests();
    ASSERT_TRUE(registered);
  }

  void SetUp() override { ASSERT_FALSE(directory_.empty()); }

  std::string DigestOf(const std::string& data, std::int32_t algorithm, std::int32_t bits = 0) {
    const std::string path = directory_ + "/data";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << data;
    return FileDigest(path, algorithm, bits);
  }

  void ExpectVectors(std::int32_t algorithm, const std::vector<Vector>& vectors) {
    for (const Vector& vector : vectors) {
      EXPECT_EQ(DigestOf(vector.message, algorithm, vector.bits), vector.digest)
          << "bits " << vector.bits << ", message of " << vector.message.size() << " bytes";
    }
  }

  testing::ScratchDirectory scratch_;
  const std::string& directory_ = scratch_.path();
};

const std::string kEmpty;
const std::string kAbc = "abc";

TEST_F(DigestOpensslTest, MatchesTheRfc1321SuiteForMd5) {
  const std::string a = "a", message = "message digest", alphabet = "abcdefghijklmnopqrstuvwxyz",
                    mixed = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string digits;
  for (int i = 0; i < 8; ++i) digits += "1234567890";
  ExpectVectors(kDigestMd5, {
                                {0, kEmpty, "d41d8cd98f00b204e9800998ecf8427e"},
                                {0, a, "0cc175b9c0f1b6a831c399e269772661"},
                                {0, kAbc, "900150983cd24fb0d6963f7d28e17f72"},
                                {0, message, "f96b697d7cb7938d525a2f31aaf161d0"},
                                {0, alphabet, "c3fcd3d76192e4007dfb496cca67e13b"},
                                {0, mixed, "d174ab98d277d9f5a5611c2c9f419d9f"},
                                {0, digits, "57edf4a22be3c955ac49da2e2107b67a"},
                            });
}

TEST_F(DigestOpensslTest, MatchesTheFips180ExamplesForSha1) {
  ExpectVectors(kDigestSha1, {
                                 {0, kEmpty, "da39a3ee5e6b4b0d3255bfef95601890afd80709"},
                                 {0, kAbc, "a9993e364706816aba3e25717850c26c9cd0d89d"},
                                 {0, kAbc448, "84983e441c3bd26ebaae4aa1f95129e5e54670f1"},
                                 {0, kMillionA, "34aa973cd4c4daa4f61eeb2bdbad27316534016f"},
                             });
}

TEST_F(DigestOpensslTest, MatchesTheFips180ExamplesForEverySha2Size) {
  ExpectVectors(
      kDigestSha2,
      {
          {224, kEmpty, "d14a028c2a3a2bc9476102bb288234c415a2b01f828ea62ac5b3e42f"},
          {224, kAbc, "23097d223405d8228642a477bda255b32aadbce4bda0b3f7e36c9da7"},
          {224, kAbc448, "75388b16512776cc5dba5da1fd890150b0c6455cb4f58b1952522525"},
          {224, kMillionA, "20794655980c91d8bbb4c1ea97618a4bf03f42581948b2ee4ee7ad67"},
          {256, kEmpty, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
          {256, kAbc, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
          {256, kAbc448, "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
          {256, kMillionA, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
          {384, kEmpty,
           "38b060a751ac96384cd9327eb1b1e36a21fdb71114be07434c0cc7bf63f6e1da274edebfe76f65fbd51ad2f"
           "14898b95b"},
          {384, kAbc,
           "cb00753f45a35e8bb5a03d699ac65007272c32ab0eded1631a8b605a43ff5bed8086072ba1e7cc2358baeca"
           "134c825a7"},
          {384, kAbc448,
           "3391fdddfc8dc7393707a65b1b4709397cf8b1d162af05abfe8f450de5f36bc6b0455a8520bc4e6f5fe95b1"
           "fe3c8452b"},
          {384, kMillionA,
           "9d0e1809716474cb086e834e310a4a1ced149e9c00f248527972cec5704c2a5b07b8b3dc38ecc4ebae97ddd"
           "87f3d8985"},
          {512, kEmpty,
           "cf83e1357eefb8bdf1542850d66d8007d620e4050b5715dc83f4a921d36ce9ce47d0d13c5d85f2b0ff8318d"
           "2877eec2f63b931bd47417a81a538327af927da3e"},
          {512, kAbc,
           "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a836ba3c2"
           "3a3feebbd454d4423643ce80e2a9ac94fa54ca49f"},
          {512, kAbc448,
           "204a8fc6dda82f0a0ced7beb8e08a41657c16ef468b228a8279be331a703c33596fd15c13b1b07f9aa1d3be"
           "a57789ca031ad85c7a71dd70354ec631238ca3445"},
          {512, kMillionA,
           "e718483d0ce769644e2e42c7bc15b4638e1f98b13b2044285632a803afa973ebde0ff244877ea60a4cb0432"
           "ce577c31beb009c5c2c49aa2e4eadb217ad8cc09b"},
      });
}

TEST_F(DigestOpensslTest, MatchesTheFips202ExamplesForEverySha3Size) {
  ExpectVectors(
      kDigestSha3,
      {
          {224, kEmpty, "6b4e03423667dbb73b6e15454f0eb1abd4597f9a1b078e3f5b5a6bc7"},
          {224, kAbc, "e642824c3f8cf24ad09234ee7d3c766fc9a3a5168d0c94ad73b46fdf"},
          {224, kAbc448, "8a24108b154ada21c9fd5574494479ba5c7e7ab76ef264ead0fcce33"},
          {224, kA3Times200, "9376816aba503f72f96ce7eb65ac095deee3be4bf9bbc2a1cb7e11e0"},
          {256, kEmpty, "a7ffc6f8bf1ed76651c14756a061d662f580ff4de43b49fa82d80a4b80f8434a"},
          {256, kAbc, "3a985da74fe225b2045c172d6bd390bd855f086e3e9d525b46bfe24511431532"},
          {256, kAbc448, "41c0dba2a9d6240849100376a8235e2c82e1b9998a999e21db32dd97496d3376"},
          {256, kA3Times200, "79f38adec5c20307a98ef76e8324afbfd46cfd81b22e3973c65fa1bd9de31787"},
          {256, kMillionA, "5c8875ae474a3634ba4fd55ec85bffd661f32aca75c6d699d0cdcb6c115891c1"},
          {384, kEmpty,
           "0c63a75b845e4f7d01107d852e4c2485c51a50aaaa94fc61995e71bbee983a2ac3713831264adb47fb6bd1e"
           "058d5f004"},
          {384, kAbc,
           "ec01498288516fc926459f58e2c6ad8df9b473cb0fc08c2596da7cf0e49be4b298d88cea927ac7f539f1edf"
           "228376d25"},
          {384, kAbc448,
           "991c665755eb3a4b6bbdfb75c78a492e8c56a22c5c4d7e429bfdbc32b9d4ad5aa04a1f076e62fea19eef51a"
           "cd0657c22"},
          {384, kA3Times200,
           "1881de2ca7e41ef95dc4732b8f5f002b189cc1e42b74168ed1732649ce1dbcdd76197a31fd55ee989f2d705"
           "0dd473e8f"},
          {512, kEmpty,
           "a69f73cca23a9ac5c8b567dc185a756e97c982164fe25859e0d1dcc1475c80a615b2123af1f5f94c11e3e94"
           "02c3ac558f500199d95b6d3e301758586281dcd26"},
          {512, kAbc,
           "b751850b1a57168a5693cd924b6b096e08f621827444f70d884f5d0240d2712e10e116e9192af3c91a7ec57"
           "647e3934057340b4cf408d5a56592f8274eec53f0"},
          {512, kAbc448,
           "04a371e84ecfb5b8b77cb48610fca8182dd457ce6f326a0fd3d7ec2f1e91636dee691fbe0c985302ba1b0d8"
           "dc78c086346b533b49c030d99a27daf1139d6e75e"},
          {512, kA3Times200,
           "e76dfad22084a8b1467fcf2ffa58361bec7628edf5f3fdc0e4805dc48caeeca81b7c13c30adf52a3659584"
           "739a2df46be589c51ca1a4a8416df6545a1ce8ba00"},
      });
}

TEST_F(DigestOpensslTest, ChainsUnevenUpdatesLikeOneShotDigests) {
  struct Case {
    DigestOperations operations;
    std::int32_t bits;
    const char* name;
  };
  const Case cases[] = {
      {Md5Operations(), 0, "MD5"},         {Sha1Operations(), 0, "SHA1"},
      {Sha2Operations(), 224, "SHA2-224"}, {Sha2Operations(), 512, "SHA2-512"},
      {Sha3Operations(), 224, "SHA3-224"}, {Sha3Operations(), 512, "SHA3-512"},
  };
  // Pieces straddle the 64-, 128-, 144- and 72-byte blocks of these functions.
  const std::size_t pieces[] = {1, 0, 63, 65, 71, 73, 127, 129, 143, 145, 5000};
  std::string data(30000, '\0');
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 131 + (i >> 7));
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(data.data());

  for (const Case& c : cases) {
    unsigned char expected[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    ASSERT_EQ(
        EVP_Digest(bytes, data.size(), expected, &length, EVP_get_digestbyname(c.name), nullptr),
        1);

    DigestContext* context = c.operations.DigestInit(c.bits);
    ASSERT_NE(context, nullptr) << c.name;
    std::size_t offset = 0;
    for (std::size_t i = 0; offset < data.size(); ++i) {
      const std::size_t count = std::min(pieces[i % std::size(pieces)], data.size() - offset);
      c.operations.DigestUpdate(context, bytes + offset, count);
      offset += count;
    }
    c.operations.DigestFinal(context);
    EXPECT_EQ(context->bits, static_cast<std::int32_t>(length * 8)) << c.name;
    EXPECT_EQ(std::string(context->output.begin(), context->output.begin() + length),
              std::string(expected, expected + length))
        << c.name;
    c.operations.DigestFree(context);
  }
}

}  // namespace
}  // namespace vandrel
