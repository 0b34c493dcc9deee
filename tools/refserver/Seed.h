// The seed file: albums created when the data folder is new. UTF-8 text, one
// statement per line; blank lines and lines starting with "#" are ignored.
//
//   album <name>      starts a new album with that name
//   id <id_album>     its identifier, ASCII (default: the next free number)
//   barcode <code>    one of its barcodes (repeatable, in order)
//   track <title>     a track it already holds, numbered 1, 2, ... (repeatable)
//   available         it is already available
//
// Example:
//   album Les Quatre Saisons
//   barcode 3760123450012
//   track Le Printemps
#pragma once

#include <string_view>
#include <vector>

#include "tools/refserver/Catalogue.h"

namespace qm::refserver {

// Throws std::invalid_argument naming the faulty line.
std::vector<NewAlbum> ParseSeed(std::string_view text);

}  // namespace qm::refserver
