// The catalogue page "/application/ripper/audio_fonction_ripper.php" and its
// operations, chosen by the parameter "op":
//   trouver_album&nom=N        albums whose name matches N (URL-encoded Windows-1252)
//   trouver_codeBarre&idAlbum=I  the barcodes of album I
//   rendre_dispo_album&idAlbum=I marks album I available; answers "1"
// Lists are XML documents in UTF-8; an unknown album gives an empty list. Other
// parameters ("rand") are ignored. An unknown operation or album is answered
// with an error text and status 200, as a PHP page would, so that a client
// never retries it.
#pragma once

#include <httplib.h>

#include "tools/refserver/Catalogue.h"

namespace qm::refserver {

void ServeCatalogueQuery(const httplib::Request& req, httplib::Response& res,
                         Catalogue& catalogue);

}  // namespace qm::refserver
