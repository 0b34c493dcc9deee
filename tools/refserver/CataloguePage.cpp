#include "tools/refserver/CataloguePage.h"

#include "tools/refserver/Reply.h"
#include "tools/refserver/Text.h"

namespace qm::refserver {

namespace {

constexpr const char* kXmlDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";

std::string Element(std::string_view name, std::string_view utf8) {
  return "<" + std::string(name) + ">" + EscapeMarkup(utf8) + "</" + std::string(name) + ">";
}

std::string AlbumListXml(const std::vector<AlbumSummary>& albums) {
  std::string xml = std::string(kXmlDeclaration) + "<albums>\n";
  for (const AlbumSummary& a : albums)
    xml += "<album>" + Element("id_album", a.id_album) + Element("nom_album", a.nom_album) +
           Element("nb_piste", std::to_string(a.nb_piste)) + "</album>\n";
  return xml + "</albums>\n";
}

std::string BarcodeListXml(const std::vector<std::string>& codes) {
  std::string xml = std::string(kXmlDeclaration) + "<codes_barres>\n";
  for (const std::string& code : codes) xml += "<code>" + Element("code_barre", code) + "</code>\n";
  return xml + "</codes_barres>\n";
}

// Query parameters arrive percent-decoded, as Windows-1252 bytes.
std::string Param(const httplib::Request& req, const char* name) {
  return Windows1252ToUtf8(req.get_param_value(name));
}

}  // namespace

void ServeCatalogueQuery(const httplib::Request& req, httplib::Response& res,
                         Catalogue& catalogue) {
  const std::string op = req.get_param_value("op");
  if (op == "trouver_album") {
    ReplyUtf8(res, AlbumListXml(catalogue.FindByName(Param(req, "nom"))), "text/xml");
  } else if (op == "trouver_codeBarre") {
    ReplyUtf8(res, BarcodeListXml(catalogue.Barcodes(Param(req, "idAlbum"))), "text/xml");
  } else if (op == "rendre_dispo_album") {
    const std::string id = Param(req, "idAlbum");
    ReplyCatalogueText(res, catalogue.MakeAvailable(id) ? "1" : "Album inconnu : " + id);
  } else {
    ReplyCatalogueText(res, "Opération inconnue : " + Windows1252ToUtf8(op));
  }
}

}  // namespace qm::refserver
