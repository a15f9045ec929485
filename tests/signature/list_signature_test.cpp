// The signature layer against the real gpg: every outcome once, on keys and
// lists make-fixtures.sh makes with gpg at test time (the user's keyring is
// its "user" home), and the user's home left exactly as it was.
#include "signature/list_signature.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "signature/clearsigned.h"

namespace vandrel::signature {
namespace {

namespace fs = std::filesystem;

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Every file below `folder` with its content.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    files[entry.path()] = entry.is_regular_file() ? Slurp(entry.path()) : "(not a file)";
  }
  return files;
}

struct Row {
  const char* folder;   // under cases/
  const char* keyFile;  // under the fixture; "": the user's keyring
  const char* named;    // a signature named instead of the one beside the list
  const char* pinned;   // whose fingerprint is expected, or ""
  Verdict verdict;
  const char* signer;         // whose key the outcome names, or ""
  Cause cause = Cause::None;  // why it cannot be read or checked
};

constexpr Row kRows[] = {
    {"good-asc", "", "", "", Verdict::Good, "alice"},
    {"uncertified-sig", "", "", "", Verdict::Good, "carol"},
    {"unknown-gpg", "", "", "", Verdict::UnknownKey, "mallory"},
    {"other-file-sign", "", "", "", Verdict::Bad, "alice"},
    {"expired", "", "", "", Verdict::Expired, "old"},
    {"revoked", "", "", "", Verdict::Revoked, "rex"},
    {"none", "", "", "", Verdict::NoSignature, ""},
    {"named", "", "alice.asc", "", Verdict::Good, "alice"},
    {"inline", "", "", "", Verdict::Unreadable, "", Cause::NoSignatureInside},
    {"good-and-unknown", "", "", "", Verdict::Good, "alice"},
    {"good-and-bad", "", "", "", Verdict::Bad, "alice"},
    {"garbage", "", "", "", Verdict::Unreadable, "", Cause::NoSignatureInside},
    {"truncated", "", "", "", Verdict::Unreadable, "", Cause::NoSignatureInside},
    {"doubled-header", "", "", "", Verdict::Unreadable, "", Cause::NoSignatureInside},
    {"huge", "", "", "", Verdict::Unreadable, "", Cause::FileTooLarge},
    {"clear", "", "", "", Verdict::Good, "alice"},
    {"clear-wrapped", "", "", "", Verdict::Good, "alice"},
    {"clear-stray", "", "", "", Verdict::Unreadable, "", Cause::StrayArmour},
    {"clear-big", "", "", "", Verdict::Bad, "alice"},
    {"uncertified-sig", "carol.asc", "", "", Verdict::Good, "carol"},
    {"good-asc", "carol.asc", "", "", Verdict::UnknownKey, "alice"},
    {"good-asc", "secret.asc", "", "", Verdict::CannotCheck, "", Cause::KeyFileSecret},
    {"good-asc", "many.asc", "", "", Verdict::UnknownKey, "alice"},
    {"revoked", "rex.asc", "", "", Verdict::Revoked, "rex"},
    {"expired", "old.asc", "", "", Verdict::Expired, "old"},
    {"good-asc", "", "", "carol", Verdict::WrongSigner, "alice"},
    {"good-and-unknown", "", "", "alice", Verdict::Good, "alice"},
};

// The fixture's folder, removed however the test ends.
struct FixtureFolder {
  fs::path path = fs::temp_directory_path() / ("vandrel-signature-" + std::to_string(::getpid()));
  ~FixtureFolder() { fs::remove_all(path); }
};

// "Alice <alice@example.org>" for "alice", as make-fixtures.sh names them.
std::string UserId(std::string who) {
  std::string name = who;
  name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  return name + " <" + who + "@example.org>";
}

