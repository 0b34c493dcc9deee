// Text on the wire: the URL encoding of 8-bit text and the decoding of reply bodies.
#pragma once

#include <string>
#include <string_view>

namespace qm::catalogue {

// URL-encodes 8-bit text (already converted to Windows-1252 by the caller): letters,
// digits and ! $ ' ( ) * - . @ _ stay, a space becomes "+", every other byte becomes
// "%" and two upper-case hexadecimal digits. Stops at a zero byte.
std::string encoder_url(std::string_view bytes);

// A reply body read as Windows-1252, one character per byte.
std::u16string flux_vers_chaine(std::string_view body);

// A reply body read as UTF-8; malformed sequences become U+FFFD.
std::u16string flux_utf8_vers_chaine(std::string_view body);

}  // namespace qm::catalogue
