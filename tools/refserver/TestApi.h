// The test-only paths, which tests use to steer the server and read what it
// received. They are neither logged nor subject to fault injection.
//
//   GET    /__test/faults[?fail=N][&drop=N]  sets the pending faults (a missing
//          parameter leaves its count as it is); answers "fail=N drop=M" LF
//          with the counts now pending
//   GET    /__test/requests   the request log (format in RequestLog.h)
//   DELETE /__test/requests   empties the request log
//   GET    /__test/albums     the whole catalogue as XML:
//          <albums><album cle="K" id_album="I" disponible="0|1" jaquette="PATH">
//            <nom_album>N</nom_album><code_barre>C</code_barre>...
//            <piste num_piste="1" fichier="PATH">TITLE</piste>...
//          </album>...</albums>
//          where PATH is relative to the data folder (empty when there is no file)
#pragma once

#include <httplib.h>

#include "tools/refserver/Catalogue.h"
#include "tools/refserver/Faults.h"
#include "tools/refserver/RequestLog.h"

namespace qm::refserver {

inline constexpr std::string_view kTestPathPrefix = "/__test/";

void ServeTestApi(const httplib::Request& req, httplib::Response& res, Faults& faults,
                  RequestLog& log, const Catalogue& catalogue);

}  // namespace qm::refserver
