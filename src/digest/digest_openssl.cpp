// OpenSSL adapter of the digest engine: MD5, SHA1, SHA2 and SHA3 over
// libcrypto's EVP interface, which uses the CPU's SHA instructions (x86 SHA
// extensions, ARMv8 crypto, NEON) where they exist. No hash code of our own.
//
// Design: the EVP_MD objects are fetched once, on the first request (start-up
// registration), into a table that is never written again; a context holds
// only its own EVP_MD_CTX, so contexts may live on any threads at once.
#include "digest/digest_openssl.h"

#include <openssl/evp.h>

#include <memory>
#include <new>

namespace vandrel {
namespace {

struct MdRelease {
  void operator()(EVP_MD* md) const { EVP_MD_free(md); }
};
struct MdContextRelease {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
using MdHandle = std::unique_ptr<EVP_MD, MdRelease>;
using MdContextHandle = std::unique_ptr<EVP_MD_CTX, MdContextRelease>;

enum class Family { kMd5, kSha1, kSha2, kSha3 };

// The four SHA2/SHA3 sizes, in the order of the fetched arrays.
constexpr std::int32_t kSizes[] = {224, 256, 384, 512};
constexpr std::int32_t kDefaultBits = 256;

struct FetchedDigests {
  MdHandle md5;
  MdHandle sha1;
  MdHandle sha2[4];
  MdHandle sha3[4];
};

MdHandle Fetch(const char* name) { return MdHandle(EVP_MD_fetch(nullptr, name, nullptr)); }

FetchedDigests FetchAll() {
  FetchedDigests fetched;
  fetched.md5 = Fetch("MD5");
  fetched.sha1 = Fetch("SHA1");
  const char* sha2Names[] = {"SHA2-224", "SHA2-256", "SHA2-384", "SHA2-512"};
  const char* sha3Names[] = {"SHA3-224", "SHA3-256", "SHA3-384", "SHA3-512"};
  for (int i = 0; i < 4; ++i) {
    fetched.sha2[i] = Fetch(sha2Names[i]);
    fetched.sha3[i] = Fetch(sha3Names[i]);
  }
  return fetched;
}

// Made on first use, which is registration on the main thread; C++ makes the
// first use thread-safe anyway. Being created after libcrypto set itself up,
// the table is also released before libcrypto's own clean-up at exit.
const FetchedDigests& Fetched() {
  static const FetchedDigests fetched = FetchAll();
  return fetched;
}

const EVP_MD* SizedDigest(const MdHandle (&digests)[4], std::int32_t bits) {
  if (bits == 0) bits = kDefaultBits;
  for (int i = 0; i < 4; ++i) {
    if (kSizes[i] == bits) return digests[i].get();
  }
  return nullptr;
}

const EVP_MD* PickDigest(Family family, std::int32_t bits) {
  const FetchedDigests& fetched = Fetched();
  switch (family) {
    case Family::kMd5:
      return fetched.md5.get();
    case Family::kSha1:
      return fetched.sha1.get();
    case Family::kSha2:
      return SizedDigest(fetched.sha2, bits);
    case Family::kSha3:
      return SizedDigest(fetched.sha3, bits);
  }
  return nullptr;
}

bool FamilyAvailable(Family family) {
  const FetchedDigests& fetched = Fetched();
  switch (family) {
    case Family::kMd5:
      return fetched.md5 != nullptr;
    case Family::kSha1:
      return fetched.sha1 != nullptr;
    case Family::kSha2:
    case Family::kSha3:
      for (std::int32_t bits : kSizes) {
        if (PickDigest(family, bits) == nullptr) return false;
      }
      return true;
  }
  return false;
}

struct OpensslContext : DigestContext {
  MdContextHandle evp;
  bool failed = false;
};

template <Family kFamily>
DigestContext* OpensslInit(std::int32_t bits) {
  const EVP_MD* md = PickDigest(kFamily, bits);
  if (md == nullptr) return nullptr;
  std::unique_ptr<OpensslContext> context;
  try {
    context = std::make_unique<OpensslContext>();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  context->evp.reset(EVP_MD_CTX_new());
  if (!context->evp || EVP_DigestInit_ex2(context->evp.get(), md, nullptr) != 1) return nullptr;
  context->bits = EVP_MD_get_size(md) * 8;
  return context.release();
}

void OpensslUpdate(DigestContext* context, const std::uint8_t* data, std::size_t count) {
  auto* openssl = static_cast<OpensslContext*>(context);
  if (count == 0 || openssl->failed) return;
  if (EVP_DigestUpdate(openssl->evp.get(), data, count) != 1) openssl->failed = true;
}

void OpensslFinal(DigestContext* context) {
  auto* openssl = static_cast<OpensslContext*>(context);
  unsigned int written = 0;
  if (openssl->failed ||
      EVP_DigestFinal_ex(openssl->evp.get(), openssl->output.data(), &written) != 1 ||
      static_cast<std::int32_t>(written) * 8 != openssl->bits) {
    openssl->bits = 0;
  }
}

void OpensslFree(DigestContext* context) {
  std::unique_ptr<OpensslContext> owned(static_cast<OpensslContext*>(context));
}

template <Family kFamily>
DigestOperations Operations() {
  if (!FamilyAvailable(kFamily)) return {};
  return {OpensslInit<kFamily>, OpensslUpdate, OpensslFinal, OpensslFree};
}

}  // namespace

DigestOperations Md5Operations() { return Operations<Family::kMd5>(); }
DigestOperations Sha1Operations() { return Operations<Family::kSha1>(); }
DigestOperations Sha2Operations() { return Operations<Family::kSha2>(); }
DigestOperations Sha3Operations() { return Operations<Family::kSha3>(); }

}  // namespace vandrel
