// How vandrelsum talks on stderr: one-line errors in coreutils' shape
// ("vandrelsum: name: reason") with names quoted as coreutils quotes them,
// so an odd name never breaks the line it sits in and scripts that compare
// the two tools' messages see the same bytes.
#pragma once

#include <string>
#include <string_view>

namespace vandrel::sum {

inline constexpr std::string_view kProgramName = "vandrelsum";

// `name` as is when it holds only characters a shell takes literally; else
// in double quotes when that alone avoids escaping a single quote, else in
// single quotes with control bytes, bytes that are not text in the locale
// and unprintable characters written as $'\n' or $'\ooo' pieces.
std::string QuoteName(std::string_view name);

// How a list is named in messages: "standard input" for "-".
std::string ListName(const std::string& list);

// Prints "vandrelsum: text" and a line feed on stderr.
void Complain(std::string_view text);

// Prints "vandrelsum: NAME: strerror(error)" on stderr.
void ComplainAbout(std::string_view name, int error);

// Flushes standard output and gives the exit status: 1 when `ok` is false or
// a write failed, which is reported ("write error", with the reason only
// when the descriptor itself is at fault, as a closed stdout is).
int ConcludeOutput(bool ok);

// Closes standard input once it was read from, reporting a descriptor that
// was never open; false then.
bool CloseStandardInput();

}  // namespace vandrel::sum
