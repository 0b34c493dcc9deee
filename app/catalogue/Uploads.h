// The uploads of the send: each track file and the cover picture are posted to the
// catalogue server as "multipart/form-data", once each (no retry), through the proxy
// settings of every request. The server answers "1" when it accepted the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "app/catalogue/MultipartForm.h"
#include "app/catalogue/Transport.h"
#include "app/catalogue/WindowPorts.h"

namespace qm::catalogue {

class Uploads {
 public:
  Uploads(Transport& transport, std::string var_url_serveur, StatusBar& status_bar);

  // Posts the form to `url`; the reply read as Windows-1252, or empty after any failure.
  std::u16string envoyer_formulaire(const std::string& url,
                                    std::unique_ptr<formulaire_multipart> form);

  // Uploads one track file as track `num_piste` of the album, its title URL-encoded in
  // the "filename" field; the verdict goes to the log. Throws std::runtime_error when
  // the file exists but cannot be opened.
  void envoyer_piste(const std::u16string& id_album, int32_t num_piste, const std::u16string& titre,
                     const std::filesystem::path& chemin);

  // Uploads the cover picture when the file exists; the verdict goes to the log.
  void envoyer_jaquette(const std::u16string& id_album, const std::filesystem::path& chemin);

 private:
  // The received-data event: the length of the block just received in the status bar.
  void HttpCli1DocData(size_t block_length);

  Transport& transport_;
  std::string var_url_serveur_;
  StatusBar& status_bar_;
};

}  // namespace qm::catalogue
