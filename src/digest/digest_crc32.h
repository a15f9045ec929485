// CRC-32 adapter of the digest engine, over libdeflate: the zlib CRC-32
// (reflected polynomial EDB88320, all-ones start, inverted result), printed
// most significant byte first so the text reads like the usual CRC value.
#pragma once

#include "digest/digest_engine.h"

namespace vandrel {

// The four operations of CRC32; the bits argument is ignored.
DigestOperations Crc32Operations();

}  // namespace vandrel
