// The single instance of the program's global records.
#include "settings/program.h"

namespace vandrel {

ProgramState& Program() {
  static ProgramState state;
  return state;
}

const std::string& T(const std::string& key) { return Program().texts.text(key); }

}  // namespace vandrel
