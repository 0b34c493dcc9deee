// `analyser_fiche_cddb`: reads an xmcd entry (the reply to a CDDB "read") into the
// album being processed. Titles come from TTITLE0, TTITLE1, ... up to the first
// missing number (at most 999), each from its first line only; the artist and album
// from DTITLE ("artist / album"), the genre from DGENRE, the year from DYEAR. A key
// the entry lacks leaves its field as it was; the composer is always emptied.
#pragma once

#include <string>

#include "app/catalogue/WindowPorts.h"
#include "app/cddb/Album.h"

namespace qm::cddb {

inline constexpr int kMaxTitles = 999;

void analyser_fiche_cddb(const std::u16string& entry, Album& album, catalogue::Journal& journal);

}  // namespace qm::cddb