TEST(ListSignatureTest, GivesEachOutcomeAsGpgJudgesItAndLeavesTheUserHomeAlone) {
  const FixtureFolder folder;
  const fs::path& fixture = folder.path;
  fs::remove_all(fixture);
  ASSERT_EQ(std::system(("'" VANDREL_MAKE_FIXTURES "' '" + fixture.string() + "'").c_str()), 0);
  // The private homes go under TMPDIR: it must be empty again at the end.
  fs::create_directories(fixture / "tmp");
  ::setenv("TMPDIR", (fixture / "tmp").c_str(), 1);
  ::setenv("GNUPGHOME", (fixture / "user").c_str(), 1);
  const auto userHomeBefore = Snapshot(fixture / "user");
  const auto fingerprint = [&](const char* who) {
    return *who ? Slurp(fixture / "fpr" / who).substr(0, 40) : std::string();
  };

  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.folder) + " keys '" + row.keyFile + "' pinned '" + row.pinned +
                 "'");
    ListSignatureRequest request;
    request.listPath = fixture / "cases" / row.folder / "list";
    if (*row.named) request.signaturePath = fixture / row.named;
    if (*row.keyFile) request.keys.keyFile = fixture / row.keyFile;
    request.keys.expectedFingerprint = fingerprint(row.pinned);
    const ListSignature checked = CheckListSignature(request);
    EXPECT_EQ(checked.outcome.verdict, row.verdict) << checked.outcome.reason;
    EXPECT_EQ(checked.outcome.signer.fingerprint, fingerprint(row.signer));
    EXPECT_EQ(checked.outcome.why.cause, row.cause);
    if (row.verdict == Verdict::Good) {
      const std::string who = row.signer;
      EXPECT_EQ(checked.outcome.signer.userId, UserId(who));
      EXPECT_EQ(checked.outcome.signer.validInKeyring, who == "alice" && !*row.keyFile);
    }
    // The window streams a list only when no signature can be found.
    if (!*row.named) {
      EXPECT_EQ(HasSignature(request.listPath), row.verdict != Verdict::NoSignature);
    }
    EXPECT_EQ(Vouches(checked),
              row.verdict == Verdict::Good && row.folder != std::string("clear-wrapped"));
  }

  // What the rows are read from: the checked bytes, or the signed text
  // with its dash escape undone; lines around a block are counted, not taken.
  ListSignatureRequest request;
  request.listPath = fixture / "cases/good-asc/list";
  EXPECT_EQ(CheckListSignature(request).text, Slurp(fixture / "list"));
  request.listPath = fixture / "cases/clear/list";
  EXPECT_EQ(CheckListSignature(request).text, Slurp(fixture / "clear-text"));
  request.listPath = fixture / "cases/clear-wrapped/list";
  const ListSignature wrapped = CheckListSignature(request);
  EXPECT_EQ(wrapped.text, Slurp(fixture / "clear-text"));
  std::istringstream second(Slurp(fixture / "second-block"));
  std::size_t outside = 2;  // the line before the block and the one after it
  for (std::string line; std::getline(second, line);) outside += line.empty() ? 0 : 1;
  EXPECT_EQ(wrapped.unsignedLines, outside);
  EXPECT_EQ(wrapped.firstUnsignedLine, 1u);

  EXPECT_EQ(Snapshot(fixture / "user"), userHomeBefore);
  EXPECT_TRUE(fs::is_empty(fixture / "tmp"));
}

// A clearsigned list is told apart piece by piece: the header line wherever
// the pieces split it, and only as a whole line.
TEST(ClearsignedHeaderScanTest, FindsTheHeaderLineAcrossPiecesAndNothingElse) {
  const std::string header = "-----BEGIN PGP SIGNED MESSAGE-----";
  const std::string lines = "abc  file\n";
  const struct {
    std::string text;
    bool found;
  } cases[] = {
      {lines + header + "\nHash: SHA256\n", true},
      {lines + header + " \t\r\n", true},
      {lines + header, true},  // the last line, without a line feed
      {std::string(5000, 'x') + "\n" + header + "\n", true},
      {lines + "- " + header + "\n", false},  // dash-escaped: signed text
      {lines + header + "x\n", false},
      {header + std::string(2000, ' ') + "\n", false},  // too long to be looked at
      {lines + "-----BEGIN PGP SIGNATURE-----\n", false},
  };
  for (const auto& c : cases) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, c.text.size()}) {
      SCOPED_TRACE(c.text.substr(0, 60) + " in pieces of " + std::to_string(piece));
      ClearsignedHeaderScan scan;
      for (std::size_t at = 0; at < c.text.size(); at += piece) {
        scan.feed(std::string_view(c.text).substr(at, piece));
      }
      EXPECT_EQ(scan.found(), c.found);
    }
  }
}

TEST(FingerprintTest, TakesFullFingerprintsWithSpacesInEitherCaseOnly) {
  const std::string full = "DF9B9C49EAA9298432589D76DA87E80D6294BE9B";
  EXPECT_EQ(NormaliseFingerprint("df9b 9c49 eaa9 2984 3258  9d76 da87 e80d 6294 be9b"), full);
  EXPECT_EQ(NormaliseFingerprint(std::string(64, 'a')), std::string(64, 'A'));
  EXPECT_EQ(NormaliseFingerprint("DA87E80D6294BE9B"), std::nullopt);  // a key id
  EXPECT_EQ(NormaliseFingerprint(full.substr(1) + "G"), std::nullopt);
  EXPECT_EQ(GroupFingerprint(full), "DF9B 9C49 EAA9 2984 3258 9D76 DA87 E80D 6294 BE9B");
}

}  // namespace
}  // namespace vandrel::signature
