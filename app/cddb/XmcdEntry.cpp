#include "app/cddb/XmcdEntry.h"

#include <optional>

#include "common/TextCodec.h"
#include "common/TextRules.h"

namespace qm::cddb {
namespace {

// The value that starts at `text`: up to its first line break, else to the end.
std::u16string_view ValueAt(std::u16string_view text) {
  return text.substr(0, text.find_first_of(u"\r\n"));
}

// The value of the first occurrence of `key` in `entry`.
std::optional<std::u16string_view> FindValue(std::u16string_view entry, std::u16string_view key) {
  const size_t at = entry.find(key);
  if (at == std::u16string_view::npos) return std::nullopt;
  return ValueAt(entry.substr(at + key.size()));
}

std::u16string TitleKey(int track) {
  return u"TTITLE" + text::DecodeUsAscii(std::to_string(track)) + u"=";
}

void ReadTitles(std::u16string_view rest, Album& album) {
  for (int i = 0; i < kMaxTitles; ++i) {
    const std::u16string key = TitleKey(i);
    const size_t at = rest.find(key);
    if (at == std::u16string_view::npos) return;
    rest.remove_prefix(at + key.size());
    album.liste_pistes.push_back(Trim(ValueAt(rest)));
  }
}

void ReadArtistAndAlbum(std::u16string_view value, Album& album) {
  const size_t slash = value.find(u'/');
  if (slash == std::u16string_view::npos) {
    album.artiste.clear();
    album.nom_album = std::u16string(value);
    return;
  }
  album.artiste = Trim(value.substr(0, slash));
  album.nom_album = Trim(value.substr(slash + 1));
}

void LogAlbum(const Album& album, catalogue::Journal& journal) {
  journal.ajouter_log(u"Genre :" + album.genre);
  journal.ajouter_log(u"Nom artiste :" + album.artiste);
  journal.ajouter_log(u"Nom album :" + album.nom_album);
  journal.ajouter_log(u"Année:" + album.date_edition);
  std::u16string titles = u"\r\n";
  for (const std::u16string& title : album.liste_pistes) titles += title + u"\r\n";
  journal.ajouter_log(titles);
}

}  // namespace

void analyser_fiche_cddb(const std::u16string& entry, Album& album, catalogue::Journal& journal) {
  ReadTitles(entry, album);
  if (const auto genre = FindValue(entry, u"DGENRE=")) album.genre = Trim(*genre);
  if (const auto title = FindValue(entry, u"DTITLE=")) ReadArtistAndAlbum(*title, album);
  if (const auto year = FindValue(entry, u"DYEAR=")) album.date_edition = Trim(*year);
  album.compositeur.clear();
  LogAlbum(album, journal);
}

}  // namespace qm::cddb
