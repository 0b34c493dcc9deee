#include "tools/refserver/Catalogue.h"

#include "common/TextCodec.h"
#include "tools/refserver/NameMatch.h"

namespace qm::refserver {

namespace {

constexpr int kSchemaVersion = 1;

constexpr const char* kSchema = R"sql(
CREATE TABLE album (
  cle INTEGER PRIMARY KEY,
  id_album TEXT NOT NULL UNIQUE,
  nom_album TEXT NOT NULL,
  disponible INTEGER NOT NULL DEFAULT 0,
  jaquette TEXT
);
CREATE TABLE code_barre (
  album INTEGER NOT NULL REFERENCES album(cle),
  rang INTEGER NOT NULL,
  code_barre TEXT NOT NULL,
  PRIMARY KEY (album, rang)
);
CREATE TABLE piste (
  album INTEGER NOT NULL REFERENCES album(cle),
  num_piste INTEGER NOT NULL,
  titre TEXT NOT NULL,
  fichier TEXT,
  PRIMARY KEY (album, num_piste)
);
PRAGMA user_version = 1;
)sql";

constexpr size_t kMaxIdBytes = Catalogue::kMaxIdBytes;
constexpr size_t kMaxNameBytes = Catalogue::kMaxNameBytes;
constexpr size_t kMaxBarcodeBytes = 64;
constexpr size_t kMaxBarcodes = 100;
constexpr size_t kMaxTracks = 999;

// A value fit to be stored and shown: valid UTF-8, not empty, within its bound,
// and free of control characters and of U+FFFE and U+FFFF, which XML replies
// cannot carry.
void CheckText(std::string_view value, size_t max_bytes, const char* what) {
  if (value.empty()) throw Refusal(std::string(what) + " est vide");
  if (value.size() > max_bytes) throw Refusal(std::string(what) + " est trop long");
  const std::u16string decoded = text::DecodeUtf8(value);
  if (text::EncodeUtf8(decoded) != value)
    throw Refusal(std::string(what) + " n'est pas en UTF-8 valide");
  for (char16_t c : decoded)
    if (c < 0x20 || c == 0x7F || c == 0xFFFE || c == 0xFFFF)
      throw Refusal(std::string(what) + " contient un caractère interdit en XML");
}

// The program reads an identifier in its 8-bit code page and sends it back as
// it read it, so only an ASCII identifier finds its album again.
void CheckIdentifier(std::string_view id) {
  CheckText(id, kMaxIdBytes, "L'identifiant");
  for (unsigned char c : id)
    if (c > 0x7F) throw Refusal("L'identifiant " + std::string(id) + " n'est pas en ASCII");
}

void CheckAlbum(const NewAlbum& album) {
  if (!album.id_album.empty()) CheckIdentifier(album.id_album);
  CheckText(album.nom_album, kMaxNameBytes, "Le nom de l'album");
  if (album.codes_barres.size() > kMaxBarcodes) throw Refusal("Trop de codes-barres");
  for (const std::string& code : album.codes_barres)
    CheckText(code, kMaxBarcodeBytes, "Un code-barre");
  if (album.pistes.size() > kMaxTracks) throw Refusal("Trop de pistes");
  for (const std::string& titre : album.pistes) CheckText(titre, kMaxNameBytes, "Un titre");
}

}  // namespace

Catalogue::Catalogue(const std::filesystem::path& data_dir, const FileStore& files)
    : files_(files), db_(data_dir / "catalogue.sqlite3") {
  db_.Execute("PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON;");
  sql::Statement version(db_, "PRAGMA user_version");
  version.Step();
  const int64_t found = version.Int(0);
  if (found == 0) {
    sql::Transaction t(db_);
    db_.Execute(kSchema);
    t.Commit();
    is_new_ = true;
  } else if (found != kSchemaVersion) {
    throw std::runtime_error("catalogue.sqlite3 has an unknown schema version " +
                             std::to_string(found));
  }
}

std::string Catalogue::CreateAlbum(const NewAlbum& album) {
  CheckAlbum(album);
  std::lock_guard lock(mutex_);
  sql::Transaction t(db_);
  std::string id = InsertAlbum(album);
  t.Commit();
  return id;
}

void Catalogue::CreateAlbums(const std::vector<NewAlbum>& albums) {
  for (const NewAlbum& album : albums) CheckAlbum(album);
  std::lock_guard lock(mutex_);
  sql::Transaction t(db_);
  for (const NewAlbum& album : albums) InsertAlbum(album);
  t.Commit();
}

std::string Catalogue::InsertAlbum(const NewAlbum& album) {
  std::string id = album.id_album;
  if (id.empty()) {
    sql::Statement next(db_, "SELECT COALESCE(MAX(cle), 0) + 1 FROM album");
    next.Step();
    for (int64_t n = next.Int(0);; ++n) {
      id = std::to_string(n);
      if (!FindKey(id)) break;
    }
  } else if (FindKey(id)) {
    throw Refusal("L'identifiant " + id + " existe déjà");
  }
  sql::Statement insert(db_,
                        "INSERT INTO album (id_album, nom_album, disponible) VALUES (?, ?, ?)");
  insert.Bind(1, id).Bind(2, album.nom_album).Bind(3, int64_t{album.disponible}).Run();
  const int64_t cle = sqlite3_last_insert_rowid(db_.handle());
  for (size_t i = 0; i < album.codes_barres.size(); ++i) {
    sql::Statement code(db_, "INSERT INTO code_barre (album, rang, code_barre) VALUES (?, ?, ?)");
    code.Bind(1, cle).Bind(2, static_cast<int64_t>(i)).Bind(3, album.codes_barres[i]).Run();
  }
  for (size_t i = 0; i < album.pistes.size(); ++i) {
    sql::Statement piste(db_, "INSERT INTO piste (album, num_piste, titre) VALUES (?, ?, ?)");
    piste.Bind(1, cle).Bind(2, static_cast<int64_t>(i + 1)).Bind(3, album.pistes[i]).Run();
  }
  return id;
}

