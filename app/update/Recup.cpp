#include "app/update/Recup.h"

#include <fstream>
#include <vector>

#include "app/catalogue/HttpClient.h"
#include "app/update/ZipExtraction.h"
#include "common/IntegerText.h"
#include "common/TextCodec.h"
#include "common/TextRules.h"

namespace qm::update {
namespace {

constexpr size_t kMaxArchiveBytes = size_t{256} << 20;
constexpr size_t kMaxVersionLineBytes = 4096;

// Replaces every `placeholder` (in any letter case) of `s` with `value`.
std::string ReplaceIgnoringCase(const std::string& s, const std::string& placeholder,
                                const std::string& value) {
  const std::string upper = AsciiUpper(s);
  std::string out;
  size_t from = 0;
  for (size_t at; (at = upper.find(placeholder, from)) != std::string::npos;) {
    out += s.substr(from, at - from) + value;
    from = at + placeholder.size();
  }
  return out + s.substr(from);
}

std::vector<std::string> SplitAtDots(const std::string& version) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t dot; (dot = version.find('.', from)) != std::string::npos; from = dot + 1) {
    parts.push_back(version.substr(from, dot - from));
  }
  parts.push_back(version.substr(from));
  return parts;
}

int32_t ComponentValue(const std::vector<std::string>& parts, size_t i) {
  if (i >= parts.size()) {
    throw VersionError("Index de liste hors limites (" + std::to_string(i) + ")");
  }
  const std::optional<int32_t> value = ParseInt32(parts[i]);
  // Versions are 8-bit text; the message is UTF-8 like every text shown.
  if (!value)
    throw VersionError(NotAnIntegerMessage(text::EncodeUtf8(text::DecodeWindows1252(parts[i]))));
  return *value;
}

bool SaveFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace

bool TRecup::RecupNewVersionOrNot(const std::string& chemin, const std::string& nomcode,
                                  const std::string& adresse_serveur, const std::string& numversion,
                                  const std::string& proxyd, const std::string& portd,
                                  const std::string& proxylogd, const std::string& proxypassd,
                                  bool proxyenable) {
  nom_code_application = nomcode;
  numero_de_version_de_lappli = numversion;
  if (proxyenable) {
    proxydonne = proxyd;
    portdonne = portd;
    proxylogdonne = proxylogd;
    proxypassdonne = proxypassd;
  }
  Download_fichier_vers_temp(chemin + nomcode + "action.zip", adresse_serveur);
  return RecupInfo();
}

int32_t TRecup::Download_fichier_vers_temp(const std::string& chemin,
                                           const std::string& adresse_serveur) {
  const std::string nom = renvoi_fichier(chemin);
  const std::string local = renvoi_dossier_temp() + nom;
  std::error_code ignored;
  if (!nom.empty()) std::filesystem::remove(local, ignored);

  std::string url =
      AsciiUpper(chemin).find("HTTP://") == std::string::npos ? "http://" + chemin : chemin;
  url = ReplaceIgnoringCase(url, "<ADRESSE_SERVEUR>", adresse_serveur);
  catalogue::HttpRequest request;
  request.url = url;
  request.max_reply_bytes = kMaxArchiveBytes;
  if (!proxydonne.empty()) {
    request.proxy.emplace();
    request.proxy->host = proxydonne;
    request.proxy->port = portdonne;
  }
  const catalogue::CancelSignal never;
  const catalogue::HttpReply reply = catalogue::PerformRequest(request, never);
  if (reply.outcome != catalogue::HttpOutcome::kAnswered || nom.empty()) return 0;
  const int32_t result = !SaveFile(local, reply.body) || Dezippe(nom) != 0 ? 1 : 0;
  std::filesystem::remove(local, ignored);
  return result;
}

int32_t TRecup::Dezippe(const std::string& fichier) {
  try {
    ExtractFlat(renvoi_dossier_temp() + fichier, renvoi_dossier_temp());
    return 0;
  } catch (const std::exception&) {
    return 1;
  }
}

bool TRecup::RecupInfo() {
  const std::string list = renvoi_dossier_temp() + nom_code_application + "action.lst";
  // A folder of that name opens as a stream that reads nothing: it is no list file.
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(list, ignored)) return false;
  std::ifstream in(list, std::ios::binary);
  if (!in) return false;
  std::string line(kMaxVersionLineBytes, '\0');
  in.read(line.data(), static_cast<std::streamsize>(line.size()));
  line.resize(static_cast<size_t>(in.gcount()));
  line = line.substr(0, line.find_first_of("\r\n"));
  return compare_version(line, numero_de_version_de_lappli) == 0;
}

int32_t TRecup::compare_version(const std::string& v1, const std::string& v2) {
  const std::vector<std::string> a = SplitAtDots(v1);
  const std::vector<std::string> b = SplitAtDots(v2);
  size_t i = 0;
  // The offered component is read before the running one, so that the error shown
  // names the offered one when both are wrong.
  for (;;) {
    const int32_t offered = ComponentValue(a, i);
    if (offered != ComponentValue(b, i)) break;
    ++i;
    if (i + 1 >= a.size()) break;
  }
  if (i + 1 > a.size()) return 1;
  const int32_t offered = ComponentValue(a, i);
  return offered > ComponentValue(b, i) ? 0 : 1;
}

std::string TRecup::renvoi_fichier(const std::string& s) {
  const size_t slash = s.rfind('/');
  return slash == std::string::npos ? "" : s.substr(slash + 1);
}

std::string TRecup::renvoi_dossier_temp() {
  std::error_code ec;
  std::string folder = std::filesystem::temp_directory_path(ec).string();
  if (ec || folder.empty()) return "";
  if (folder.back() != '/') folder += '/';
  return folder;
}

bool verifier_mise_a_jour(const std::string& version, const std::string& adresse,
                          const std::string& dossier) {
  TRecup recup;
  const bool newer =
      recup.RecupNewVersionOrNot("http://" + adresse + "/up_qm/ripper/", code_application, adresse,
                                 version, "", "", "", "", false);
  std::error_code ignored;
  return newer && std::filesystem::is_regular_file(dossier + kUpdaterName, ignored);
}

}  // namespace qm::update
