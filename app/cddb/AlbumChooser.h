// The chooser among several CDDB matches. `ListerAlbums` is its list logic (`init`):
// the lines of `chaine_albums` (the query reply without its status, trimmed) less the
// header and the "." terminator, each without its category and disc identifier. The
// dialog itself is behind `AlbumChooser`, which the lookup calls.
#pragma once

#include <string>
#include <vector>

namespace qm::cddb {

std::vector<std::u16string> ListerAlbums(const std::u16string& chaine_albums);

class AlbumChooser {
 public:
  virtual ~AlbumChooser() = default;
  // Shows the titles modally; the selected index once "Valider" was pressed, or -1
  // when the operator cancelled, closed the dialog or selected nothing.
  virtual int ChoisirAlbum(const std::vector<std::u16string>& titres) = 0;
};

}  // namespace qm::cddb
