// Loading, checking and saving the preferences file with KeyValueFile. The
// file always comes out as the same ten lines: a comment and three groups in
// fixed order, the algorithm and size as the numbers of their options.
#include "settings/preferences.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <iterator>
#include <optional>

#include "core/algorithm.h"
#include "settings/key_value_file.h"
#include "system/debug_log.h"

namespace vandrel {
namespace {

const Settings kDefaults{};

// X11 sizes are 16-bit; GTK and cairo fail (or crash) on windows larger than
// the server can make, so a size from a hand-edited file must be cut down
// before any window exists. A screen smaller than the minimum still gets the
// minimum: the window cannot be laid out below it.
WindowSize FitWindowSize(WindowSize stored, WindowSize workArea) {
  static constexpr std::int32_t kX11Limit = 32767;
  auto fit = [](std::int32_t value, std::int32_t area, std::int32_t minimum) {
    const std::int32_t maximum = area > 0 ? std::min(area, kX11Limit) : kX11Limit;
    return std::max(std::min(value, maximum), minimum);
  };
  return {fit(stored.width, workArea.width, kMinimumWidth),
          fit(stored.height, workArea.height, kMinimumHeight)};
}

// The position of a size among the size options; the file stores that.
std::int32_t SizeSetting(std::int32_t bits) {
  const auto at = std::find(kDigestSizes.begin(), kDigestSizes.end(), bits);
  return at == kDigestSizes.end() ? 0 : static_cast<std::int32_t>(at - kDigestSizes.begin());
}

// "de_AT.UTF-8@euro" -> "de_AT"; "de" stays "de".
std::string CodeOfLocale(const std::string& locale) {
  return locale.substr(0, locale.find_first_of(".@"));
}

std::string LanguagePart(const std::string& code) { return code.substr(0, code.find('_')); }

// A found language for `code`: itself, or else one of its language, the
// language's home country first ("de" -> "de_DE", "pt" -> "pt_PT") and then
// the first by name, so the choice never depends on the order of discovery.
std::optional<std::string> Match(const std::string& code, const std::vector<std::string>& found) {
  if (code.empty()) return std::nullopt;
  if (std::find(found.begin(), found.end(), code) != found.end()) return code;
  const std::string language = LanguagePart(code);
  std::string home = language + "_";
  std::transform(language.begin(), language.end(), std::back_inserter(home),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  std::optional<std::string> best;
  for (const std::string& candidate : found) {
    if (LanguagePart(candidate) != language) continue;
    if (candidate == home) return candidate;
    if (!best || candidate < *best) best = candidate;
  }
  return best;
}

// LANGUAGE is the user's list of preferences, so each of its entries, even
// as a near match, comes before LANG.
std::optional<std::string> LanguageFromEnvironment(const PreferenceLimits& limits) {
  std::vector<std::string> wanted;
  std::size_t start = 0;
  while (start <= limits.languageList.size()) {
    const std::size_t colon =
        std::min(limits.languageList.find(':', start), limits.languageList.size());
    wanted.push_back(CodeOfLocale(limits.languageList.substr(start, colon - start)));
    start = colon + 1;
  }
  wanted.push_back(CodeOfLocale(limits.lang));
  for (const std::string& code : wanted) {
    if (std::optional<std::string> match = Match(code, limits.languages)) return match;
  }
  return std::nullopt;
}

}  // namespace

bool Preferences::load(const std::string& directory) {
  KeyValueFile file;
  if (!file.open(directory + kPreferencesFileName)) return false;
  file.selectGroup("Language");
  settings_.Language = file.readText("Language", kDefaults.Language);
  file.selectGroup("General");
  // A value from a hand-edited or damaged file must not name an algorithm or
  // a size the job cannot run.
  settings_.digest = DigestKindFromSettings(file.readInteger("Fingerprint", 0),
                                            file.readInteger("Bits", 0), kDefaults.digest);
  file.selectGroup("Window");
  const WindowSize stored{file.readInteger("WindowWidth", kDefaults.window.width),
                          file.readInteger("WindowHeight", kDefaults.window.height)};
  settings_.window = FitWindowSize(stored, limits_.workArea);
  file.close();
  return true;
}

void Preferences::settleLanguage(bool askEnvironment) {
  std::string& code = settings_.Language;
  if (code.empty() && askEnvironment) code = LanguageFromEnvironment(limits_).value_or("");
  const std::vector<std::string>& found = limits_.languages;
  if (std::find(found.begin(), found.end(), code) == found.end()) code = kFallbackLanguage;
}

void Preferences::save(const std::string& directory) {
  KeyValueFile file;
  if (!file.create(directory + kPreferencesFileName)) {
    // The program ends without a word either way; only the log says why.
    DebugLog("preferences", "cannot create " + directory + kPreferencesFileName);
    return;
  }
  file.addComment("Vandrel Preferences");
  file.selectGroup("Language");
  file.writeText("Language", settings_.Language);
  file.selectGroup("General");
  file.writeInteger("Fingerprint", static_cast<std::int32_t>(settings_.digest.algorithm));
  file.writeInteger("Bits", SizeSetting(settings_.digest.bits));
  file.selectGroup("Window");
  file.writeInteger("WindowWidth", settings_.window.width);
  file.writeInteger("WindowHeight", settings_.window.height);
  file.close();
}

}  // namespace vandrel
