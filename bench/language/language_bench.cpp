// Start-up cost of hostile language catalogues: what LanguageCatalogue's
// discover and load take (the work the program does before its window shows)
// for language files with many keys, folders of many files and packs of many
// large entries, plus the text table alone filled with many keys. Prints one
// line per case with the time; for the text table also the time per key,
// whose ratio between the largest and the smallest case shows whether the
// work grows linearly. Run by hand: build/<type>/bench/language_bench
// (--quick: only sizes that a quadratic table still finishes).
#include <archive.h>
#include <archive_entry.h>
#include <stdlib.h>
#include <time.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "settings/language_catalogue.h"
#include "settings/text_table.h"

namespace {

namespace fs = std::filesystem;

class Scratch {
 public:
  Scratch() {
    std::string pattern = (fs::temp_directory_path() / "vandrel-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  std::string dir() const { return path_ + "/"; }
  std::string catalogue() const { return dir() + vandrel::kCatalogueName; }

 private:
  std::string path_;
};

// Processor time of the work: on a machine shared with other jobs it varies
// far less than the time on the clock.
double Seconds(const std::function<void()>& work) {
  const auto now = [] {
    timespec time{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_nsec) * 1e-9;
  };
  const double start = now();
  work();
  return now() - start;
}

// Short distinct keys, so that two million of them fit the 16 MiB file limit
// and a file holds as many pairs as its size allows.
std::string Key(std::size_t index) {
  static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string key = "k";
  do {
    key.push_back(kDigits[index % 62]);
    index /= 62;
  } while (index != 0);
  return key;
}

std::string LanguageText(const std::string& name, std::size_t keys) {
  std::string text = "\xEF\xBB\xBF[LANGUAGE FILE]\ntLangFileNAME = " + name + "\n[Texts]\n";
  text.reserve(text.size() + keys * 8);
  for (std::size_t i = 0; i < keys; ++i) text += Key(i) + "=v\n";
  return text;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Discovery and the load of one language, as at start-up.
struct StartUp {
  double seconds = 0;
  std::size_t languages = 0;
  std::size_t keys = 0;
};

StartUp TimeStartUp(const Scratch& program, const std::string& code) {
  StartUp result;
  result.seconds = Seconds([&] {
    vandrel::LanguageCatalogue catalogue;
    vandrel::TextTable table;
    catalogue.discover(program.dir());
    catalogue.load(catalogue.cataloguePath(), code, table);
    result.languages = catalogue.size();
    result.keys = table.size();
  });
  return result;
}

void LanguageFileWithManyKeys(const std::vector<std::size_t>& counts) {
  std::printf("\nOne language file in a folder, start-up (discover + load):\n");
  std::printf("%10s %10s %9s %12s\n", "keys", "file MiB", "cpu s", "keys loaded");
  for (const std::size_t keys : counts) {
    Scratch program;
    fs::create_directory(program.catalogue());
    const std::string text = LanguageText("Many", keys);
    WriteFile(program.catalogue() + "/xx_XX.language", text);
    const StartUp run = TimeStartUp(program, "xx_XX");
    std::printf("%10zu %10.1f %9.3f %12zu\n", keys, text.size() / 1048576.0, run.seconds, run.keys);
  }
}

void TextTableAlone(const std::vector<std::size_t>& counts) {
  std::printf("\nText table alone, distinct keys set one by one:\n");
  std::printf("%10s %9s %11s\n", "keys", "cpu s", "us per key");
  double first = 0;
  double last = 0;
  for (const std::size_t keys : counts) {
    std::vector<std::string> names;
    names.reserve(keys);
    for (std::size_t i = 0; i < keys; ++i) names.push_back(Key(i));
    vandrel::TextTable table;
    const double seconds = Seconds([&] {
      for (const std::string& name : names) table.setText(name, "v");
    });
    const double perKey = seconds * 1e6 / static_cast<double>(keys);
    if (first == 0) first = perKey;
    last = perKey;
    std::printf("%10zu %9.3f %11.3f\n", keys, seconds, perKey);
  }
  std::printf("time per key, largest over smallest: %.2f\n", last / first);
}

// A deflated ZIP of `count` language entries of `entryBytes` each.
bool WritePack(const std::string& path, std::size_t count, std::size_t entryBytes) {
  archive* zip = archive_write_new();
  bool ok = archive_write_set_format_zip(zip) == ARCHIVE_OK &&
            archive_write_set_options(zip, "zip:compression-level=9") == ARCHIVE_OK &&
            archive_write_open_filename(zip, path.c_str()) == ARCHIVE_OK;
  std::string body = LanguageText("Pack", 16);
  body.append(entryBytes - body.size() - 1, ';');
  body.push_back('\n');
  for (std::size_t i = 0; ok && i < count; ++i) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(
        entry, std::string("p").append(std::to_string(i)).append(".language").c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(body.size()));
    ok = archive_write_header(zip, entry) == ARCHIVE_OK &&
         archive_write_data(zip, body.data(), body.size()) == static_cast<la_ssize_t>(body.size());
    archive_entry_free(entry);
  }
  ok = archive_write_close(zip) == ARCHIVE_OK && ok;
  archive_write_free(zip);
  return ok;
}

void PackOfLargeEntries(std::size_t count) {
  std::printf("\nA pack of %zu entries of 1 MiB each, start-up (discover + load):\n", count);
  Scratch program;
  if (!WritePack(program.catalogue(), count, 1024 * 1024)) {
    std::printf("could not write the pack\n");
    return;
  }
  const StartUp run = TimeStartUp(program, "p0");
  std::printf("%9.3f cpu s for a %.1f MiB pack, %zu languages offered, %zu keys loaded\n",
              run.seconds, static_cast<double>(fs::file_size(program.catalogue())) / 1048576.0,
              run.languages, run.keys);
}

// A stored ZIP of `count` empty entries: all central directory, no data.
void PackOfEmptyEntries(std::size_t count) {
  std::printf("\nA pack of %zu empty entries, start-up (discover + load):\n", count);
  Scratch program;
  archive* zip = archive_write_new();
  bool ok = archive_write_set_format_zip(zip) == ARCHIVE_OK &&
            archive_write_set_options(zip, "zip:compression=store") == ARCHIVE_OK &&
            archive_write_open_filename(zip, program.catalogue().c_str()) == ARCHIVE_OK;
  for (std::size_t i = 0; ok && i < count; ++i) {
    archive_entry* entry = archive_entry_new();
    archive_entry_set_pathname(entry, std::string("e").append(std::to_string(i)).c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, 0);
    ok = archive_write_header(zip, entry) == ARCHIVE_OK;
    archive_entry_free(entry);
  }
  ok = archive_write_close(zip) == ARCHIVE_OK && ok;
  archive_write_free(zip);
  const StartUp run = TimeStartUp(program, "e0");
  std::printf("%9.3f cpu s for a %.1f MiB pack, %zu languages offered\n", run.seconds,
              static_cast<double>(fs::file_size(program.catalogue())) / 1048576.0, run.languages);
}

void FolderOfManyFiles(std::size_t count, std::size_t fileBytes) {
  std::printf("\nA folder of %zu language files of %zu KiB each, start-up (discover + load):\n",
              count, fileBytes / 1024);
  Scratch program;
  fs::create_directory(program.catalogue());
  std::string body = LanguageText("Folder", fileBytes / 8);
  body.resize(fileBytes - 1);
  body.push_back('\n');
  for (std::size_t i = 0; i < count; ++i) {
    WriteFile(program.catalogue() + "/f" + std::to_string(i) + ".language", body);
  }
  const StartUp run = TimeStartUp(program, "f0");
  std::printf("%9.3f cpu s, %zu languages offered, %zu keys loaded\n", run.seconds, run.languages,
              run.keys);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::string(argv[1]) == "--quick";
  if (quick) {
    LanguageFileWithManyKeys({12500, 25000, 50000, 100000});
    TextTableAlone({12500, 25000, 50000, 100000});
    FolderOfManyFiles(2000, 2048);
    PackOfLargeEntries(200);
    PackOfEmptyEntries(14000);
    return 0;
  }
  LanguageFileWithManyKeys({50000, 100000, 140000, 400000, 2000000});
  TextTableAlone({50000, 100000, 400000, 2000000});
  FolderOfManyFiles(20000, 2048);
  FolderOfManyFiles(200, 1024 * 1024 - 512);
  PackOfLargeEntries(1500);
  PackOfLargeEntries(5000);
  PackOfEmptyEntries(14000);
  PackOfEmptyEntries(300000);
  return 0;
}
