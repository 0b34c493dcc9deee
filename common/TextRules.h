// The program's text rules: trimming removes leading and trailing characters whose
// code is 32 or less; splitting into lines cuts at CR LF, CR or LF, and a line break
// at the very end starts no further line; case folding of 8-bit text touches the
// ASCII letters only, whatever the locale, so UTF-8 and Windows-1252 bytes pass unchanged.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

std::u16string Trim(std::u16string_view text);

std::vector<std::u16string> SplitLines(std::u16string_view text);

std::string AsciiUpper(std::string_view text);
std::string AsciiLower(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace qm
