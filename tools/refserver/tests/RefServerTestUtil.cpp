#include "tools/refserver/tests/RefServerTestUtil.h"

#include <pugixml.hpp>

#include <stdexcept>

namespace qm::refserver::test {

std::string CatalogueUrl(const qm::test::RefServer& server, const std::string& query) {
  return server.BaseUrl() + "/application/ripper/audio_fonction_ripper.php?" + query;
}

std::string TrackUploadUrl(const qm::test::RefServer& server) {
  return server.BaseUrl() + "/application/ripper/audio_fonction_ripper_upl.php";
}

std::string CoverUploadUrl(const qm::test::RefServer& server) {
  return server.BaseUrl() + "/application/ripper/audio_fonction_ripper_jaquette_upl.php";
}

std::string MultipartBody(const std::vector<Field>& fields) {
  std::string body;
  for (const Field& f : fields) {
    body += std::string("--") + kBoundary + "\r\n";
    body += "Content-Disposition: form-data; name=\"" + f.name + "\"";
    if (f.filename) body += "; filename=\"" + *f.filename + "\"";
    body += "\r\nContent-Type: ";
    body += f.filename ? "multipart/form-data" : "text/plain";
    body += "\r\nContent-Transfer-Encoding: binary\r\n\r\n" + f.value + "\r\n";
  }
  return body + "--" + kBoundary + "--\r\n";
}

namespace {

pugi::xml_node Root(pugi::xml_document& doc, const std::string& xml) {
  if (!doc.load_buffer(xml.data(), xml.size()) || !doc.document_element())
    throw std::runtime_error("not an XML document: " + xml);
  return doc.document_element();
}

}  // namespace

std::vector<AlbumEntry> ParseAlbumList(const std::string& xml) {
  pugi::xml_document doc;
  std::vector<AlbumEntry> albums;
  for (pugi::xml_node record : Root(doc, xml).children())
    albums.push_back({record.child("id_album").text().get(), record.child("nom_album").text().get(),
                      record.child("nb_piste").text().get()});
  return albums;
}

std::vector<std::string> ParseBarcodeList(const std::string& xml) {
  pugi::xml_document doc;
  std::vector<std::string> codes;
  for (pugi::xml_node record : Root(doc, xml).children())
    codes.emplace_back(record.child("code_barre").text().get());
  return codes;
}

}  // namespace qm::refserver::test
