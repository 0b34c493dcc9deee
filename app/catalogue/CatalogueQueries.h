// The program's queries to the catalogue server's page "audio_fonction_ripper.php":
// album search, an album's barcodes, making an album available; and the address of
// the back office's album editor.
#pragma once

#include <string>
#include <vector>

#include "app/catalogue/AlbumQM.h"
#include "app/catalogue/Transport.h"
#include "app/catalogue/WindowPorts.h"

namespace qm::catalogue {

class CatalogueQueries {
 public:
  // `var_url_serveur`: the configured base URL, "http://" included, no trailing "/".
  CatalogueQueries(Transport& transport, std::string var_url_serveur);

  // Replaces `tableau_album` (emptied first) with the albums whose name matches `nom`.
  // When none matches: a message if the searched-name field is not empty, and the rip
  // button is disabled. Throws CatalogueReplyError for a reply that is not XML.
  void rechercher_album_serveur(const std::u16string& nom, TabAlbumQM& tableau_album,
                                SearchControls& controls, MessageBoxes& messages);

  // The barcodes of an album (its identifier is sent as stored, unencoded).
  std::vector<std::u16string> trouver_codes_barres(const std::u16string& id_album);

  // The choice of an album in the combo box: its barcodes fill the barcode list and
  // the name of the album selected once they came becomes the cover search text.
  // Nothing happens when no album of `tableau_album` is selected.
  void ComboBoxEx_liste_albumChange(const TabAlbumQM& tableau_album, AlbumChoiceControls& controls);

  // Tells the server the album's tracks are all sent; returns once it answered.
  void rendre_album_disponible(const std::u16string& id_album);

  // The back office's album editor, opened in the operator's browser.
  std::string UrlCreerNouvelAlbum() const;

 private:
  std::string OperationUrl(const char* operation) const;

  Transport& transport_;
  std::string var_url_serveur_;
};

inline constexpr char16_t kNoAlbumMessage[] =
    u"Aucun album ne correspond dans Quavermill, vous devez tout d'abort créer l'album dans le "
    u"backoffice.\r\n"
    u"Via un import de notices UNIMARC ou via une création manuelle.\r\n"
    u"Cliquez sur le bouton du ripper \"Créer un nouvel album\"";

}  // namespace qm::catalogue
