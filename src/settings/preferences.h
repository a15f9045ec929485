// Preferences: the five settings stored in "Vandrel.prefs" between runs. The
// file is read once at start-up and written whole once at the end; where it
// lies is the caller's choice (the directory always ends in "/").
#pragma once

#include <string>

#include "settings/settings.h"

namespace vandrel {

inline constexpr char kPreferencesFileName[] = "Vandrel.prefs";

class Preferences {
 public:
  explicit Preferences(Settings& settings) : settings_(settings) {}

  // True when the file opened; all five settings are then overwritten, a
  // missing key giving its default. An algorithm or digest size the program
  // does not have falls back to 0. False leaves the settings untouched.
  bool load(const std::string& directory);
  // Rewrites the file whole; failure is silent, the program just keeps going.
  void save(const std::string& directory);

 private:
  Settings& settings_;
};

}  // namespace vandrel