std::vector<AlbumSummary> Catalogue::FindByName(std::string_view query) const {
  const std::u16string folded_query = FoldName(query);
  std::vector<AlbumSummary> found;
  if (folded_query.empty()) return found;
  std::lock_guard lock(mutex_);
  sql::Statement all(db_,
                     "SELECT id_album, nom_album, "
                     "(SELECT COUNT(*) FROM piste WHERE piste.album = album.cle) "
                     "FROM album ORDER BY cle");
  while (all.Step()) {
    std::string nom = all.Text(1);
    if (NameMatches(FoldName(nom), folded_query))
      found.push_back({all.Text(0), std::move(nom), static_cast<int>(all.Int(2))});
  }
  return found;
}

std::vector<std::string> Catalogue::Barcodes(std::string_view id_album) const {
  std::lock_guard lock(mutex_);
  sql::Statement codes(db_,
                       "SELECT code_barre FROM code_barre JOIN album ON album = cle "
                       "WHERE id_album = ? ORDER BY rang");
  codes.Bind(1, id_album);
  std::vector<std::string> found;
  while (codes.Step()) found.push_back(codes.Text(0));
  return found;
}

bool Catalogue::MakeAvailable(std::string_view id_album) {
  std::lock_guard lock(mutex_);
  sql::Statement update(db_, "UPDATE album SET disponible = 1 WHERE id_album = ?");
  update.Bind(1, id_album).Run();
  return sqlite3_changes(db_.handle()) > 0;
}

std::optional<int64_t> Catalogue::KeyOf(std::string_view id_album) const {
  std::lock_guard lock(mutex_);
  return FindKey(id_album);
}

std::optional<int64_t> Catalogue::FindKey(std::string_view id_album) const {
  sql::Statement find(db_, "SELECT cle FROM album WHERE id_album = ?");
  find.Bind(1, id_album);
  if (!find.Step()) return std::nullopt;
  return find.Int(0);
}

std::vector<AlbumRecord> Catalogue::AllAlbums() const {
  std::lock_guard lock(mutex_);
  std::vector<AlbumRecord> albums;
  sql::Statement all(db_,
                     "SELECT cle, id_album, nom_album, disponible, jaquette FROM album "
                     "ORDER BY cle");
  while (all.Step()) {
    AlbumRecord a;
    a.cle = all.Int(0);
    a.id_album = all.Text(1);
    a.nom_album = all.Text(2);
    a.disponible = all.Int(3) != 0;
    a.jaquette = all.Text(4);
    sql::Statement codes(db_, "SELECT code_barre FROM code_barre WHERE album = ? ORDER BY rang");
    codes.Bind(1, a.cle);
    while (codes.Step()) a.codes_barres.push_back(codes.Text(0));
    sql::Statement pistes(db_,
                          "SELECT num_piste, titre, fichier FROM piste WHERE album = ? "
                          "ORDER BY num_piste");
    pistes.Bind(1, a.cle);
    while (pistes.Step())
      a.pistes.push_back({static_cast<int>(pistes.Int(0)), pistes.Text(1), pistes.Text(2)});
    albums.push_back(std::move(a));
  }
  return albums;
}

std::string Catalogue::CoverOf(std::string_view id_album) const {
  std::lock_guard lock(mutex_);
  sql::Statement cover(db_, "SELECT jaquette FROM album WHERE id_album = ?");
  cover.Bind(1, id_album);
  return cover.Step() ? cover.Text(0) : std::string();
}

template <typename Record>
void Catalogue::StoreFile(int64_t cle, FileStore::Staged& file, std::string_view stem,
                          std::string_view extension, const std::string& previous,
                          Record record) {
  const std::string stored = files_.Place(file, cle, stem, extension);
  try {
    sql::Transaction t(db_);
    record(stored);
    t.Commit();
  } catch (...) {
    files_.Remove(stored);
    throw;
  }
  if (!previous.empty()) files_.Remove(previous);
}

void Catalogue::AddTrack(int64_t cle, int num_piste, std::string_view titre,
                         FileStore::Staged& file, std::string_view extension) {
  std::lock_guard lock(mutex_);
  sql::Statement old(db_, "SELECT fichier FROM piste WHERE album = ? AND num_piste = ?");
  old.Bind(1, cle).Bind(2, int64_t{num_piste});
  const std::string previous = old.Step() ? old.Text(0) : std::string();
  char stem[16];
  std::snprintf(stem, sizeof stem, "piste-%03d", num_piste);
  StoreFile(cle, file, stem, extension, previous, [&](const std::string& stored) {
    sql::Statement put(db_,
                       "INSERT OR REPLACE INTO piste (album, num_piste, titre, fichier) "
                       "VALUES (?, ?, ?, ?)");
    put.Bind(1, cle).Bind(2, int64_t{num_piste}).Bind(3, titre).Bind(4, stored).Run();
  });
}

void Catalogue::SetCover(int64_t cle, FileStore::Staged& file, std::string_view extension) {
  std::lock_guard lock(mutex_);
  sql::Statement old(db_, "SELECT jaquette FROM album WHERE cle = ?");
  old.Bind(1, cle);
  const std::string previous = old.Step() ? old.Text(0) : std::string();
  StoreFile(cle, file, "jaquette", extension, previous, [&](const std::string& stored) {
    sql::Statement put(db_, "UPDATE album SET jaquette = ? WHERE cle = ?");
    put.Bind(1, stored).Bind(2, cle).Run();
  });
}

}  // namespace qm::refserver
