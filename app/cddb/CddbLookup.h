// The CDDB lookup of a disc: the "cddb query" on the freedb mirror and then, when
// that gives no entry, on the MusicBrainz gateway; several matches offered to the
// operator; the chosen entry read with "cddb read" on the server that answered and
// parsed into the album being processed. Every request and reply goes to the log.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "app/catalogue/Transport.h"
#include "app/catalogue/WindowPorts.h"
#include "app/cddb/Album.h"
#include "app/cddb/AlbumChooser.h"

namespace qm::cddb {

// A reply that does not begin with a three-digit status.
class CddbReplyError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The two servers' bases: "serveur_freedb" ("http://" + host) and
// "serveur_musicbrainz" (host + ":80"), section "Param" of config.ini.
struct CddbServers {
  std::string freedb;
  std::string musicbrainz;
};
CddbServers LireServeursCddb(const std::filesystem::path& config_ini);

inline constexpr char kHello[] = "quavermill+ripper+Quavermill+4.0";

// base + "/~cddb/cddb.cgi?cmd=" + command + "&hello=" + hello + "&proto=6".
std::string CddbUrl(const std::string& base, const std::string& command);

inline constexpr char16_t kNothingFoundMessage[] =
    u"Impossible de trouver des détails sur cet album.\r\n"
    u"Soit FreeDB et MusicBrainz ne le référencent pas, soit leurs serveurs sont actuellement "
    u"indisponibles\r\n"
    u"Vous pouvez réessayer en cliquant sur \"1> Scanner le CD\"\r\n"
    u"Ou remplir à la main la zone \"Nom de l'album trouvé...\" et cliquer sur le bouton "
    u"\"Rechercher à nouveau...\" \r\n"
    u"vous devrez donc saisir à la main le nom des pistes.";

class CddbLookup {
 public:
  CddbLookup(catalogue::Transport& transport, AlbumChooser& chooser,
             catalogue::MessageBoxes& messages);

  // The whole lookup of a disc identification (the CDDB query arguments separated by
  // spaces); true when an entry was read into `album_en_cours`. Throws CddbReplyError.
  bool rechercher_album_cddb(const std::string& identification, Album& album_en_cours);

  // Acts on one query reply of the server at `base`; true when it read an entry.
  bool traiter_reponse_cddb(const std::u16string& reponse, const std::string& base,
                            Album& album_en_cours);

 private:
  std::u16string Ask(const std::string& base, const std::string& command);
  void ReadEntry(const std::string& base, std::u16string_view line, Album& album_en_cours);

  catalogue::Transport& transport_;
  AlbumChooser& chooser_;
  catalogue::MessageBoxes& messages_;
};

}  // namespace qm::cddb
