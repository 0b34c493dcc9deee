#include "tools/refserver/Seed.h"

#include <stdexcept>
#include <string>

#include "tools/refserver/Text.h"

namespace qm::refserver {

namespace {

[[noreturn]] void Fail(size_t line_number, const std::string& why) {
  throw std::invalid_argument("seed line " + std::to_string(line_number) + ": " + why);
}

void ApplyLine(std::string_view line, size_t line_number, std::vector<NewAlbum>& albums) {
  const size_t space = line.find_first_of(" \t");
  const std::string_view keyword = line.substr(0, space);
  const std::string_view value =
      space == std::string_view::npos ? std::string_view() : TrimBlanks(line.substr(space));
  if (keyword == "album") {
    if (value.empty()) Fail(line_number, "album without a name");
    albums.push_back({});
    albums.back().nom_album = value;
    return;
  }
  if (albums.empty()) Fail(line_number, "\"" + std::string(keyword) + "\" before any album");
  NewAlbum& album = albums.back();
  if (keyword == "available" && value.empty()) album.disponible = true;
  else if (keyword == "id" && !value.empty()) album.id_album = value;
  else if (keyword == "barcode" && !value.empty()) album.codes_barres.emplace_back(value);
  else if (keyword == "track" && !value.empty()) album.pistes.emplace_back(value);
  else Fail(line_number, "cannot read \"" + std::string(line) + "\"");
}

}  // namespace

std::vector<NewAlbum> ParseSeed(std::string_view text) {
  std::vector<NewAlbum> albums;
  size_t line_number = 0;
  while (!text.empty()) {
    const size_t end = text.find('\n');
    const std::string_view line = TrimBlanks(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    ++line_number;
    if (line.empty() || line.front() == '#') continue;
    ApplyLine(line, line_number, albums);
  }
  return albums;
}

}  // namespace qm::refserver
