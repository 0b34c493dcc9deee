// The catalogue's albums as the program holds them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qm::catalogue {

// One catalogue album.
struct AlbumQM {
  std::u16string id_album;  // the server's identifier, sent back as it stands
  std::u16string nom_album;
  int32_t nb_piste = 0;  // tracks the album already holds; the send numbers after them
};

// The albums of one search, in the order of the server's reply.
using TabAlbumQM = std::vector<AlbumQM>;

}  // namespace qm::catalogue
