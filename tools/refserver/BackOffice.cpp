#include "tools/refserver/BackOffice.h"

#include <sstream>

#include "tools/refserver/Reply.h"
#include "tools/refserver/Text.h"

namespace qm::refserver {

namespace {

constexpr const char* kHead = R"(<!DOCTYPE html>
<html lang="fr">
<head>
<meta charset="utf-8">
<title>Quavermill - albums</title>
<style>
body { font-family: sans-serif; margin: 2em; }
table { border-collapse: collapse; }
th, td { border: 1px solid #999; padding: .3em .6em; vertical-align: top; text-align: left; }
.message { color: #060; }
.erreur { color: #a00; }
</style>
</head>
<body>
<h1>Albums du catalogue</h1>
)";

std::string Paragraph(const char* css_class, const std::string& utf8) {
  return std::string("<p class=\"") + css_class + "\">" + EscapeMarkup(utf8) + "</p>\n";
}

std::string AlbumRow(const AlbumRecord& a) {
  std::string row = "<tr><td>" + EscapeMarkup(a.id_album) + "</td><td>" +
                    EscapeMarkup(a.nom_album) + "</td><td>";
  for (size_t i = 0; i < a.codes_barres.size(); ++i)
    row += (i ? "<br>" : "") + EscapeMarkup(a.codes_barres[i]);
  row += std::string("</td><td>") + (a.disponible ? "oui" : "non") + "</td><td>";
  if (a.pistes.empty()) row += "aucune";
  else row += "<ol>";
  for (const Track& t : a.pistes)
    row += "<li value=\"" + std::to_string(t.num_piste) + "\">" + EscapeMarkup(t.titre) +
           (t.fichier.empty() ? " (sans fichier)" : "") + "</li>";
  if (!a.pistes.empty()) row += "</ol>";
  row += "</td><td>";
  if (a.jaquette.empty()) {
    row += "aucune";
  } else {
    const std::string href = "jaquette.php?id_album=" + UrlEncode(a.id_album);
    row += "<a href=\"" + EscapeMarkup(href) + "\"><img src=\"" + EscapeMarkup(href) +
           "\" width=\"80\" alt=\"Jaquette\"></a>";
  }
  return row + "</td></tr>\n";
}

std::string AlbumTable(const std::vector<AlbumRecord>& albums) {
  if (albums.empty()) return "<p>Aucun album.</p>\n";
  std::string table =
      "<table>\n<thead><tr><th>Identifiant</th><th>Nom</th><th>Codes-barres</th>"
      "<th>Disponible</th><th>Pistes</th><th>Jaquette</th></tr></thead>\n<tbody>\n";
  for (const AlbumRecord& a : albums) table += AlbumRow(a);
  return table + "</tbody>\n</table>\n";
}

std::string CreationForm(const std::string& nom, const std::string& codes) {
  return R"(<h2>Créer un album</h2>
<form method="post" action="audio_edit_album.php" accept-charset="UTF-8">
<p><label for="nom_album">Nom de l'album</label><br>
<input id="nom_album" name="nom_album" required maxlength="1000" size="60" value=")" +
         EscapeMarkup(nom) + R"("></p>
<p><label for="codes_barres">Codes-barres, un par ligne</label><br>
<textarea id="codes_barres" name="codes_barres" rows="4" cols="30">)" +
         EscapeMarkup(codes) + R"(</textarea></p>
<p><button type="submit">Créer l'album</button></p>
</form>
)";
}

std::string Page(const Catalogue& catalogue, const std::string& notice, const std::string& nom,
                 const std::string& codes) {
  return kHead + notice + AlbumTable(catalogue.AllAlbums()) + CreationForm(nom, codes) +
         "</body>\n</html>\n";
}

std::vector<std::string> BarcodeLines(std::string_view text) {
  std::vector<std::string> codes;
  std::istringstream in{std::string(text)};
  for (std::string line; std::getline(in, line);)
    if (const std::string_view code = TrimBlanks(line); !code.empty()) codes.emplace_back(code);
  return codes;
}

void CreateAlbum(const httplib::Request& req, httplib::Response& res, Catalogue& catalogue) {
  const std::string nom(TrimBlanks(req.get_param_value("nom_album")));
  const std::string codes = req.get_param_value("codes_barres");
  try {
    const std::string id = catalogue.CreateAlbum({.nom_album = nom, .codes_barres = BarcodeLines(codes)});
    res.status = 303;
    res.set_header("Location", "audio_edit_album.php?cree=" + UrlEncode(id));
  } catch (const Refusal& e) {
    ReplyUtf8(res, Page(catalogue, Paragraph("erreur", e.what()), nom, codes), "text/html", 400);
  }
}

}  // namespace

void ServeAlbumEditor(const httplib::Request& req, httplib::Response& res, Catalogue& catalogue) {
  if (req.method == "POST") return CreateAlbum(req, res, catalogue);
  std::string notice;
  if (req.has_param("cree"))
    notice = Paragraph("message", "Album créé, identifiant " + req.get_param_value("cree") + ".");
  ReplyUtf8(res, Page(catalogue, notice, "", ""), "text/html");
}

void ServeCover(const httplib::Request& req, httplib::Response& res, const Catalogue& catalogue,
                const FileStore& files) {
  const std::string stored = catalogue.CoverOf(req.get_param_value("id_album"));
  if (stored.empty()) return ReplyUtf8(res, "Pas de jaquette\n", "text/plain", 404);
  ReplyFile(res, files.Absolute(stored), MediaTypeOf(stored));
}

}  // namespace qm::refserver
