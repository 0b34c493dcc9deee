#include "app/cddb/AlbumChooser.h"

#include "common/TextRules.h"

namespace qm::cddb {
namespace {

// Drops the text up to and including the first space, when there is one.
std::u16string_view AfterFirstSpace(std::u16string_view line) {
  const size_t space = line.find(u' ');
  return space == std::u16string_view::npos ? line : line.substr(space + 1);
}

}  // namespace

std::vector<std::u16string> ListerAlbums(const std::u16string& chaine_albums) {
  const std::vector<std::u16string> lines = SplitLines(chaine_albums);
  std::vector<std::u16string> titles;
  for (size_t i = 1; i + 1 < lines.size(); ++i) {
    // The category, then the disc identifier; a line without a space stays whole.
    titles.push_back(Trim(AfterFirstSpace(AfterFirstSpace(lines[i]))));
  }
  return titles;
}

}  // namespace qm::cddb
