#include "tools/refserver/Site.h"

#include <sys/socket.h>

#include <cstdio>

#include "tools/refserver/BackOffice.h"
#include "tools/refserver/CataloguePage.h"
#include "tools/refserver/Reply.h"
#include "tools/refserver/Seed.h"
#include "tools/refserver/TestApi.h"
#include "tools/refserver/UpdateFolder.h"
#include "tools/refserver/UploadPages.h"

namespace qm::refserver {

namespace {

constexpr size_t kMaxSeedBytes = size_t{16} << 20;

std::string ReadSeed(const std::filesystem::path& file) {
  auto text = ReadBoundedFile(file, kMaxSeedBytes);
  if (!text) throw std::runtime_error("cannot read the seed file " + file.string());
  return std::move(*text);
}

bool IsTestPath(const std::string& path) { return path.starts_with(kTestPathPrefix); }

}  // namespace

Site::Site(const Options& options)
    : options_(options),
      files_(options.data_dir),
      catalogue_(options.data_dir, files_),
      cddb_(options.xmcd_dir) {
  if (catalogue_.is_new() && !options.seed_file.empty())
    catalogue_.CreateAlbums(ParseSeed(ReadSeed(options.seed_file)));
  faults_.Set(options.fail, options.drop);

  const std::string ripper = "/application/ripper/";
  pages_[{"GET", ripper + "audio_fonction_ripper.php"}] = [this](auto& req, auto& res) {
    ServeCatalogueQuery(req, res, catalogue_);
  };
  pages_[{"POST", ripper + "audio_fonction_ripper_upl.php"}] = [this](auto& req, auto& res) {
    ServeTrackUpload(req, res, catalogue_, files_);
  };
  pages_[{"POST", ripper + "audio_fonction_ripper_jaquette_upl.php"}] = [this](auto& req,
                                                                              auto& res) {
    ServeCoverUpload(req, res, catalogue_, files_);
  };
  const std::string backoffice = "/quavermill_backoffice/";
  const Page editor = [this](auto& req, auto& res) { ServeAlbumEditor(req, res, catalogue_); };
  pages_[{"GET", backoffice + "audio_edit_album.php"}] = editor;
  pages_[{"POST", backoffice + "audio_edit_album.php"}] = editor;
  pages_[{"GET", backoffice + "jaquette.php"}] = [this](auto& req, auto& res) {
    ServeCover(req, res, catalogue_, files_);
  };
  pages_[{"GET", "/~cddb/cddb.cgi"}] = [this](auto& req, auto& res) {
    ServeCddb(req, res, cddb_);
  };
}

void Site::Install(RawServer& server) {
  const auto handler = [this](const httplib::Request& req, httplib::Response& res) {
    Handle(req, res);
  };
  server.Get(".*", handler);
  server.Post(".*", handler);
  server.Delete(".*", handler);
  server.set_payload_max_length(options_.max_body);
  // SO_REUSEADDR only: the library would also set SO_REUSEPORT, which lets a
  // second server share a busy port instead of failing to start.
  server.set_socket_options([](socket_t sock) {
    const int yes = 1;
    setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  // Records each request before its reply leaves, so that a client that has its
  // reply always finds its request in the log.
  server.set_post_routing_handler([this](const httplib::Request& req, httplib::Response& res) {
    Record(req, res);
  });
}

void Site::Handle(const httplib::Request& req, httplib::Response& res) {
  // The library checks only an announced length; a chunked body or one that
  // ends with the connection is measured here.
  if (req.body.size() > options_.max_body)
    return ReplyUtf8(res, "Payload too large\n", "text/plain", 413);
  try {
    if (IsTestPath(req.path)) return ServeTestApi(req, res, faults_, log_, catalogue_);
    switch (faults_.Next()) {
      case Faults::Action::kDrop:
        RawServer::Current().drop = true;
        return;
      case Faults::Action::kFail:
        return ReplyUtf8(res, "Injected failure\n", "text/plain", 500);
      case Faults::Action::kServe:
        return ServePage(req, res);
    }
  } catch (const Refusal& e) {
    ReplyCatalogueText(res, e.what());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "qm_refserver: %s %s: %s\n", req.method.c_str(), req.target.c_str(),
                 e.what());
    ReplyCatalogueText(res, std::string("Erreur du serveur : ") + e.what(), 500);
  }
}

void Site::ServePage(const httplib::Request& req, httplib::Response& res) {
  const std::string method = req.method == "HEAD" ? "GET" : req.method;
  const auto page = pages_.find({method, req.path});
  if (page != pages_.end()) return page->second(req, res);
  if (method == "GET" && req.path.starts_with(kUpdatePathPrefix))
    return ServeUpdateFile(req, res, options_.updates_dir);
  for (const auto& [key, unused] : pages_)
    if (key.second == req.path) return ReplyUtf8(res, "Method not allowed\n", "text/plain", 405);
  ReplyUtf8(res, "Not found\n", "text/plain", 404);
}

void Site::Record(const httplib::Request& req, const httplib::Response& res) {
  if (IsTestPath(req.path)) return;
  LoggedRequest record;
  const RawServer::Exchange& exchange = RawServer::Current();
  record.status = exchange.drop ? 0 : res.status;
  record.method = req.method;
  record.target = req.target;
  record.version = req.version;
  for (const auto& [name, value] : exchange.headers) record.headers.emplace_back(name, value);
  std::fprintf(stderr, "qm_refserver: %s %s -> %d\n", req.method.c_str(), req.target.c_str(),
               record.status);
  log_.Add(std::move(record), req.body);
}

}  // namespace qm::refserver
