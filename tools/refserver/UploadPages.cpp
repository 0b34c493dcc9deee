#include "tools/refserver/UploadPages.h"

#include <charconv>

#include "tools/refserver/Multipart.h"
#include "tools/refserver/RawServer.h"
#include "tools/refserver/Reply.h"
#include "tools/refserver/Text.h"

namespace qm::refserver {

namespace {

constexpr int kMaxTrackNumber = 999;

class UploadForm {
 public:
  // Keeps views into the request's body, which must outlive the form.
  explicit UploadForm(const httplib::Request& req) {
    const auto& headers = RawServer::Current().headers;
    const auto type = headers.find("Content-Type");
    const auto boundary =
        type == headers.end() ? std::nullopt : MultipartBoundary(type->second);
    if (!boundary) throw Refusal("Requête mal formée : ce n'est pas un formulaire multipart");
    try {
      parts_ = ParseMultipart(req.body, *boundary);
    } catch (const MalformedForm& e) {
      throw Refusal(std::string("Requête mal formée : ") + e.what());
    }
  }

  const FormPart& Field(std::string_view name) const {
    const FormPart* found = nullptr;
    for (const FormPart& part : parts_) {
      if (part.name != name) continue;
      if (found) throw Refusal("Requête mal formée : champ " + std::string(name) + " en double");
      found = &part;
    }
    if (!found) throw Refusal("Requête mal formée : champ " + std::string(name) + " absent");
    return *found;
  }

  const FormPart& File() const {
    const FormPart& file = Field("file");
    if (!file.filename) throw Refusal("Requête mal formée : le champ file n'est pas un fichier");
    return file;
  }

  // The album named by the "id_album" field, which carries 8-bit text.
  int64_t AlbumKey(const Catalogue& catalogue) const {
    const std::string_view field = Field("id_album").data;
    // No album has a longer identifier, and such a field is not echoed back.
    if (field.size() > Catalogue::kMaxIdBytes)
      throw Refusal("Album inconnu : identifiant trop long");
    const std::string id = Windows1252ToUtf8(field);
    const auto key = catalogue.KeyOf(id);
    if (!key) throw Refusal("Album inconnu : " + id);
    return *key;
  }

 private:
  std::vector<FormPart> parts_;
};

int TrackNumber(std::string_view digits) {
  int n = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), n);
  if (digits.empty() || digits.front() == '-' || error != std::errc() ||
      end != digits.data() + digits.size() || n < 1 || n > kMaxTrackNumber)
    throw Refusal("Requête mal formée : num_piste invalide");
  return n;
}

// The title a "filename" field carries, of at most Catalogue::kMaxNameBytes;
// a field of more than three bytes per title byte is refused unread.
std::string TrackTitle(std::string_view encoded) {
  const auto too_long = [] { return Refusal("Requête mal formée : filename trop long"); };
  if (encoded.size() > 3 * Catalogue::kMaxNameBytes) throw too_long();
  const auto bytes = UrlDecode(encoded);
  if (!bytes) throw Refusal("Requête mal formée : filename mal encodé");
  std::string title = Windows1252ToUtf8(*bytes);
  if (title.size() > Catalogue::kMaxNameBytes) throw too_long();
  return title;
}

}  // namespace

void ServeTrackUpload(const httplib::Request& req, httplib::Response& res, Catalogue& catalogue,
                      const FileStore& files) {
  const UploadForm form(req);
  const int64_t key = form.AlbumKey(catalogue);
  const int num = TrackNumber(form.Field("num_piste").data);
  const std::string title = TrackTitle(form.Field("filename").data);
  const FormPart& file = form.File();
  FileStore::Staged staged = files.Stage(file.data);
  catalogue.AddTrack(key, num, title, staged, SafeExtension(*file.filename));
  ReplyCatalogueText(res, "1");
}

void ServeCoverUpload(const httplib::Request& req, httplib::Response& res, Catalogue& catalogue,
                      const FileStore& files) {
  const UploadForm form(req);
  const int64_t key = form.AlbumKey(catalogue);
  const FormPart& file = form.File();
  FileStore::Staged staged = files.Stage(file.data);
  catalogue.SetCover(key, staged, SafeExtension(*file.filename));
  ReplyCatalogueText(res, "1");
}

}  // namespace qm::refserver
