#include "app/catalogue/Uploads.h"

#include <algorithm>

#include "app/catalogue/HttpClient.h"
#include "app/catalogue/WireText.h"
#include "common/TextCodec.h"

namespace qm::catalogue {
namespace {

constexpr char kFileContentType[] = "multipart/form-data";

std::unique_ptr<formulaire_multipart> FormForAlbum(const std::u16string& id_album) {
  auto form = std::make_unique<formulaire_multipart>();
  form->AddText("method", "post");
  form->AddText("id_album", text::EncodeWindows1252(id_album));
  return form;
}

std::u16string FileNameOf(const std::filesystem::path& path) {
  return text::DecodeUtf8(path.filename().string());
}

}  // namespace

Uploads::Uploads(Transport& transport, std::string var_url_serveur, StatusBar& status_bar)
    : transport_(transport),
      var_url_serveur_(std::move(var_url_serveur)),
      status_bar_(status_bar) {}

void Uploads::HttpCli1DocData(size_t block_length) {
  status_bar_.SetStatusText(text::DecodeUsAscii(std::to_string(block_length)));
}

std::u16string Uploads::envoyer_formulaire(const std::string& url,
                                           std::unique_ptr<formulaire_multipart> form) {
  HttpRequest request;
  request.url = url;
  request.body = form.get();
  request.content_type = form->ContentType();
  request.on_data = [this](size_t n) { HttpCli1DocData(n); };
  request.proxy = ProxyForUrl(transport_.ConfigIni(), url);
  HttpReply reply = PerformRequest(request, transport_.Cancel());
  if (reply.outcome != HttpOutcome::kAnswered) return u"";
  return flux_vers_chaine(reply.body);
}

void Uploads::envoyer_piste(const std::u16string& id_album, int32_t num_piste,
                            const std::u16string& titre, const std::filesystem::path& chemin) {
  auto form = FormForAlbum(id_album);
  form->AddText("num_piste", std::to_string(num_piste));
  form->AddText("filename", encoder_url(text::EncodeWindows1252(titre)));
  form->AddFile("file", chemin, kFileContentType);
  const std::u16string reply = envoyer_formulaire(
      var_url_serveur_ + "/application/ripper/audio_fonction_ripper_upl.php", std::move(form));
  transport_.Log().ajouter_log(reply == u"1" ? titre + u" - envoi terminé"
                                             : titre + u" - erreur d'envoi" + reply);
}

void Uploads::envoyer_jaquette(const std::u16string& id_album,
                               const std::filesystem::path& chemin) {
  std::error_code ignored;
  if (!std::filesystem::is_regular_file(chemin, ignored)) return;
  auto form = FormForAlbum(id_album);
  form->AddFile("file", chemin, kFileContentType);
  std::u16string reply = envoyer_formulaire(
      var_url_serveur_ + "/application/ripper/audio_fonction_ripper_jaquette_upl.php",
      std::move(form));
  std::erase_if(reply, [](char16_t c) { return c == u'\r' || c == u'\n'; });
  const std::u16string name = FileNameOf(chemin);
  transport_.Log().ajouter_log(reply == u"1" ? name + u" - envoi terminé"
                                             : name + u" - erreur d'envoi" + reply);
}

}  // namespace qm::catalogue
