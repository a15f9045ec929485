// Verifying lists. The list is read in pieces through the shared reader, so
// a list of millions of lines needs no more memory than one line; each
// accepted line is checked as soon as it is read, as coreutils does.
#include "vandrelsum/check.h"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "checksum_list/checksum_list.h"
#include "checksum_list/list_file.h"
#include "job_engine/job_engine.h"
#include "vandrelsum/messages.h"
#include "vandrelsum/signed_list.h"
#include "vandrelsum/sum_run.h"

namespace vandrel::sum {
namespace {

namespace cl = checksum_list;

// What the engine's tally of the listed files does not hold: the lines that
// named no file to digest.
struct LineCounts {
  bool anyProperLine = false;
  std::size_t misformatted = 0;
  std::size_t unnamable = 0;       // failed as unreadable without being opened
  std::size_t ignoredMissing = 0;  // --ignore-missing: missing, and said nothing
};

// In the report, only a name holding a line feed is escaped: that alone
// could fake a second report line.
void Report(const std::string& name, const char* verdict) {
  std::string line;
  if (name.find('\n') != std::string::npos) {
    line.push_back('\\');
    line.append(cl::EscapeName(name));
  } else {
    line = name;
  }
  line.append(": ").append(verdict).append("\n");
  std::fwrite(line.data(), 1, line.size(), stdout);
}

void Warn(std::size_t count, const char* one, const char* many) {
  char text[160];
  std::snprintf(text, sizeof text, "WARNING: %zu %s", count, count == 1 ? one : many);
  Complain(text);
}

class ListCheck {
 public:
  ListCheck(const SumOptions& options, const std::string& list)
      : options_(options),
        list_(list),
        folder_(cl::ListFolder(list)),
        run_(options, [this](const std::string& name, const engine::Outcome& outcome) {
          judged(name, outcome);
        }) {}

  // Reports every line queued so far.
  void finishLines() { tally_ = run_.finish(); }

  // A list that cannot be read to its end: the complaint comes after the
  // reports of the lines read so far, as when each line was checked as soon
  // as it was read. No reason, as coreutils gives none, so the two compare
  // equal.
  void readFailed() {
    run_.addMessage([this] { Complain(QuoteName(ListName(list_)) + ": read error"); });
    tally_ = run_.finish();
  }

  // Queues a line; its verdict comes back through judged(), in list order.
  void take(const cl::ListLine& line) {
    // Lines that read as checksum lines but name no file a system can have:
    // they fail as files that cannot be opened, never pass as malformed.
    // Reported in their place among the files' reports.
    if (line.rejection == cl::Rejection::NulByte && !line.name.empty()) {
      lines_.anyProperLine = true;
      ++lines_.unnamable;
      run_.addMessage(
          [this, name = line.name.substr(0, line.name.find('\0'))] { fail(name, ENOENT); });
      return;
    }
    if (line.rejection == cl::Rejection::TooLong && !line.name.empty()) {
      lines_.anyProperLine = true;
      ++lines_.unnamable;
      run_.addMessage([this, name = line.name + "..."] { fail(name, ENAMETOOLONG); });
      return;
    }
    if (line.rejection != cl::Rejection::None) {
      ++lines_.misformatted;
      if (options_.warn) {
        const std::string algorithm =
            options_.kindGiven ? std::string(NamesOf(options_.kind).tag) + " " : std::string();
        run_.addMessage([text = QuoteName(ListName(list_)) + ": " +
                                std::to_string(line.lineNumber) + ": improperly formatted " +
                                algorithm + "checksum line"] { Complain(text); });
      }
      return;
    }
    lines_.anyProperLine = true;
    run_.addFile(cl::ResolveListedName(folder_, line.name), line.name, line.expectedHex, line.kind);
  }

  void judged(const std::string& name, const engine::Outcome& outcome) {
    if (outcome.verdict == engine::Verdict::Missing) {
      const int error = FailureErrno(outcome.digest);
      if (options_.ignoreMissing && error == ENOENT) {
        ++lines_.ignoredMissing;
        return;
      }
      fail(name, error);
      return;
    }
    if (outcome.verdict == engine::Verdict::Matched) {
      if (!options_.status && !options_.quiet) Report(name, "OK");
    } else if (!options_.status) {
      Report(name, "FAILED");
    }
  }

  // Closing warnings; true when the list passed.
  bool conclude() const {
    if (!lines_.anyProperLine) {
      Complain(QuoteName(ListName(list_)) + ": no properly formatted checksum lines found");
      return false;
    }
    const std::size_t unreadable = tally_.missing - lines_.ignoredMissing + lines_.unnamable;
    if (!options_.status) {
      if (lines_.misformatted > 0) {
        Warn(lines_.misformatted, "line is improperly formatted", "lines are improperly formatted");
      }
      if (unreadable > 0) {
        Warn(unreadable, "listed file could not be read", "listed files could not be read");
      }
      if (tally_.differs > 0) {
        Warn(tally_.differs, "computed checksum did NOT match", "computed checksums did NOT match");
      }
      if (options_.ignoreMissing && tally_.matched == 0) {
        Complain(QuoteName(ListName(list_)) + ": no file was verified");
      }
    }
    return tally_.matched > 0 && tally_.differs == 0 && unreadable == 0 &&
           (!options_.strict || lines_.misformatted == 0);
  }

 private:
  void fail(const std::string& shownName, int error) {
    ComplainAbout(shownName, error);
    if (!options_.status) Report(shownName, "FAILED open or read");
  }

  const SumOptions& options_;
  const std::string& list_;
  std::string folder_;
  LineCounts lines_;
  engine::Tally tally_;  // the listed files' outcomes, once they are all in
  SumRun run_;           // last: its reports reach the members above
};

// `signedText`: the list's lines as its signature check read them, taken
// instead of reading the list again.
bool CheckList(const SumOptions& options, const std::string& list,
               const std::optional<std::string>& signedText) {
  cl::ListFileRules rules;
  // Whatever can be read, as coreutils reads it: `-c <(command)`, standard
  // input, a list of millions of lines.
  rules.streams = true;
  rules.maxBytes = 0;
  rules.forcedKind = options.kindGiven ? std::optional<DigestKind>(options.kind) : std::nullopt;
  ListCheck check(options, list);
  const cl::ListReader::Sink sink = [&check](const cl::ListLine& line) { check.take(line); };
  const cl::ListFileStatus status = signedText ? cl::ReadListText(*signedText, list, rules, sink)
                                               : cl::ReadListFile(list, rules, sink);
  if (status.problem != cl::ListFileProblem::None) {
    if (!status.opened) {
      ComplainAbout(list, status.error);
    } else {
      check.readFailed();
    }
    return false;
  }
  check.finishLines();
  return check.conclude();
}

}  // namespace

int CheckLists(const SumOptions& options) {
  // Every list's signature is checked before any file of any list is read,
  // so a refused list leaves nothing half done.
  std::vector<std::optional<std::string>> signedTexts(options.files.size());
  if (options.signature) {
    bool vouched = true;
    for (std::size_t i = 0; i < options.files.size(); ++i) {
      signedTexts[i] = ReadSignedList(options, options.files[i]);
      if (!signedTexts[i]) vouched = false;
    }
    if (!vouched) return 1;
  }
  bool ok = true;
  for (std::size_t i = 0; i < options.files.size(); ++i) {
    if (!CheckList(options, options.files[i], signedTexts[i])) ok = false;
    signedTexts[i].reset();
  }
  return ok ? 0 : 1;
}

}  // namespace vandrel::sum
