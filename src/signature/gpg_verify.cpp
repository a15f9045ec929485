// The GPGME side: the library loaded once, a context on a private home per
// call, the key file imported, the signature verified, and each
// signature's status and key read back into the program's own words.
#include "signature/gpg_verify.h"

#include <cerrno>
#include <map>
#include <memory>
#include <type_traits>
#include <utility>
#include <vector>

#include "signature/gpg_home.h"
#include "signature/gpgme_library.h"
#include "signature/verdicts.h"
#include "system/bounded_read.h"
#include "system/broken_pipe.h"

namespace vandrel::signature {
namespace {

// Only called once Gpgme() has loaded.
const GpgmeFunctions& Api() { return *Gpgme().functions(); }

struct ContextRelease {
  void operator()(gpgme_ctx_t context) const { Api().release(context); }
};
using Context = std::unique_ptr<std::remove_pointer_t<gpgme_ctx_t>, ContextRelease>;
struct DataRelease {
  void operator()(gpgme_data_t data) const { Api().dataRelease(data); }
};
using Data = std::unique_ptr<std::remove_pointer_t<gpgme_data_t>, DataRelease>;
struct KeyRelease {
  void operator()(gpgme_key_t key) const { Api().keyUnref(key); }
};
using Key = std::unique_ptr<std::remove_pointer_t<gpgme_key_t>, KeyRelease>;

std::string ErrorText(gpgme_error_t error) {
  char text[256];
  Api().strerrorR(error, text, sizeof text);
  return text;
}

Why GpgSaid(const std::string& text) { return {Cause::GpgError, {}, 0, text}; }

Outcome CannotCheck(std::string reason, Why why) {
  return Outcome{Verdict::CannotCheck, {}, std::move(reason), std::move(why)};
}

// Why gpg cannot be run, or empty.
std::string EngineProblem() {
  const gpgme_error_t error = Api().engineCheckVersion(GPGME_PROTOCOL_OpenPGP);
  if (!error) return {};
  std::string program = "gpg";
  gpgme_engine_info_t info = nullptr;
  if (!Api().getEngineInfo(&info)) {
    for (; info; info = info->next) {
      if (info->protocol == GPGME_PROTOCOL_OpenPGP && info->file_name) program = info->file_name;
    }
  }
  return "GnuPG's " + program + " is not installed or cannot be run (" + ErrorText(error) + ")";
}

Data FromMemory(std::string_view bytes) {
  gpgme_data_t data = nullptr;
  if (Api().dataNewFromMem(&data, bytes.data(), bytes.size(), 0)) return nullptr;
  return Data(data);
}

Data Empty() {
  gpgme_data_t data = nullptr;
  if (Api().dataNew(&data)) return nullptr;
  return Data(data);
}

// Imports the key file; CannotCheck with why it cannot be used, or nothing.
Outcome ImportKeyFile(gpgme_ctx_t context, const std::string& path) {
  const sys::BoundedRead read = sys::ReadRegularFile(path, kMaxKeyFileBytes);
  if (read.problem != sys::ReadProblem::None) {
    return CannotCheck(
        "the key file " + path + " cannot be read: " + ReadProblemText(read, kMaxKeyFileBytes),
        ReadProblemWhy(read, path));
  }
  const Data keys = FromMemory(read.bytes);
  if (!keys) {
    return CannotCheck("the key file " + path + " cannot be read",
                       {Cause::FileUnreadable, path, ENOMEM});
  }
  const gpgme_error_t error = Api().opImport(context, keys.get());
  const gpgme_import_result_t result = Api().opImportResult(context);
  // A secret key has no place in a check, and the private home has no
  // agent to take one: the file was meant for something else.
  if (result && result->secret_read > 0) {
    return CannotCheck("the key file " + path + " holds a secret key; give the public key only",
                       {Cause::KeyFileSecret, path});
  }
  if (!result || result->imported + result->unchanged == 0) {
    return CannotCheck("the key file " + path + " holds no public key" +
                           (error ? " (" + ErrorText(error) + ")" : std::string()),
                       {Cause::KeyFileNoPublicKey, path});
  }
  return {};
}

// What gpg said of one signature, copied out before the next operation on
// the context replaces it.
struct SignatureFacts {
  gpgme_error_t status = 0;
  std::string fingerprint;
  gpgme_validity_t validity = GPGME_VALIDITY_UNKNOWN;
  bool wrongKeyUsage = false;
};

Verdict VerdictOf(const SignatureFacts& facts, std::string& reason, Why& why) {
  switch (gpgme_err_code(facts.status)) {
    case GPG_ERR_NO_ERROR:
      if (!facts.wrongKeyUsage) return Verdict::Good;
      reason = "the key that made it is not meant for signing";
      why = {Cause::KeyNotForSigning};
      return Verdict::Unreadable;
    case GPG_ERR_KEY_EXPIRED:
      reason = "the key has expired";
      return Verdict::Expired;
    case GPG_ERR_SIG_EXPIRED:
      reason = "the signature has expired";
      return Verdict::Expired;
    case GPG_ERR_CERT_REVOKED:
      return Verdict::Revoked;
    case GPG_ERR_BAD_SIGNATURE:
      return Verdict::Bad;
    case GPG_ERR_NO_PUBKEY:
      return Verdict::UnknownKey;
    default:
      reason = ErrorText(facts.status);
      why = GpgSaid(reason);
      return Verdict::Unreadable;
  }
}

// The key behind a signing (sub)key's fingerprint: the primary key's
// fingerprint and user id.
Signer SignerOf(gpgme_ctx_t context, const SignatureFacts& facts, bool userKeyring) {
  Signer signer;
  signer.fingerprint = facts.fingerprint;
  signer.validInKeyring = userKeyring && facts.validity >= GPGME_VALIDITY_FULL;
  gpgme_key_t found = nullptr;
  if (Api().getKey(context, facts.fingerprint.c_str(), &found, 0)) return signer;
  const Key key(found);
  if (key->fpr) signer.fingerprint = key->fpr;
  for (gpgme_user_id_t uid = key->uids; uid; uid = uid->next) {
    if (!uid->uid) continue;
    if (signer.userId.empty() || (!uid->revoked && !uid->invalid)) signer.userId = uid->uid;
    if (!uid->revoked && !uid->invalid) break;
  }
  return signer;
}

// Why a verify that gave no signature failed: the data when gpg could not
// read it as a signature, gpg itself otherwise.
Outcome FailedVerify(gpgme_error_t error) {
  switch (gpgme_err_code(error)) {
    case GPG_ERR_NO_ERROR:
    case GPG_ERR_NO_DATA:
      return Outcome{
          Verdict::Unreadable, {}, "it holds no OpenPGP signature", {Cause::NoSignatureInside}};
    case GPG_ERR_BAD_DATA:
    case GPG_ERR_INV_DATA:
    case GPG_ERR_INV_PACKET:
    case GPG_ERR_UNKNOWN_PACKET:
    case GPG_ERR_INV_ARMOR:
    case GPG_ERR_CHECKSUM:
    case GPG_ERR_BAD_SIGNATURE:
    case GPG_ERR_SYNTAX:
    case GPG_ERR_UNEXPECTED:
    case GPG_ERR_NOT_PROCESSED:
      return Outcome{Verdict::Unreadable, {}, ErrorText(error), GpgSaid(ErrorText(error))};
    default:
      return CannotCheck("gpg failed: " + ErrorText(error), GpgSaid(ErrorText(error)));
  }
}

// One check: a private home and a context on it, the keys in place, and
// then `verify`, which runs the operation and returns its error.
template <typename Operation>
Outcome Check(const KeySource& keys, Operation verify) {
  if (!Gpgme().functions()) return CannotCheck(Gpgme().problem(), {Cause::GpgMissing});
  if (std::string problem = EngineProblem(); !problem.empty()) {
    return CannotCheck(problem, {Cause::GpgMissing});
  }
  const bool userKeyring = keys.keyFile.empty();
  std::string userHome;
  if (userKeyring) {
    const char* home = Api().getDirinfo("homedir");
    if (home) userHome = home;
  }
  const GpgHome home(userHome);
  if (!home.problem().empty()) return CannotCheck(home.problem(), {Cause::KeyringUnusable});

  gpgme_ctx_t made = nullptr;
  if (const gpgme_error_t error = Api().newContext(&made)) {
    return CannotCheck(ErrorText(error), GpgSaid(ErrorText(error)));
  }
  const Context context(made);
  Api().setProtocol(context.get(), GPGME_PROTOCOL_OpenPGP);
  Api().setOffline(context.get(), 1);
  if (const gpgme_error_t error = Api().ctxSetEngineInfo(context.get(), GPGME_PROTOCOL_OpenPGP,
                                                         nullptr, home.path().c_str())) {
    return CannotCheck(ErrorText(error), GpgSaid(ErrorText(error)));
  }
  // gpg may quit before it has read all it is fed (a signature it cannot
  // read): the write then fails instead of ending the program.
  const sys::BrokenPipeHold hold;
  if (!userKeyring) {
    if (Outcome problem = ImportKeyFile(context.get(), keys.keyFile);
        problem.verdict == Verdict::CannotCheck) {
      return problem;
    }
  }

  const gpgme_error_t error = verify(context.get());
  const gpgme_verify_result_t result = Api().opVerifyResult(context.get());
  std::vector<SignatureFacts> facts;
  for (gpgme_signature_t s = result ? result->signatures : nullptr; s; s = s->next) {
    facts.push_back({s->status, s->fpr ? s->fpr : "", s->validity, s->wrong_key_usage != 0});
  }
  if (facts.empty()) return FailedVerify(error);

  std::vector<CheckedSignature> checked;
  for (const SignatureFacts& fact : facts) {
    CheckedSignature signature;
    signature.verdict = VerdictOf(fact, signature.reason, signature.why);
    signature.signer.fingerprint = fact.fingerprint;
    if (gpgme_err_code(fact.status) != GPG_ERR_NO_PUBKEY && !fact.fingerprint.empty()) {
      signature.signer = SignerOf(context.get(), fact, userKeyring);
    }
    checked.push_back(std::move(signature));
  }
  return JudgeSignatures(checked, keys.expectedFingerprint);
}

}  // namespace

Outcome VerifyDetached(std::string_view data, std::string_view signature, const KeySource& keys) {
  return Check(keys, [&](gpgme_ctx_t context) {
    const Data listed = FromMemory(data);
    const Data made = FromMemory(signature);
    if (!listed || !made) return gpgme_error(GPG_ERR_NO_DATA);
    return Api().opVerify(context, made.get(), listed.get(), nullptr);
  });
}

Verification VerifyClearsigned(std::string_view block, const KeySource& keys) {
  Verification verification;
  verification.outcome = Check(keys, [&](gpgme_ctx_t context) {
    const Data message = FromMemory(block);
    Data plain = Empty();
    if (!message || !plain) return gpgme_error(GPG_ERR_NO_DATA);
    const gpgme_error_t error = Api().opVerify(context, message.get(), nullptr, plain.get());
    std::size_t length = 0;
    char* text = Api().dataReleaseAndGetMem(plain.release(), &length);
    if (text) {
      verification.signedText.assign(text, length);
      Api().free(text);
    }
    return error;
  });
  return verification;
}

}  // namespace vandrel::signature
