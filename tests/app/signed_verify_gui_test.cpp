// Signed checksum lists in the window, in-process, against the real gpg on
// keys and lists make-fixtures.sh makes at test time: for each outcome, the
// source field's mark, its tip and what a screen reader reads, the summary's
// first lines and the rows; the key-file command with a signer typed in.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <sstream>

#include "app/job_gui_support.h"
#include "app/list_trust.h"
#include "signature/list_signature.h"
#include "testing/toolkit_queries.h"

namespace vandrel {
namespace {

namespace sg = signature;

// A machine whose gpg cannot run, for a clearsigned list: no signed text
// comes back, only why.
sg::ListSignature WithoutGpg(const sg::ListSignatureRequest&) {
  sg::ListSignature checked;
  checked.form = sg::SignatureForm::Clearsigned;
  checked.outcome = {sg::Verdict::CannotCheck,
                     {},
                     "GPGME (libgpgme.so.11) is not installed or cannot be loaded",
                     {sg::Cause::GpgMissing}};
  return checked;
}

class SignedVerifyTest : public testing::JobGuiTest {
 protected:
  void SetUp() override {
    JobGuiTest::SetUp();
    static const std::string made = [] {
      const std::string folder = testing::ScratchFolder("signed");
      const std::string make = "'" VANDREL_MAKE_FIXTURES "' '" + folder + "' >/dev/null 2>&1";
      EXPECT_EQ(std::system(make.c_str()), 0);
      // The user's keyring: GPGME reads where it is once, at its first check.
      ::setenv("GNUPGHOME", (folder + "user").c_str(), 1);
      return folder;
    }();
    fixture_ = made;
  }

  void TearDown() override {
    ForgetListTrust();
    JobGuiTest::TearDown();
  }

  int NonEmptyLines(const std::string& name) const {
    std::istringstream text(testing::ReadBytes(fixture_ + name));
    int lines = 0;
    for (std::string line; std::getline(text, line);) lines += line.empty() ? 0 : 1;
    return lines;
  }

  // "DF9B 9C49 ..." of a key make-fixtures.sh made.
  std::string Key(const std::string& who) const {
    return sg::GroupFingerprint(testing::ReadBytes(fixture_ + "fpr/" + who).substr(0, 40));
  }

  // Runs `command` and answers what it asks: a question with an entry gets
  // `typed` and Return, the summary Return; gives the summary.
  static std::string Answer(int command, const std::string& typed) {
    auto summary = std::make_shared<std::string>();
    Poll(summary, typed);
    tk::ActivateMenuItem(kMainMenu, command);
    EXPECT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && !summary->empty(); }));
    return *summary;
  }

  std::string fixture_;

 private:
  static void Poll(const std::shared_ptr<std::string>& summary, const std::string& typed) {
    const int dialog = tk::testing::LastOpenedWindow();
    if (tk::IsWindowDisabled(kMainWindow) && dialog != kMainWindow && tk::IsWindow(dialog)) {
      const std::vector<int> gadgets = tk::testing::WindowGadgets(dialog);
      if (gadgets.size() == 6) tk::SetGadgetText(gadgets[3], typed);
      if (gadgets.size() != 6) *summary = tk::testing::WindowTexts(dialog)[0];
      tk::testing::PressKey(dialog, tk::kKeyReturn);
      if (!summary->empty()) return;
    }
    tk::testing::AtNextWait([summary, typed] { Poll(summary, typed); }, 10);
  }
};

TEST_F(SignedVerifyTest, TheFieldAndTheSummaryTellWhoVouchesForTheList) {
  const std::string good =
      "Signed by Alice <alice@example.org>, key " + Key("alice") + ": good signature";
  const std::string matched = "\n\nMatched:\t1\nDifferent:\t0\nMissing or unreadable:\t0";
  // Outside the block: the line before it, the one after it and a second
  // block. Without gpg, every line of the file but the checksum line.
  const std::string outside = std::to_string(2 + NonEmptyLines("second-block"));
  const std::string armour = std::to_string(NonEmptyLines("cases/clear/list") - 1);
  // Pasted as people paste: lower case, spaces anywhere.
  std::string typed = " " + Key("mallory") + " ";
  for (char& c : typed) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  struct Case {
    const char* folder;
    sg::ListSignature (*check)(const sg::ListSignatureRequest&);
    const char* keyFile;  // through the key-file command, with `typed`
    std::string head;     // the summary's first lines; none without a signature
    int mark;             // -1: none
    std::string counts;
  };
  const Case cases[] = {
      {"good-asc", nullptr, "", good, kImageRowMatches, matched},
      {"unknown-gpg", nullptr, "",
       "Signed, but by a key that is not in your keyring (fingerprint " + Key("mallory") +
           ")\nTo check it with the publisher's key file, choose File › Verify checksum list "
           "with a key file…",
       kImageRowMissing, matched},
      // Every file matches, and still the list is not to be trusted.
      {"other-file-sign", nullptr, "",
       "The list cannot be trusted.\nBAD signature: the list was changed after it was signed",
       kImageRowDiffers, matched},
      // The signed dash-escaped line is no checksum line; the unsigned ones
      // are not rows.
      {"clear-wrapped", nullptr, "",
       good + "\n" + outside +
           " line(s) outside the signed part were not used, the first is line 1",
       kImageRowMissing, matched + "\nUnusable list lines:\t1"},
      // Without gpg the whole file is read, as before signatures were checked.
      {"clear", WithoutGpg, "",
       "The signature cannot be checked: GnuPG (gpg) is not installed or cannot be run. The files "
       "are checked all the same.",
       kImageRowMissing, matched + "\nUnusable list lines:\t" + armour},
      {"uncertified-sig", nullptr, "carol.asc",
       "The list cannot be trusted.\nSigned by Carol <carol@example.org>, key " + Key("carol") +
           ", not by the expected key " + Key("mallory"),
       kImageRowDiffers, matched},
      {"none", nullptr, "", "", -1, matched},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    tk::ClearGadgetItems(kGadgetResults);
    Job().CheckSignature = c.check;
    tk::testing::ScriptRequester({{fixture_ + "cases/" + c.folder + "/list"}, nullptr});
    if (*c.keyFile) tk::testing::ScriptRequester({{fixture_ + c.keyFile}, nullptr});
    const std::string summary = testing::EnglishSummary(false, 1, 1, 0) + c.counts;
    EXPECT_EQ(Answer(*c.keyFile ? kMenuVerifyWithKey : kMenuVerify, typed),
              c.head.empty() ? summary : c.head + "\n\n" + summary);
    ASSERT_EQ(Rows(), 1);
    EXPECT_EQ(Cell(0, 0), fixture_ + "cases/" + c.folder + "/../../hello");
    EXPECT_TRUE(RowShows(0, kImageRowMatches));
    std::string tip;
    EXPECT_EQ(tk::StringGadgetMark(kGadgetSource, &tip),
              c.mark < 0 ? nullptr : tk::ImageID(c.mark));
    EXPECT_EQ(tip, c.head);
    EXPECT_EQ(tk::GadgetAccessibleDescription(kGadgetSource),
              c.head.empty() ? T("tMainSOURCETIP") : c.head);
  }
}

}  // namespace
}  // namespace vandrel
