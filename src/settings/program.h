// The program's global records: the five settings, the text table, the
// language catalogue and the paths held for the whole run. One instance,
// owned and used by the main thread.
#pragma once

#include <string>

#include "settings/language_catalogue.h"
#include "settings/settings.h"
#include "settings/text_table.h"

namespace vandrel {

struct ProgramState {
  Settings settings;
  TextTable texts;
  LanguageCatalogue languages;
  std::string programDirectory;        // ends in "/"
  std::string configurationDirectory;  // ends in "/"
  std::string preferencesDirectory;    // where the preferences were read and go back to
};

ProgramState& Program();

// The text the table holds for `key` now; a missing key gives the empty text.
const std::string& T(const std::string& key);

}  // namespace vandrel
