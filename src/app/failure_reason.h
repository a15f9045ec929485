// Why a row failed, in the user's language. The words come from the text
// table, which only the main thread reads: FailureTexts is a copy of them
// taken there, which any thread may then format with.
#pragma once

#include <string>
#include <vector>

#include "digest/digest_engine.h"

namespace vandrel {

// The texts a reason is made of, in one language. `{error}` and `{bytes}`
// in a template stand for the system's reason and the bytes read.
struct FailureTexts {
  std::string noAlgorithm;
  std::string cannotOpen;  // "{error}"
  std::string notAFile;
  std::string isAFolder;
  std::string readError;  // "{bytes}", "{error}"
  std::string outOfMemory;
  std::string expected;
  std::string got;
  // The texts of the common errno values, in the order of ErrorKeys().
  std::vector<std::string> errors;
};

struct ErrorKey {
  int error;
  const char* key;
};
// The errno values that have a text key; others read as strerror says.
const std::vector<ErrorKey>& ErrorKeys();

// The texts of the keys as `text` gives them.
template <typename Lookup>
FailureTexts FailureTextsFrom(Lookup&& text) {
  FailureTexts texts{text("tInfoNOALGORITHM"), text("tInfoCANNOTOPEN"), text("tInfoNOTAFILE"),
                     text("tInfoISAFOLDER"),   text("tInfoREADERROR"),  text("tInfoOUTOFMEMORY"),
                     text("tInfoEXPECTED"),    text("tInfoGOT"),        {}};
  for (const ErrorKey& entry : ErrorKeys()) texts.errors.push_back(text(entry.key));
  return texts;
}

// Every `{name}` in `text` becomes `value`. A template without the name
// simply leaves the value out: a translation may word it away.
std::string Fill(std::string text, const std::string& name, const std::string& value);

// The system's reason `error` (errno) in the words of `texts`, or as
// strerror says where they have none.
std::string ErrorReason(int error, const FailureTexts& texts);

// The texts in the language loaded now. Main thread only.
FailureTexts CurrentFailureTexts();

// The reason a failed result gives, from `texts`; empty for a digest that did
// not fail or was abandoned. May run on any thread.
std::string FormatFailureReason(const DigestResult& result, const FailureTexts& texts);
// A verified row's difference: "expected <digest> / got <digest>". May run
// on any thread.
std::string FormatDifference(const std::string& expected, const std::string& got,
                             const FailureTexts& texts);

}  // namespace vandrel
