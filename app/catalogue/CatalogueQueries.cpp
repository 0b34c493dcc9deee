#include "app/catalogue/CatalogueQueries.h"

#include "app/catalogue/CatalogueReplies.h"
#include "app/catalogue/WireText.h"
#include "common/TextCodec.h"

namespace qm::catalogue {
namespace {

bool IsValidIndex(int index, const TabAlbumQM& albums) {
  return index >= 0 && static_cast<size_t>(index) < albums.size();
}

}  // namespace

CatalogueQueries::CatalogueQueries(Transport& transport, std::string var_url_serveur)
    : transport_(transport), var_url_serveur_(std::move(var_url_serveur)) {}

std::string CatalogueQueries::OperationUrl(const char* operation) const {
  return var_url_serveur_ +
         "/application/ripper/audio_fonction_ripper.php?op=" + encoder_url(operation);
}

void CatalogueQueries::rechercher_album_serveur(const std::u16string& nom,
                                                TabAlbumQM& tableau_album, SearchControls& controls,
                                                MessageBoxes& messages) {
  tableau_album.clear();
  const std::u16string reply = transport_.requete_serveur(
      OperationUrl("trouver_album") + "&nom=" + encoder_url(text::EncodeWindows1252(nom)));
  tableau_album = ParseAlbumList(reply);
  if (!tableau_album.empty()) return;
  if (!controls.SearchedName().empty()) messages.ShowMessage(kNoAlbumMessage);
  controls.SetRipButtonEnabled(false);
}

std::vector<std::u16string> CatalogueQueries::trouver_codes_barres(const std::u16string& id_album) {
  return ParseBarcodeList(transport_.requete_serveur(
      OperationUrl("trouver_codeBarre") + "&idAlbum=" + text::EncodeWindows1252(id_album)));
}

void CatalogueQueries::ComboBoxEx_liste_albumChange(const TabAlbumQM& tableau_album,
                                                    AlbumChoiceControls& controls) {
  const int chosen = controls.SelectedAlbumIndex();
  if (!IsValidIndex(chosen, tableau_album)) return;
  // Copied: the window may run another search while this query waits.
  const std::u16string id_album = tableau_album[static_cast<size_t>(chosen)].id_album;
  controls.SetBarcodes(trouver_codes_barres(id_album));
  const int selected_now = controls.SelectedAlbumIndex();
  if (IsValidIndex(selected_now, tableau_album)) {
    controls.SetCoverSearchText(tableau_album[static_cast<size_t>(selected_now)].nom_album);
  }
}

void CatalogueQueries::rendre_album_disponible(const std::u16string& id_album) {
  transport_.requete_serveur(OperationUrl("rendre_dispo_album") +
                             "&idAlbum=" + encoder_url(text::EncodeWindows1252(id_album)));
}

std::string CatalogueQueries::UrlCreerNouvelAlbum() const {
  return var_url_serveur_ + "/quavermill_backoffice/audio_edit_album.php";
}

}  // namespace qm::catalogue
