// CRC-32 adapter of the digest engine, over libdeflate's libdeflate_crc32,
// whose result is the same as zlib's crc32 but computed with carry-less
// multiplication where the CPU has it. Holds no state outside the context.
#include "digest/digest_crc32.h"

#include <libdeflate.h>

#include <memory>
#include <new>

namespace vandrel {
namespace {

constexpr std::int32_t kCrc32Bits = 32;

struct Crc32Context : DigestContext {
  std::uint32_t crc = 0;
};

DigestContext* Crc32Init(std::int32_t /*bits*/) {
  try {
    auto context = std::make_unique<Crc32Context>();
    context->bits = kCrc32Bits;
    return context.release();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void Crc32Update(DigestContext* context, const std::uint8_t* data, std::size_t count) {
  auto* crc = static_cast<Crc32Context*>(context);
  // libdeflate takes and returns the finished (inverted) value, so chaining
  // calls needs no extra step; a start value of 0 means empty input.
  crc->crc = libdeflate_crc32(crc->crc, data, count);
}

void Crc32Final(DigestContext* context) {
  auto* crc = static_cast<Crc32Context*>(context);
  crc->output[0] = static_cast<std::uint8_t>(crc->crc >> 24);
  crc->output[1] = static_cast<std::uint8_t>(crc->crc >> 16);
  crc->output[2] = static_cast<std::uint8_t>(crc->crc >> 8);
  crc->output[3] = static_cast<std::uint8_t>(crc->crc);
}

void Crc32Free(DigestContext* context) {
  std::unique_ptr<Crc32Context> owned(static_cast<Crc32Context*>(context));
}

}  // namespace

DigestOperations Crc32Operations() { return {Crc32Init, Crc32Update, Crc32Final, Crc32Free}; }

}  // namespace vandrel
