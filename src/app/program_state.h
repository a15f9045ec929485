// The window program's records for the whole run: the settings, the language
// catalogue and the folders found at start-up. One instance, owned and used
// by the main thread. The texts the catalogue loads go to the program's text
// table (settings/text_table.h), which the dialogs read as well.
#pragma once

#include <string>

#include "settings/language_catalogue.h"
#include "settings/settings.h"

namespace vandrel {

struct ProgramState {
  Settings settings;
  LanguageCatalogue languages;
  std::string programDirectory;        // ends in "/"
  std::string configurationDirectory;  // ends in "/"
  std::string preferencesDirectory;    // where the preferences were read and go back to
};

ProgramState& Program();

}  // namespace vandrel
