// Compare's matching, without a display: which rows' digests copied text
// holds as whole hex words, and that a huge clipboard of distinct
// candidates costs no memory beyond the text itself.
#include "app/copied_digests.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <string>
#include <vector>

namespace vandrel {
namespace {

const std::string kCrc = "cbf43926";
const std::string kMd5 = "900150983cd24fb0d6963f7d28e17f72";
const std::string kSha1 = "a9993e364706816aba3e25717850c26c9cd0d89d";

TEST(MatchCopiedDigestsTest, FindsDigestsAsWholeHexWordsOfDigestLength) {
  // Row 1 has no digest; rows 2 and 4 share one.
  const std::vector<std::string> rows = {kCrc, "", kSha1, kMd5, kSha1};
  const struct {
    std::string text;
    bool anyDigest;
    std::vector<int> rows;
  } cases[] = {
      {"", false, {}},
      {"CBF43926", true, {0}},
      {"md5 (x) = 900150983CD24FB0D6963F7D28E17F72\n", true, {3}},
      {kSha1 + "  file\n" + kSha1 + "  copy\n", true, {2, 4}},
      // Seven or nine digits, a word that only starts with hex, and "0x".
      {"cbf4392 cbf439260 cbf43926z 0xcbf43926", false, {}},
      {"(cbf43926),[" + kSha1 + "]", true, {0, 2, 4}},
      // A digest of a length no row has still counts as one copied.
      {std::string(64, 'a'), true, {}},
      {"deadbeef", true, {}},
  };
  for (const auto& c : cases) {
    const CopiedDigestMatch match = MatchCopiedDigests(c.text, rows);
    EXPECT_EQ(match.anyDigest, c.anyDigest) << c.text;
    EXPECT_EQ(match.rows, c.rows) << c.text;
  }
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

TEST(MatchCopiedDigestsTest, AHugeTextOfDistinctCandidatesCostsNoMemoryOfItsOwn) {
  constexpr int kWords = 250000;
  const std::vector<std::string> rows = {std::string(64, 'f'), kMd5};
  std::string text;
  text.reserve(kWords * 65 + 64);
  char word[80];
  for (int i = 0; i < kWords; ++i) {
    std::snprintf(word, sizeof word, "%064x\n", i);
    text += word;
  }
  text += rows[0];
  const long before = PeakKilobytes();
  const CopiedDigestMatch match = MatchCopiedDigests(text, rows);
  EXPECT_EQ(match.rows, std::vector<int>{0});
  // Keeping every candidate word would take several times the text.
  EXPECT_LT((PeakKilobytes() - before) * 1024, static_cast<long>(text.size() / 4));
}

}  // namespace
}  // namespace vandrel
