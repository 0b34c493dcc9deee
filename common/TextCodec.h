// Conversions between UTF-16 text and the byte encodings the program meets:
// Windows-1252 (the 8-bit code page of the catalogue server and of ID3 encoding 0),
// US-ASCII (the 8-bit ID3 writers) and UTF-8.
//
// Substitution rule, the same for every encoder here: a character that the target
// encoding cannot hold becomes its base letter when it is an accented Latin letter
// (U+00C0..U+017F, e.g. "é" -> "e" in US-ASCII, "Ā" -> "A" in Windows-1252), and "?"
// otherwise. A surrogate pair counts as one character. Decoders never fail: an
// undecodable UTF-8 sequence becomes U+FFFD, a US-ASCII byte above 0x7F becomes "?".
#pragma once

#include <string>
#include <string_view>

namespace qm::text {

std::u16string DecodeWindows1252(std::string_view bytes);
std::string EncodeWindows1252(std::u16string_view text);

std::u16string DecodeUsAscii(std::string_view bytes);
std::string EncodeUsAscii(std::u16string_view text);

std::u16string DecodeUtf8(std::string_view bytes);
std::string EncodeUtf8(std::u16string_view text);

}  // namespace qm::text
