// Splits a command line into words by the rules of the Microsoft C runtime, which
// the encoder command-line templates were written for:
// - words are separated by spaces and tabs outside double quotes;
// - a double quote opens or closes a quoted part and is dropped; inside a quoted
//   part, two double quotes in a row give one literal double quote;
// - 2n backslashes before a double quote give n backslashes and the quote acts as
//   above; 2n+1 give n backslashes and a literal double quote;
// - other backslashes are literal;
// - the first word (the program) ends at the first space or tab outside quotes and
//   knows no escapes: its quotes are dropped, its backslashes kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm::audio {

std::vector<std::string> SplitWindowsCommandLine(std::string_view commandLine);

}  // namespace qm::audio
