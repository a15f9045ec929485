// The single instance of the window program's records.
#include "app/program_state.h"

namespace vandrel {

ProgramState& Program() {
  static ProgramState state;
  return state;
}

}  // namespace vandrel
