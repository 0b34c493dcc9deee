// The upload pages, which take a multipart/form-data POST:
//   "/application/ripper/audio_fonction_ripper_upl.php": fields "id_album",
//     "num_piste" (1 to 999), "filename" (the track title, URL-encoded
//     Windows-1252) and the file field "file"; the file becomes that track of the
//     album, replacing an earlier upload of the same number;
//   "/application/ripper/audio_fonction_ripper_jaquette_upl.php": "id_album" and
//     the file field "file"; the file becomes the album's cover.
// A "method" field is accepted and ignored. The answer is "1" once the file and
// its record are stored; a malformed body or an unknown album is answered with
// an error text (status 200, Windows-1252) and nothing is stored.
#pragma once

#include <httplib.h>

#include "tools/refserver/Catalogue.h"
#include "tools/refserver/FileStore.h"

namespace qm::refserver {

void ServeTrackUpload(const httplib::Request& req, httplib::Response& res, Catalogue& catalogue,
                      const FileStore& files);
void ServeCoverUpload(const httplib::Request& req, httplib::Response& res, Catalogue& catalogue,
                      const FileStore& files);

}  // namespace qm::refserver
