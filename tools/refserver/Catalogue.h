// The catalogue: albums with their identifier, name, barcodes, availability,
// tracks and cover, kept in SQLite in the data folder ("catalogue.sqlite3") so
// that they survive a restart. Every method is safe to call from any thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "tools/refserver/FileStore.h"
#include "tools/refserver/Sqlite.h"

namespace qm::refserver {

struct NewAlbum {
  std::string id_album{};  // empty: the next free number is given
  std::string nom_album{};
  std::vector<std::string> codes_barres{};
  std::vector<std::string> pistes{};  // titles of tracks the album already holds, without files
  bool disponible = false;
};

struct AlbumSummary {
  std::string id_album;
  std::string nom_album;
  int nb_piste = 0;
};

struct Track {
  int num_piste = 0;
  std::string titre;
  std::string fichier;  // relative to the data folder; empty when the album came with it
};

struct AlbumRecord {
  int64_t cle = 0;  // internal key, names the album's folder
  std::string id_album;
  std::string nom_album;
  bool disponible = false;
  std::vector<std::string> codes_barres;
  std::vector<Track> pistes;
  std::string jaquette;  // relative path of the cover, empty when there is none
};

// A request the catalogue refuses (bad or duplicate values); its text is French,
// for the person or program that sent it.
class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Catalogue {
 public:
  // Bounds of the stored texts, in UTF-8 bytes.
  static constexpr size_t kMaxIdBytes = 64;
  static constexpr size_t kMaxNameBytes = 1000;  // album names and track titles

  // Opens the catalogue of the data folder, creating it when it does not exist.
  Catalogue(const std::filesystem::path& data_dir, const FileStore& files);

  // True when this start created the catalogue (so a seed applies).
  bool is_new() const { return is_new_; }

  std::string CreateAlbum(const NewAlbum& album);  // returns the id_album; throws Refusal
  void CreateAlbums(const std::vector<NewAlbum>& albums);  // all or none

  std::vector<AlbumSummary> FindByName(std::string_view query) const;
  std::vector<std::string> Barcodes(std::string_view id_album) const;
  bool MakeAvailable(std::string_view id_album);
  std::optional<int64_t> KeyOf(std::string_view id_album) const;
  std::vector<AlbumRecord> AllAlbums() const;
  std::string CoverOf(std::string_view id_album) const;  // relative path, empty when none

  // Records a staged upload as track num_piste of the album (replacing an
  // earlier upload of that number) or as its cover. Either the record and the
  // file are both stored, or neither is.
  void AddTrack(int64_t cle, int num_piste, std::string_view titre, FileStore::Staged& file,
                std::string_view extension);
  void SetCover(int64_t cle, FileStore::Staged& file, std::string_view extension);

 private:
  std::string InsertAlbum(const NewAlbum& album);
  std::optional<int64_t> FindKey(std::string_view id_album) const;
  // Stores a staged file, runs `record` with its relative path inside one
  // transaction, and removes the file it replaces (named by `previous`).
  template <typename Record>
  void StoreFile(int64_t cle, FileStore::Staged& file, std::string_view stem,
                 std::string_view extension, const std::string& previous, Record record);

  const FileStore& files_;
  mutable std::mutex mutex_;
  mutable sql::Database db_;
  bool is_new_ = false;
};

}  // namespace qm::refserver
