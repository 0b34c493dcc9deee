// `Album`: the album being processed (the main window's `album_en_cours`).
#pragma once

#include <string>
#include <vector>

namespace qm::cddb {

struct Album {
  std::vector<std::u16string> liste_pistes;  // track titles in disc order; entry 0 is track 1
  std::vector<std::u16string> liste_fichier_pistes;  // full path of each ripped track file
  std::u16string genre;
  std::u16string artiste;
  std::u16string nom_album;
  std::u16string date_edition;  // the year, as text
  std::u16string compositeur;
};

}  // namespace qm::cddb
