// The program's two text rules: trimming removes leading and trailing characters
// whose code is 32 or less; splitting into lines cuts at CR LF, CR or LF, and a line
// break at the very end starts no further line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

std::u16string Trim(std::u16string_view text);

std::vector<std::u16string> SplitLines(std::u16string_view text);

}  // namespace qm
