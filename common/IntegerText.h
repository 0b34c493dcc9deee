// Reading whole numbers from text the way the program's settings and server replies
// write them: optional leading spaces, an optional sign, then decimal digits or a
// hexadecimal number introduced by "$" or "0x". Anything else, trailing characters
// included, and any value outside the 32-bit signed range, is not a number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

std::optional<int32_t> ParseInt32(std::string_view text);

// ParseInt32, or `fallback` when the text is not a number.
int32_t ParseInt32Or(std::string_view text, int32_t fallback);

// The error text shown for a text that should have been a whole number (UTF-8).
std::string NotAnIntegerMessage(std::string_view text);

}  // namespace qm
