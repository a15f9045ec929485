// Shared ground for the in-process tests of the job, the file intake and the
// results list: scratch folders, reference digests computed with OpenSSL's
// and zlib's one-shot calls (never with the engine under test), the summary
// text spelled out in English, and running a job to its end.
#pragma once

#include <openssl/evp.h>
#include <zlib.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/file_intake.h"
#include "support/app_fixture.h"
#include "support/scratch_directory.h"

namespace vandrel::testing {

// A fresh, empty folder for one test; the result ends in "/". Its parent is
// the test process's own, so that test runs side by side (two checkouts on
// one machine) never empty each other's folders; it goes when the process ends.
inline std::string ScratchFolder(const std::string& name) {
  static const ScratchDirectory root;
  std::filesystem::path folder = std::filesystem::path(root.path()) / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  // Readable by everybody: one test reads them with root's power dropped.
  std::filesystem::permissions(folder.parent_path(), std::filesystem::perms(0755));
  std::filesystem::permissions(folder, std::filesystem::perms(0755));
  return folder.string() + "/";
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  std::filesystem::permissions(path, std::filesystem::perms(0644));
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

// The digest the program must show: `md` through EVP_Digest, or zlib's
// crc32 printed as eight digits when `md` is null.
inline std::string ReferenceDigest(const std::string& bytes, const EVP_MD* md) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  char hex[2 * EVP_MAX_MD_SIZE + 1] = {};
  if (!md) {
    unsigned long crc = crc32(crc32(0L, Z_NULL, 0), data, static_cast<uInt>(bytes.size()));
    std::snprintf(hex, sizeof hex, "%08lx", crc);
    return hex;
  }
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (!EVP_Digest(data, bytes.size(), digest, &length, md, nullptr)) return "reference failed";
  for (unsigned int i = 0; i < length; ++i) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
  return hex;
}

// The summary dialog's text in English, line breaks as the dialog shows them.
inline std::string EnglishSummary(bool cancelled, int processed, int rows, int failed) {
  return std::string(cancelled ? "Checksum calculation cancelled."
                               : "Checksum calculation finished.") +
         "\n\nFiles processed:\t" + std::to_string(processed) + "\\" + std::to_string(rows) +
         "\nFailed:\t" + std::to_string(failed) + " file(s)";
}

class JobGuiTest : public AppFixture {
 protected:
  // Clicks Calculate, answers the summary with Return and returns the
  // summary's message ("" when none was shown).
  static std::string RunJob() {
    std::vector<std::vector<std::string>> shown;
    AnswerDialogsInTurn({tk::kKeyReturn}, &shown);
    Click(kGadgetCalculate);
    EXPECT_TRUE(RunUntil([&] { return Job().JobRunning == 0 && !shown.empty(); }));
    return shown.empty() ? "" : shown[0][0];
  }

  // Adds each path with AddSource, so the rows come in this order.
  static void AddEach(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) AddSource(path);
  }

  static std::vector<std::string> Column(int column) {
    std::vector<std::string> cells;
    for (int row = 0; row < Rows(); ++row) cells.push_back(Cell(row, column));
    return cells;
  }
};

// A file: URI as a file manager sends it, every byte outside the unreserved
// set percent-encoded (line feeds and non-UTF-8 bytes included).
inline std::string FileUri(const std::string& path) {
  std::string uri = "file://";
  for (unsigned char c : path) {
    if (std::isalnum(c) || std::string("/._-~").find(static_cast<char>(c)) != std::string::npos) {
      uri += static_cast<char>(c);
    } else {
      char escaped[4];
      std::snprintf(escaped, sizeof escaped, "%%%02X", c);
      uri += escaped;
    }
  }
  return uri;
}

}  // namespace vandrel::testing
