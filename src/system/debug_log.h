// A maintainer's trace on standard error, on only when VANDREL_DEBUG=1 is
// set: why a row failed, why a file was not written, why a language was
// skipped. Users never see it otherwise; nothing depends on its text.
#pragma once

#include <string_view>

namespace vandrel {

// Whether VANDREL_DEBUG=1 was set when the program started.
bool DebugLogEnabled();

// Writes "vandrel: <topic>: <message>" and a line feed to standard error in
// one write, so lines from several threads never interleave. Does nothing
// when the log is off. May run on any thread.
void DebugLog(std::string_view topic, std::string_view message);

}  // namespace vandrel
