#include "app/cddb/CddbLookup.h"

#include <algorithm>

#include "app/cddb/XmcdEntry.h"
#include "common/IniFile.h"
#include "common/IntegerText.h"
#include "common/TextCodec.h"
#include "common/TextRules.h"

namespace qm::cddb {
namespace {

// The word of `line` that ends at its `index`-th space (0: the category, 1: the disc
// identifier); empty when the line has too few spaces before it.
std::u16string_view Word(std::u16string_view line, int index) {
  size_t start = 0;
  for (int i = 0; i < index; ++i) {
    const size_t space = line.find(u' ', start);
    if (space == std::u16string_view::npos) return {};
    start = space + 1;
  }
  const size_t end = line.find(u' ', start);
  if (end == std::u16string_view::npos)
    return index == 0 ? std::u16string_view() : line.substr(start);
  return line.substr(start, end - start);
}

// The status: the reply's first three characters as a whole number.
int32_t StatusOf(const std::u16string& reply) {
  const std::u16string first = reply.substr(0, 3);
  bool ascii = true;
  for (const char16_t c : first) ascii = ascii && c < 0x80;
  const std::optional<int32_t> status =
      ascii ? ParseInt32(std::string(first.begin(), first.end())) : std::nullopt;
  if (!status) {
    throw CddbReplyError(NotAnIntegerMessage(text::EncodeUtf8(first)));
  }
  return *status;
}

}  // namespace

CddbServers LireServeursCddb(const std::filesystem::path& config_ini) {
  const IniFile ini = IniFile::Load(config_ini);
  return {ini.ReadString("Param", "serveur_freedb", "http://gnudb.gnudb.org"),
          ini.ReadString("Param", "serveur_musicbrainz", "freedb.musicbrainz.org:80")};
}

std::string CddbUrl(const std::string& base, const std::string& command) {
  return base + "/~cddb/cddb.cgi?cmd=" + command + "&hello=" + kHello + "&proto=6";
}

CddbLookup::CddbLookup(catalogue::Transport& transport, AlbumChooser& chooser,
                       catalogue::MessageBoxes& messages)
    : transport_(transport), chooser_(chooser), messages_(messages) {}

std::u16string CddbLookup::Ask(const std::string& base, const std::string& command) {
  const std::string url = CddbUrl(base, command);
  transport_.Log().ajouter_log(u"Requete : " + text::DecodeWindows1252(url));
  const std::u16string reply = transport_.requete_url(url);
  transport_.Log().ajouter_log(u"Retour : " + reply);
  return reply;
}

bool CddbLookup::rechercher_album_cddb(const std::string& identification, Album& album_en_cours) {
  std::string command = "cddb+query+" + identification;
  std::replace(command.begin(), command.end(), ' ', '+');
  const CddbServers servers = LireServeursCddb(transport_.ConfigIni());
  catalogue::Journal& log = transport_.Log();
  log.ajouter_log(u"Recherche sur freedb");
  if (traiter_reponse_cddb(Ask(servers.freedb, command), servers.freedb, album_en_cours)) {
    return true;
  }
  log.ajouter_log(u"Recherche sur musicbrainz");
  if (traiter_reponse_cddb(Ask(servers.musicbrainz, command), servers.musicbrainz,
                           album_en_cours)) {
    return true;
  }
  log.ajouter_log(u"Aucun autre moteur de recherche, impossible de trouver le nom des pistes.");
  messages_.ShowMessage(kNothingFoundMessage);
  return false;
}

bool CddbLookup::traiter_reponse_cddb(const std::u16string& reponse, const std::string& base,
                                      Album& album_en_cours) {
  const int32_t status = StatusOf(reponse);
  // A reply as short as "5" has a status and an empty remainder.
  const std::u16string remainder =
      Trim(std::u16string_view(reponse).substr(std::min<size_t>(3, reponse.size())));
  catalogue::Journal& log = transport_.Log();
  switch (status) {
    case 200:
      log.ajouter_log(u"Album trouvé");
      ReadEntry(base, remainder, album_en_cours);
      return true;
    case 202:
      log.ajouter_log(u"Aucun album ne correspond");
      return false;
    case 210:
    case 211: {
      log.ajouter_log(u"Plusieurs albums trouvés");
      const int chosen = chooser_.ChoisirAlbum(ListerAlbums(remainder));
      const std::vector<std::u16string> lines = SplitLines(remainder);
      if (chosen < 0 || static_cast<size_t>(chosen) + 1 >= lines.size()) return false;
      ReadEntry(base, lines[static_cast<size_t>(chosen) + 1], album_en_cours);
      return true;
    }
    default:
      log.ajouter_log(u"Serveur indisponible");
      return false;
  }
}

void CddbLookup::ReadEntry(const std::string& base, std::u16string_view line,
                           Album& album_en_cours) {
  const std::string command =
      "cddb+read+" + text::EncodeUtf8(Word(line, 0)) + "+" + text::EncodeUtf8(Word(line, 1)) + "+";
  analyser_fiche_cddb(Ask(base, command), album_en_cours, transport_.Log());
}

}  // namespace qm::cddb
