// A failed row's reason in each shipped language: built from the language's
// own templates and system-error texts, with the numbers filled in, and
// never English where the language has a word of its own.
#include "app/failure_reason.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/language_catalogue.h"
#include "settings/text_table.h"

namespace vandrel {
namespace {

FailureTexts TextsOf(const std::string& code) {
  TextTable table;
  LanguageCatalogue().load(VANDREL_LANG_DIR, code, table);
  return FailureTextsFrom([&table](const char* key) { return table.text(key); });
}

DigestResult Failure(DigestFailure failure, int error = 0, std::uint64_t bytes = 0) {
  DigestResult result;
  result.failure = failure;
  result.error = error;
  result.bytesRead = bytes;
  return result;
}

TEST(FailureReasonTest, EnglishReasonsReadAsTheRowShowsThem) {
  const FailureTexts english = TextsOf("en_GB");
  struct Case {
    DigestResult result;
    std::string reason;
  };
  const Case cases[] = {
      {Failure(DigestFailure::CannotOpen, ENOENT), "cannot open: no such file or folder"},
      {Failure(DigestFailure::CannotOpen, EACCES), "cannot open: permission denied"},
      {Failure(DigestFailure::CannotOpen, ENAMETOOLONG), "cannot open: file name too long"},
      {Failure(DigestFailure::CannotOpen, ENFILE), "cannot open: too many open files"},
      // No key of its own: the system's words, as a reason reads mid-sentence.
      {Failure(DigestFailure::CannotOpen, EROFS), "cannot open: read-only file system"},
      {Failure(DigestFailure::ReadError, EIO, 4096),
       "read error after 4096 bytes: input/output error"},
      {Failure(DigestFailure::NotAFile), "not a regular file"},
      {Failure(DigestFailure::IsAFolder), "is a folder"},
      {Failure(DigestFailure::UnknownAlgorithm), "algorithm or size not available"},
      {Failure(DigestFailure::OutOfMemory), "out of memory"},
      {Failure(DigestFailure::None), ""},
      {Failure(DigestFailure::Abandoned), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatFailureReason(c.result, english), c.reason) << c.reason;
  }
  EXPECT_EQ(FormatDifference("abc", "def", english), "expected abc / got def");
}

// Every reason of every language is whole (no template mark left, the byte
// count and the system's reason in it) and in that language's own words.
TEST(FailureReasonTest, EveryLanguageSaysEveryReasonInItsOwnWords) {
  std::vector<DigestResult> results = {
      Failure(DigestFailure::ReadError, EIO, 123456789),
      Failure(DigestFailure::NotAFile),
      Failure(DigestFailure::IsAFolder),
      Failure(DigestFailure::UnknownAlgorithm),
      Failure(DigestFailure::OutOfMemory),
  };
  for (const ErrorKey& entry : ErrorKeys()) {
    results.push_back(Failure(DigestFailure::CannotOpen, entry.error));
  }
  const FailureTexts english = TextsOf("en_GB");
  int languages = 0;
  for (const auto& file : std::filesystem::directory_iterator(VANDREL_LANG_DIR)) {
    if (file.path().extension() != ".language") continue;
    ++languages;
    const std::string code = file.path().stem().string();
    const FailureTexts texts = TextsOf(code);
    for (const DigestResult& result : results) {
      const std::string reason = FormatFailureReason(result, texts);
      SCOPED_TRACE(code + ": " + reason);
      EXPECT_FALSE(reason.empty());
      EXPECT_EQ(reason.find('{'), std::string::npos);
      if (result.failure == DigestFailure::ReadError) {
        EXPECT_NE(reason.find("123456789"), std::string::npos);
      }
      if (code == "en_GB") continue;
      EXPECT_NE(reason, FormatFailureReason(result, english));
      if (result.error != 0) {
        EXPECT_EQ(reason.find(SystemErrorText(result.error)), std::string::npos)
            << "the system's English words";
      }
    }
  }
  EXPECT_EQ(languages, 8);
}

TEST(FailureReasonTest, TemplatesMayRepeatOrLeaveOutTheirValues) {
  FailureTexts texts;
  texts.cannotOpen = "{error} ({error})";
  texts.readError = "broken";
  texts.errors.assign(ErrorKeys().size(), "");
  EXPECT_EQ(FormatFailureReason(Failure(DigestFailure::CannotOpen, EROFS), texts),
            "read-only file system (read-only file system)");
  EXPECT_EQ(FormatFailureReason(Failure(DigestFailure::ReadError, EIO, 7), texts), "broken");
}

}  // namespace
}  // namespace vandrel
