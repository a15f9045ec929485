// Option parsing with getopt_long, as coreutils does it, so option
// bundling ("-cw"), "--" and abbreviated long options behave the same.
#include "vandrelsum/options.h"

#include <getopt.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "signature/signature.h"
#include "vandrelsum/messages.h"

#ifndef VANDREL_VERSION
#define VANDREL_VERSION "unknown"
#endif

namespace vandrel::sum {
namespace {

enum LongOnly {
  kTag = 256,
  kIgnoreMissing,
  kQuiet,
  kStatus,
  kStrict,
  kSignature,
  kKeyring,
  kFingerprint,
  kHelp,
  kVersion
};

constexpr option kLongOptions[] = {
    {"algorithm", required_argument, nullptr, 'a'},
    {"binary", no_argument, nullptr, 'b'},
    {"check", no_argument, nullptr, 'c'},
    {"jobs", required_argument, nullptr, 'j'},
    {"recursive", no_argument, nullptr, 'r'},
    {"text", no_argument, nullptr, 't'},
    {"warn", no_argument, nullptr, 'w'},
    {"zero", no_argument, nullptr, 'z'},
    {"tag", no_argument, nullptr, kTag},
    {"ignore-missing", no_argument, nullptr, kIgnoreMissing},
    {"quiet", no_argument, nullptr, kQuiet},
    {"status", no_argument, nullptr, kStatus},
    {"strict", no_argument, nullptr, kStrict},
    {"signature", optional_argument, nullptr, kSignature},
    {"keyring", required_argument, nullptr, kKeyring},
    {"fingerprint", required_argument, nullptr, kFingerprint},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

constexpr char kHelpText[] =
    "Usage: vandrelsum [OPTION]... [FILE]...\n"
    "Print or check checksums (SHA-256 unless -a says otherwise).\n"
    "With no FILE, or when FILE is -, read standard input.\n"
    "\n"
    "  -a, --algorithm=ALGO  crc32, md5, sha1, sha224, sha256, sha384, sha512,\n"
    "                        sha3-224, sha3-256, sha3-384 or sha3-512\n"
    "  -b, --binary          mark files as read in binary mode (\"*name\")\n"
    "  -c, --check           read checksums from the FILEs and check them\n"
    "  -j, --jobs=N          digest up to N files at once (default: one per CPU,\n"
    "                        at most 8); the output is the same for every N\n"
    "  -r, --recursive       checksum every regular file below folders\n"
    "      --tag             print BSD-style lines: \"SHA256 (name) = digest\"\n"
    "  -t, --text            mark files as read in text mode (default)\n"
    "  -z, --zero            end each output line with NUL, not newline,\n"
    "                        and do not escape file names\n"
    "\n"
    "The following options are useful only when checking checksums:\n"
    "      --ignore-missing  don't fail or report status for missing files\n"
    "      --quiet           don't print OK for each successfully checked file\n"
    "      --status          don't output anything, status code shows success\n"
    "      --strict          exit non-zero for improperly formatted lines\n"
    "  -w, --warn            warn about improperly formatted lines\n"
    "\n"
    "Signed lists (with -c): each list needs a good OpenPGP signature, checked\n"
    "with gpg before any file the list names is read.\n"
    "      --signature[=FILE]\n"
    "                        the signature: FILE, else the list's own clearsigned\n"
    "                        text, else LIST.asc, LIST.sig, LIST.gpg or LIST.sign\n"
    "      --keyring=FILE    only the public keys in FILE count, not your keyring;\n"
    "                        implies --signature\n"
    "      --fingerprint=FPR only a signature by the key with this full fingerprint\n"
    "                        counts (spaces ignored); implies --signature\n"
    "\n"
    "      --help            display this help and exit\n"
    "      --version         output version information and exit\n"
    "\n"
    "Lists may hold GNU lines (\"digest  name\"), BSD lines (\"SHA256 (name) = digest\"),\n"
    "SFV lines (\"name crc32\") and Vandrel's exports (\"path,digest\"). The algorithm\n"
    "comes from a line's tag, else from the list's extension (.md5, .sha256,\n"
    ".sha3-256, .sfv, ...), else from the digest's length; -a overrides both.\n"
    "Names in a list are relative to the folder the list is in.\n";

// One line, so that a script's log shows the whole complaint.
int UsageError(const std::string& text) {
  Complain(text + " (try 'vandrelsum --help')");
  return 1;
}

// A count of 1 or more in decimal digits; counts above the engine's most
// threads are taken as that most.
std::optional<int> ParseJobs(const char* text) {
  if (*text == '\0') return std::nullopt;
  long value = 0;
  for (const char* c = text; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return std::nullopt;
    value = std::min<long>(value * 10 + (*c - '0'), 1'000'000);
  }
  if (value < 1) return std::nullopt;
  return static_cast<int>(value);
}

// Options that only make sense together with -c, or only without it.
std::optional<std::string> Conflict(const SumOptions& options) {
  if (options.check) {
    if (options.tag) return "the --tag option is meaningless when verifying checksums";
    if (options.recursive) return "the --recursive option is meaningless when verifying checksums";
    if (options.binary)
      return "the --binary and --text options are meaningless when verifying checksums";
    if (options.zero) return "the --zero option is not supported when verifying checksums";
    if (!options.signatureFile.empty() && options.files.size() > 1)
      return "--signature=FILE is the signature of one list, but several were given";
    return std::nullopt;
  }
  if (options.ignoreMissing)
    return "the --ignore-missing option is meaningful only when verifying checksums";
  if (options.quiet) return "the --quiet option is meaningful only when verifying checksums";
  if (options.status) return "the --status option is meaningful only when verifying checksums";
  if (options.strict) return "the --strict option is meaningful only when verifying checksums";
  if (options.warn) return "the --warn option is meaningful only when verifying checksums";
  if (options.signature)
    return "the --signature option is meaningful only when verifying checksums";
  return std::nullopt;
}

}  // namespace

ParsedCommandLine ParseCommandLine(int argc, char** argv) {
  ParsedCommandLine parsed;
  SumOptions options;
  bool textModeGiven = false;
  opterr = 0;
  optind = 1;
  int choice = 0;
  while ((choice = getopt_long(argc, argv, ":a:bcj:rtwz", kLongOptions, nullptr)) != -1) {
    switch (choice) {
      case 'a': {
        const std::optional<DigestKind> kind = FindDigestKindByName(optarg);
        if (!kind) {
          parsed.exitStatus = UsageError("unknown algorithm: " + QuoteName(optarg));
          return parsed;
        }
        options.kind = *kind;
        options.kindGiven = true;
        break;
      }
      case 'b':
        options.binary = true;
        break;
      case 't':
        options.binary = false;
        textModeGiven = true;
        break;
      case 'c':
        options.check = true;
        break;
      case 'j': {
        const std::optional<int> jobs = ParseJobs(optarg);
        if (!jobs) {
          parsed.exitStatus = UsageError("invalid number of jobs: " + QuoteName(optarg));
          return parsed;
        }
        options.jobs = *jobs;
        break;
      }
      case 'r':
        options.recursive = true;
        break;
      case 'w':
        options.warn = true;
        break;
      case 'z':
        options.zero = true;
        break;
      case kTag:
        options.tag = true;
        break;
      case kIgnoreMissing:
        options.ignoreMissing = true;
        break;
      case kQuiet:
        options.quiet = true;
        break;
      case kStatus:
        options.status = true;
        break;
      case kStrict:
        options.strict = true;
        break;
      case kSignature:
        options.signature = true;
        options.signatureFile = optarg ? optarg : "";
        break;
      case kKeyring:
        options.signature = true;
        options.keyring = optarg;
        break;
      case kFingerprint: {
        const std::optional<std::string> fingerprint = signature::NormaliseFingerprint(optarg);
        if (!fingerprint) {
          parsed.exitStatus =
              UsageError("not a full fingerprint (40 or 64 hex digits): " + QuoteName(optarg));
          return parsed;
        }
        options.signature = true;
        options.fingerprint = *fingerprint;
        break;
      }
      case kHelp:
        std::fputs(kHelpText, stdout);
        return parsed;
      case kVersion:
        std::printf("vandrelsum (Vandrel) %s\n", VANDREL_VERSION);
        return parsed;
      case ':':
        parsed.exitStatus = UsageError(std::string("option requires an argument -- '") +
                                       static_cast<char>(optopt) + "'");
        return parsed;
      default: {
        const std::string text =
            optopt != 0 ? std::string("invalid option -- '") + static_cast<char>(optopt) + "'"
                        : "unrecognized option '" + std::string(argv[optind - 1]) + "'";
        parsed.exitStatus = UsageError(text);
        return parsed;
      }
    }
  }
  if (options.check && textModeGiven) options.binary = true;  // reported as a conflict
  if (options.tag && options.binary) {
    parsed.exitStatus = UsageError("--tag does not support --binary");
    return parsed;
  }
  for (int i = optind; i < argc; ++i) options.files.emplace_back(argv[i]);
  if (options.files.empty()) options.files.emplace_back("-");
  if (const std::optional<std::string> conflict = Conflict(options)) {
    parsed.exitStatus = UsageError(*conflict);
    return parsed;
  }
  parsed.options = std::move(options);
  return parsed;
}

}  // namespace vandrel::sum
