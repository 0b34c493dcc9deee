// Tolerant comparison of album names, as a catalogue search needs it: case and
// accents on Latin letters do not count, nor do runs of blanks.
#pragma once

#include <string>
#include <string_view>

namespace qm::refserver {

// The comparison form of a UTF-8 name: lower case, Latin letters without their
// accents ("É" -> "e"), ligatures spelled out ("Œ" -> "oe"), blanks trimmed and
// runs of them made one space.
std::u16string FoldName(std::string_view utf8);

// True when the folded query is not empty and occurs in the folded name.
bool NameMatches(std::u16string_view folded_name, std::u16string_view folded_query);

}  // namespace qm::refserver
