// Text helpers of the pages: escaping for XML and HTML, the catalogue's
// Windows-1252 texts, and URL decoding.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qm::refserver {

// Escapes &, <, >, " and ' for XML and HTML text and attribute values; a
// control character other than tab, CR and LF becomes U+FFFD.
std::string EscapeMarkup(std::string_view utf8);

// Conversions between the catalogue's 8-bit texts (Windows-1252) and UTF-8.
std::string Windows1252ToUtf8(std::string_view bytes);
std::string Utf8ToWindows1252(std::string_view utf8);

// Decodes a URL-encoded value: "+" is a space and "%XX" a byte. nullopt when a
// "%" is not followed by two hexadecimal digits.
std::optional<std::string> UrlDecode(std::string_view encoded);

// Percent-encodes every byte but ASCII letters, digits and "-._~", for a
// value put into a URL.
std::string UrlEncode(std::string_view bytes);

// Removes leading and trailing characters whose code is 32 or less.
std::string_view TrimBlanks(std::string_view s);

}  // namespace qm::refserver
