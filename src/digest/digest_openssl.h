// OpenSSL adapter of the digest engine: MD5, SHA1, SHA2 and SHA3 through
// libcrypto's EVP interface. Each digest is fetched from the library once,
// by the first call of any function below, and reused for every file.
#pragma once

#include "digest/digest_engine.h"

namespace vandrel {

// The four operations of each family. An operation set whose digests the
// library does not offer comes back empty, so RegisterDigest refuses it.
// MD5 and SHA1 ignore the bits argument; SHA2 and SHA3 accept 0 (= 256),
// 224, 256, 384 and 512.
DigestOperations Md5Operations();
DigestOperations Sha1Operations();
DigestOperations Sha2Operations();
DigestOperations Sha3Operations();

}  // namespace vandrel
