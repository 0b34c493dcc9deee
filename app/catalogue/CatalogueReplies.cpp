#include "app/catalogue/CatalogueReplies.h"

#include <pugixml.hpp>

#include "common/IntegerText.h"
#include "common/TextCodec.h"

namespace qm::catalogue {
namespace {

// The document's one element; anything else at the top level but blanks (comments
// and declarations are not kept) makes the reply unreadable.
pugi::xml_node SingleRootElement(const pugi::xml_document& doc) {
  pugi::xml_node root;
  for (const pugi::xml_node node : doc.children()) {
    if (node.type() == pugi::node_element && !root) {
      root = node;
    } else {
      throw CatalogueReplyError(
          "Réponse du serveur illisible (XML) : contenu hors de l'élément racine");
    }
  }
  if (!root) throw CatalogueReplyError("Réponse du serveur illisible (XML) : document vide");
  return root;
}

// Parses the reply and calls `on_record` with each child element of its root.
template <typename OnRecord>
void ForEachRecord(const std::u16string& reply, OnRecord&& on_record) {
  const std::string utf8 = text::EncodeUtf8(reply);
  pugi::xml_document doc;
  // Parsed as a fragment so that text around the root element is kept and can be
  // refused: pugixml otherwise drops it, and accepts several root elements, so that
  // a PHP warning printed before the document would read as an empty list.
  const pugi::xml_parse_result parsed = doc.load_buffer(
      utf8.data(), utf8.size(), pugi::parse_default | pugi::parse_fragment, pugi::encoding_utf8);
  if (!parsed) {
    throw CatalogueReplyError(
        "Réponse du serveur illisible (XML) : " + std::string(parsed.description()) +
        ", position " + std::to_string(parsed.offset));
  }
  const pugi::xml_node root = SingleRootElement(doc);
  for (const pugi::xml_node record : root.children()) {
    if (record.type() == pugi::node_element) on_record(record);
  }
}

// The text content of the named child: all its character data, nested elements
// included; empty when there is no such child.
std::u16string ChildText(const pugi::xml_node record, const char* name) {
  std::string out;
  struct Collector : pugi::xml_tree_walker {
    std::string* out;
    bool for_each(pugi::xml_node& node) override {
      if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
        out->append(node.value());
      }
      return true;
    }
  } collector;
  collector.out = &out;
  pugi::xml_node child = record.child(name);
  child.traverse(collector);
  return text::DecodeUtf8(out);
}

// The UTF-8 step: the Windows-1252 bytes of `text` decoded as UTF-8 (a lone byte
// above 127 becomes U+FFFD).
std::u16string RedecodeAsUtf8(const std::u16string& text) {
  return text::DecodeUtf8(text::EncodeWindows1252(text));
}

}  // namespace

TabAlbumQM ParseAlbumList(const std::u16string& reply) {
  TabAlbumQM albums;
  ForEachRecord(reply, [&](const pugi::xml_node record) {
    AlbumQM album;
    album.id_album = ChildText(record, "id_album");
    album.nom_album = RedecodeAsUtf8(ChildText(record, "nom_album"));
    album.nb_piste = ParseInt32Or(text::EncodeWindows1252(ChildText(record, "nb_piste")), 0);
    albums.push_back(std::move(album));
  });
  return albums;
}

std::vector<std::u16string> ParseBarcodeList(const std::u16string& reply) {
  std::vector<std::u16string> barcodes;
  ForEachRecord(reply, [&](const pugi::xml_node record) {
    barcodes.push_back(RedecodeAsUtf8(ChildText(record, "code_barre")));
  });
  return barcodes;
}

}  // namespace qm::catalogue
