// Test-only ways into the digest engine; see digest_seams.h.
#include "testing/digest_seams.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>

namespace vandrel {

DigestResult DigestOpenDescriptor(int descriptor, std::int32_t algorithm, std::int32_t bits,
                                  const DigestOptions& options) {
  OpenedInput input;
  input.descriptor = descriptor;  // not owned: the caller closes it
  if (::fstat(descriptor, &input.status) != 0) {
    input.failure.failure = DigestFailure::CannotOpen;
    input.failure.error = errno;
    return input.failure;
  }
  const std::optional<Algorithm> family = AlgorithmFromRegistryNumber(algorithm);
  if (!family) {
    input.failure.failure = DigestFailure::UnknownAlgorithm;
    return input.failure;
  }
  return DigestOpened(input, DigestKind{*family, bits}, options);
}

std::string FileDigestWithReader(const std::string& path, std::int32_t algorithm, std::int32_t bits,
                                 DigestReadFunction readFunction) {
  if (readFunction == nullptr) return {};
  DigestOptions options;
  options.read = readFunction;
  return DigestFile(path, algorithm, bits, options).hex;
}

}  // namespace vandrel
