// The digest algorithms the program offers, in one table: the window's
// options, the stored setting, the sizes and the names used on the command
// line and in checksum lists all come from it. A concrete digest is a
// DigestKind everywhere; the registry's numbers are the digest engine's
// front end alone. Nothing here computes a digest.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vandrel {

// The numbers RegisterDigest and the FileDigest front end take for the
// families; nothing else speaks in them.
inline constexpr std::int32_t kDigestMd5 = 1;
inline constexpr std::int32_t kDigestCrc32 = 2;
inline constexpr std::int32_t kDigestSha1 = 3;
inline constexpr std::int32_t kDigestSha2 = 4;
inline constexpr std::int32_t kDigestSha3 = 5;

// An algorithm family. The value is the stored setting (`Fingerprint`) and
// the position of its option in the window.
enum class Algorithm : std::int32_t { Crc32 = 0, Md5 = 1, Sha1 = 2, Sha2 = 3, Sha3 = 4 };

// The selectable sizes of the families that have several, in option order;
// the position is the stored setting (`Bits`).
inline constexpr std::array<std::int32_t, 4> kDigestSizes = {224, 256, 384, 512};

struct AlgorithmInfo {
  Algorithm algorithm;
  std::string_view label;       // option text and list tag: "CRC32", "SHA2"
  std::int32_t registryNumber;  // kDigest*
  std::int32_t fixedBits;       // the one size, or 0 when kDigestSizes apply
};

inline constexpr std::array<AlgorithmInfo, 5> kAlgorithms = {{
    {Algorithm::Crc32, "CRC32", kDigestCrc32, 32},
    {Algorithm::Md5, "MD5", kDigestMd5, 128},
    {Algorithm::Sha1, "SHA1", kDigestSha1, 160},
    {Algorithm::Sha2, "SHA2", kDigestSha2, 0},
    {Algorithm::Sha3, "SHA3", kDigestSha3, 0},
}};

constexpr const AlgorithmInfo& Info(Algorithm algorithm) {
  return kAlgorithms[static_cast<std::size_t>(algorithm)];
}

// Whether the size options apply to `algorithm`.
constexpr bool HasSizes(Algorithm algorithm) { return Info(algorithm).fixedBits == 0; }

// The family for a stored setting, or nothing for a value no family has.
constexpr std::optional<Algorithm> AlgorithmFromSetting(std::int32_t setting) {
  if (setting < 0 || setting >= static_cast<std::int32_t>(kAlgorithms.size())) return std::nullopt;
  return static_cast<Algorithm>(setting);
}

// Size in bits for a size setting 0..3, or 0 for any other value.
constexpr std::int32_t BitsForSizeSetting(std::int32_t setting) {
  return setting >= 0 && setting < static_cast<std::int32_t>(kDigestSizes.size())
             ? kDigestSizes[setting]
             : 0;
}

// The family registered under `number` by RegisterStandardDigests, or nothing.
constexpr std::optional<Algorithm> AlgorithmFromRegistryNumber(std::int32_t number) {
  for (const AlgorithmInfo& info : kAlgorithms) {
    if (info.registryNumber == number) return info.algorithm;
  }
  return std::nullopt;
}

// One concrete digest: a family and, for SHA2/SHA3, its size.
struct DigestKind {
  Algorithm algorithm = Algorithm::Sha2;
  std::int32_t bits = 256;

  constexpr std::int32_t outputBits() const {
    return HasSizes(algorithm) ? bits : Info(algorithm).fixedBits;
  }
  constexpr std::size_t hexLength() const { return static_cast<std::size_t>(outputBits()) / 4; }
  // The digest this family and size option make: a family of one size
  // keeps no size option.
  constexpr DigestKind concrete() const { return {algorithm, outputBits()}; }
  friend constexpr bool operator==(const DigestKind&, const DigestKind&) = default;
};

// The preferences' two numbers (`Fingerprint`, `Bits`) as the family and size
// option they name; a value no option has gives the default's part.
constexpr DigestKind DigestKindFromSettings(std::int32_t fingerprint, std::int32_t bitsSetting,
                                            DigestKind fallback) {
  const std::optional<Algorithm> algorithm = AlgorithmFromSetting(fingerprint);
  const std::int32_t bits = BitsForSizeSetting(bitsSetting);
  return {algorithm.value_or(fallback.algorithm), bits != 0 ? bits : fallback.bits};
}

// Every concrete digest with its command-line name ("sha3-256") and the tag
// that BSD-style checksum lines carry ("SHA3-256").
struct DigestKindName {
  DigestKind kind;
  std::string_view name;
  std::string_view tag;
};

inline constexpr std::array<DigestKindName, 11> kDigestKindNames = {{
    {{Algorithm::Crc32, 32}, "crc32", "CRC32"},
    {{Algorithm::Md5, 128}, "md5", "MD5"},
    {{Algorithm::Sha1, 160}, "sha1", "SHA1"},
    {{Algorithm::Sha2, 224}, "sha224", "SHA224"},
    {{Algorithm::Sha2, 256}, "sha256", "SHA256"},
    {{Algorithm::Sha2, 384}, "sha384", "SHA384"},
    {{Algorithm::Sha2, 512}, "sha512", "SHA512"},
    {{Algorithm::Sha3, 224}, "sha3-224", "SHA3-224"},
    {{Algorithm::Sha3, 256}, "sha3-256", "SHA3-256"},
    {{Algorithm::Sha3, 384}, "sha3-384", "SHA3-384"},
    {{Algorithm::Sha3, 512}, "sha3-512", "SHA3-512"},
}};

// The concrete digest with command-line name `name` ("sha3-256"), or nothing.
constexpr std::optional<DigestKind> FindDigestKindByName(std::string_view name) {
  for (const DigestKindName& entry : kDigestKindNames) {
    if (entry.name == name) return entry.kind;
  }
  return std::nullopt;
}

// The concrete digest whose checksum-list tag is `tag` ("SHA3-256"), or nothing.
constexpr std::optional<DigestKind> FindDigestKindByTag(std::string_view tag) {
  for (const DigestKindName& entry : kDigestKindNames) {
    if (entry.tag == tag) return entry.kind;
  }
  return std::nullopt;
}

// The names and tag of a concrete digest; every DigestKind made from the
// table has one, anything else gets the SHA-256 entry.
constexpr const DigestKindName& NamesOf(DigestKind kind) {
  for (const DigestKindName& entry : kDigestKindNames) {
    if (entry.kind == kind) return entry;
  }
  return kDigestKindNames[4];
}

}  // namespace vandrel
