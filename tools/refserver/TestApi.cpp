#include "tools/refserver/TestApi.h"

#include <charconv>

#include "tools/refserver/Reply.h"
#include "tools/refserver/Text.h"

namespace qm::refserver {

namespace {

// A count parameter: -1 when absent; throws Refusal when it is not a count.
int CountParam(const httplib::Request& req, const char* name) {
  if (!req.has_param(name)) return -1;
  const std::string value = req.get_param_value(name);
  int n = -1;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), n);
  if (error != std::errc() || end != value.data() + value.size() || n < 0)
    throw Refusal(std::string(name) + " must be a whole number, 0 or more");
  return n;
}

void ServeFaults(const httplib::Request& req, httplib::Response& res, Faults& faults) {
  faults.Set(CountParam(req, "fail"), CountParam(req, "drop"));
  ReplyUtf8(res,
            "fail=" + std::to_string(faults.pending_failures()) +
                " drop=" + std::to_string(faults.pending_drops()) + "\n",
            "text/plain");
}

std::string Attribute(std::string_view name, std::string_view value) {
  return " " + std::string(name) + "=\"" + EscapeMarkup(value) + "\"";
}

std::string CatalogueXml(const Catalogue& catalogue) {
  std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<albums>\n";
  for (const AlbumRecord& a : catalogue.AllAlbums()) {
    xml += "<album" + Attribute("cle", std::to_string(a.cle)) + Attribute("id_album", a.id_album) +
           Attribute("disponible", a.disponible ? "1" : "0") + Attribute("jaquette", a.jaquette) +
           ">\n<nom_album>" + EscapeMarkup(a.nom_album) + "</nom_album>\n";
    for (const std::string& code : a.codes_barres)
      xml += "<code_barre>" + EscapeMarkup(code) + "</code_barre>\n";
    for (const Track& t : a.pistes)
      xml += "<piste" + Attribute("num_piste", std::to_string(t.num_piste)) +
             Attribute("fichier", t.fichier) + ">" + EscapeMarkup(t.titre) + "</piste>\n";
    xml += "</album>\n";
  }
  return xml + "</albums>\n";
}

}  // namespace

void ServeTestApi(const httplib::Request& req, httplib::Response& res, Faults& faults,
                  RequestLog& log, const Catalogue& catalogue) {
  const std::string_view what = std::string_view(req.path).substr(kTestPathPrefix.size());
  const bool get = req.method == "GET";
  if (what == "faults" && get) {
    try {
      ServeFaults(req, res, faults);
    } catch (const Refusal& e) {
      ReplyUtf8(res, std::string(e.what()) + "\n", "text/plain", 400);
    }
  } else if (what == "requests" && get) {
    res.set_content(log.Serialise(), "application/octet-stream");
  } else if (what == "requests" && req.method == "DELETE") {
    log.Clear();
    res.status = 204;
  } else if (what == "albums" && get) {
    ReplyUtf8(res, CatalogueXml(catalogue), "text/xml");
  } else {
    ReplyUtf8(res, "Unknown test path\n", "text/plain", 404);
  }
}

}  // namespace qm::refserver
