// A failed row's reason made from the language's templates. The engine's own
// English reason (DescribeDigestFailure) stays for the debug log.
#include "app/failure_reason.h"

#include <cerrno>

#include "settings/text_table.h"

namespace vandrel {

std::string Fill(std::string text, const std::string& name, const std::string& value) {
  const std::string mark = "{" + name + "}";
  for (std::size_t at = text.find(mark); at != std::string::npos;
       at = text.find(mark, at + value.size())) {
    text.replace(at, mark.size(), value);
  }
  return text;
}

std::string ErrorReason(int error, const FailureTexts& texts) {
  const std::vector<ErrorKey>& keys = ErrorKeys();
  for (std::size_t i = 0; i < keys.size() && i < texts.errors.size(); ++i) {
    if (keys[i].error == error && !texts.errors[i].empty()) return texts.errors[i];
  }
  return SystemErrorText(error);
}

const std::vector<ErrorKey>& ErrorKeys() {
  // What opening or reading a listed file commonly runs into; EMFILE and
  // ENFILE read the same to the user.
  static const std::vector<ErrorKey> keys = {
      {ENOENT, "tErrNOENT"},   {EACCES, "tErrACCES"},
      {EISDIR, "tErrISDIR"},   {ENAMETOOLONG, "tErrNAMETOOLONG"},
      {ELOOP, "tErrLOOP"},     {EIO, "tErrIO"},
      {ENOTDIR, "tErrNOTDIR"}, {EMFILE, "tErrMFILE"},
      {ENFILE, "tErrMFILE"},   {ENOMEM, "tErrNOMEM"},
      {EINVAL, "tErrINVAL"},
  };
  return keys;
}

FailureTexts CurrentFailureTexts() {
  return FailureTextsFrom([](const char* key) { return T(key); });
}

std::string FormatFailureReason(const DigestResult& result, const FailureTexts& texts) {
  switch (result.failure) {
    case DigestFailure::None:
    case DigestFailure::Abandoned:
      return {};
    case DigestFailure::UnknownAlgorithm:
      return texts.noAlgorithm;
    case DigestFailure::CannotOpen:
      return Fill(texts.cannotOpen, "error", ErrorReason(result.error, texts));
    case DigestFailure::NotAFile:
      return texts.notAFile;
    case DigestFailure::IsAFolder:
      return texts.isAFolder;
    case DigestFailure::ReadError:
      return Fill(Fill(texts.readError, "bytes", std::to_string(result.bytesRead)), "error",
                  ErrorReason(result.error, texts));
    case DigestFailure::OutOfMemory:
      return texts.outOfMemory;
  }
  return {};
}

std::string FormatDifference(const std::string& expected, const std::string& got,
                             const FailureTexts& texts) {
  return texts.expected + " " + expected + " / " + texts.got + " " + got;
}

}  // namespace vandrel
