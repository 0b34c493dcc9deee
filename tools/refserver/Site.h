// The whole reference server behind one cpp-httplib server: it routes every
// request to its page, applies the injected faults and keeps the request log.
//
// Pages:
//   GET  /application/ripper/audio_fonction_ripper.php          CataloguePage.h
//   POST /application/ripper/audio_fonction_ripper_upl.php      UploadPages.h
//   POST /application/ripper/audio_fonction_ripper_jaquette_upl.php
//   GET, POST /quavermill_backoffice/audio_edit_album.php       BackOffice.h
//   GET  /quavermill_backoffice/jaquette.php
//   GET  /~cddb/cddb.cgi                                        Cddb.h
//   GET  /up_qm/ripper/<file>                                   UpdateFolder.h
//   GET, DELETE /__test/...                                     TestApi.h
#pragma once

#include <functional>
#include <map>
#include <string>
#include <utility>

#include "tools/refserver/Catalogue.h"
#include "tools/refserver/Cddb.h"
#include "tools/refserver/Faults.h"
#include "tools/refserver/FileStore.h"
#include "tools/refserver/Options.h"
#include "tools/refserver/RawServer.h"
#include "tools/refserver/RequestLog.h"

namespace qm::refserver {

class Site {
 public:
  // Opens (or creates) the data folder and, when it is new, applies the seed.
  explicit Site(const Options& options);

  // Registers the site's handlers and its request log on the server.
  void Install(RawServer& server);

 private:
  using Page = std::function<void(const httplib::Request&, httplib::Response&)>;

  void Handle(const httplib::Request& req, httplib::Response& res);
  void ServePage(const httplib::Request& req, httplib::Response& res);
  void Record(const httplib::Request& req, const httplib::Response& res);

  Options options_;
  FileStore files_;
  Catalogue catalogue_;
  CddbFolder cddb_;
  Faults faults_;
  RequestLog log_;
  std::map<std::pair<std::string, std::string>, Page> pages_;  // (method, path)
};

}  // namespace qm::refserver
