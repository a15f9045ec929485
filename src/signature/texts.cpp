// Fingerprints as users type them and as the programs show them, and why a
// file was not read.
#include <cctype>
#include <cstdint>
#include <cstring>

#include "signature/signature.h"

namespace vandrel::signature {

std::optional<std::string> NormaliseFingerprint(std::string_view text) {
  std::string digits;
  for (const char c : text) {
    if (c == ' ' || c == '\t') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    digits.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  // Version 4 keys have 40 digits, version 5 keys 64; anything shorter is a
  // key id, which anyone can make collide.
  if (digits.size() != 40 && digits.size() != 64) return std::nullopt;
  return digits;
}

std::string GroupFingerprint(std::string_view fingerprint) {
  std::string grouped;
  for (std::size_t at = 0; at < fingerprint.size(); at += 4) {
    if (at > 0) grouped.push_back(' ');
    grouped.append(fingerprint.substr(at, 4));
  }
  return grouped;
}

namespace {

std::string LargerThan(std::int64_t maxBytes) {
  return "it is larger than " + (maxBytes >= (1 << 20) ? std::to_string(maxBytes >> 20) + " MiB"
                                                       : std::to_string(maxBytes >> 10) + " KiB");
}

}  // namespace

std::string ReadProblemText(const sys::BoundedRead& read, std::size_t maxBytes) {
  switch (read.problem) {
    case sys::ReadProblem::None:
      break;
    case sys::ReadProblem::NotRegularFile:
      return "it is not a regular file";
    case sys::ReadProblem::TooLarge:
      return LargerThan(static_cast<std::int64_t>(maxBytes));
    case sys::ReadProblem::Failed:
      return std::strerror(read.error);
  }
  return {};
}

Why ReadProblemWhy(const sys::BoundedRead& read, const std::string& file) {
  switch (read.problem) {
    case sys::ReadProblem::None:
      break;
    case sys::ReadProblem::NotRegularFile:
      return {Cause::FileNotRegular, file};
    case sys::ReadProblem::TooLarge:
      return {Cause::FileTooLarge, file};
    case sys::ReadProblem::Failed:
      return {Cause::FileUnreadable, file, read.error};
  }
  return {};
}

std::string ListProblemText(const checksum_list::ListFileStatus& status,
                            const checksum_list::ListFileRules& rules) {
  switch (status.problem) {
    case checksum_list::ListFileProblem::None:
      break;
    case checksum_list::ListFileProblem::NotRegularFile:
      return "it is not a regular file";
    case checksum_list::ListFileProblem::TooLarge:
      return LargerThan(rules.maxBytes > 0 ? rules.maxBytes : checksum_list::kMaxListBytes);
    case checksum_list::ListFileProblem::Unreadable:
      return std::strerror(status.error);
  }
  return {};
}

}  // namespace vandrel::signature
