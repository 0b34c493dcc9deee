// The back office, plain HTML pages for a person:
//   GET  /quavermill_backoffice/audio_edit_album.php   lists the albums (identifier,
//        name, barcodes, availability, tracks, cover) and offers the creation form
//   POST /quavermill_backoffice/audio_edit_album.php   creates an album from the
//        form fields "nom_album" and "codes_barres" (one per line), then sends the
//        browser back to the list (303), which names the new album
//   GET  /quavermill_backoffice/jaquette.php?id_album=I   the cover picture of album I
#pragma once

#include <httplib.h>

#include "tools/refserver/Catalogue.h"
#include "tools/refserver/FileStore.h"

namespace qm::refserver {

void ServeAlbumEditor(const httplib::Request& req, httplib::Response& res, Catalogue& catalogue);
void ServeCover(const httplib::Request& req, httplib::Response& res, const Catalogue& catalogue,
                const FileStore& files);

}  // namespace qm::refserver
