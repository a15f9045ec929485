// How vandrelsum talks on stderr: one-line errors in coreutils' shape
// ("vandrelsum: name: reason") with names quoted the way a shell would
// need them, so an odd name never breaks the line it sits in.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::sum {

inline constexpr std::string_view kProgramName = "vandrelsum";

// `name` as is when it holds only harmless characters, else in single
// quotes, with control and non-UTF-8 bytes written as $'\ooo' pieces.
std::string QuoteName(std::string_view name);

// Prints "vandrelsum: text" and a line feed on stderr.
void Complain(std::string_view text);

// Prints "vandrelsum: NAME: strerror(error)" on stderr.
void ComplainAbout(std::string_view name, int error);

}  // namespace vandrel::sum
