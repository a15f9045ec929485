// Preferences: the settings stored in "Vandrel.prefs" between runs. The file
// is read once at start-up and written whole once at the end; where it lies
// is the caller's choice (the directory always ends in "/"). This is the one
// place that turns the file's integers into typed settings and back, and that
// checks what it reads against what the program and the screen can do.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "settings/settings.h"

namespace vandrel {

inline constexpr char kPreferencesFileName[] = "Vandrel.prefs";
inline constexpr char kFallbackLanguage[] = "en_GB";

// What loaded values are checked against.
struct PreferenceLimits {
  WindowSize workArea{0, 0};           // as the toolkit reports it; 0 when unknown
  std::vector<std::string> languages;  // codes of the languages found
  std::string languageList;            // the LANGUAGE variable: codes separated by ":"
  std::string lang;                    // the LANG variable, such as "de_AT.UTF-8"
};

class Preferences {
 public:
  explicit Preferences(Settings& settings, PreferenceLimits limits = {})
      : settings_(settings), limits_(std::move(limits)) {}

  // True when the file opened; every setting is then overwritten, a missing
  // key giving its default. An algorithm or digest size the program does not
  // have gives the default one; the window size is fitted to the work area
  // and the minimum. False leaves the settings untouched.
  bool load(const std::string& directory);
  // Makes `Language` one of the languages found. A stored code stays when it
  // is found. An empty one, when `askEnvironment`, becomes the user's from
  // LANGUAGE's list and then LANG, each matched exactly and then by its
  // language alone (de_AT finds de_DE). Anything else gives "en_GB".
  void settleLanguage(bool askEnvironment);
  // Rewrites the file whole; failure is silent, the program just keeps going.
  void save(const std::string& directory);

 private:
  Settings& settings_;
  PreferenceLimits limits_;
};

}  // namespace vandrel
