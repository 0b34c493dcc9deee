// Reading the catalogue's XML replies. The reply text has already been decoded
// byte-per-character with Windows-1252, so an encoding declaration inside it has no
// effect. Each child element of the document element is one record, in document
// order; a record's fields are looked up by element name, a missing one reading as
// empty. The server writes names in UTF-8: the "UTF-8 step" turns such a text back
// into its bytes and decodes them as UTF-8.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "app/catalogue/AlbumQM.h"

namespace qm::catalogue {

// A reply that is not a well-formed XML document with a document element.
class CatalogueReplyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Records with `id_album`, `nom_album` (after the UTF-8 step) and `nb_piste` (0 when
// it is not a whole number).
TabAlbumQM ParseAlbumList(const std::u16string& reply);

// The `code_barre` of every record, after the UTF-8 step.
std::vector<std::u16string> ParseBarcodeList(const std::u16string& reply);

}  // namespace qm::catalogue
