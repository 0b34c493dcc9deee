// The blocking GET requests of the program. A GET is never given up: a failed attempt
// is shown in the window caption and the log, leaves the marker file
// "requete_en_cours.txt" naming the request in the program folder, pauses (59.75 s,
// or QM_RETRY_PAUSE_MS) and tries again until the server answers. Only the cancel
// signal ends the wait, with RequestCancelled.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

#include "app/catalogue/HttpClient.h"
#include "app/catalogue/WindowPorts.h"

namespace qm::catalogue {

// Raised by a request that the cancel signal ended; the handler that made the
// request ends without showing anything.
class RequestCancelled : public std::runtime_error {
 public:
  RequestCancelled() : std::runtime_error("request cancelled") {}
};

inline constexpr char16_t kWaitingMessage[] =
    u"Impossible de dialoguer avec le serveur, pause de 60secondes";
inline constexpr char kMarkerFileName[] = "requete_en_cours.txt";

class Transport {
 public:
  Transport(std::filesystem::path program_folder, Journal& journal, WindowCaption& caption,
            const CancelSignal& cancel);

  // A catalogue GET: `url` (already holding a query) with "&rand=" and a random
  // number appended; the reply read as Windows-1252.
  std::u16string requete_serveur(const std::string& url);

  // Any GET of `url` as given; the reply read as UTF-8.
  std::u16string requete_url(const std::string& url);

  std::filesystem::path ConfigIni() const { return program_folder_ / "config.ini"; }
  std::filesystem::path MarkerFile() const { return program_folder_ / kMarkerFileName; }
  const CancelSignal& Cancel() const { return cancel_; }
  Journal& Log() const { return journal_; }

 private:
  std::string GetUntilAnswered(const std::string& url, const std::string& request_url);
  void ReportFailure(const std::string& url, bool first_failure);
  void PauseBeforeRetry() const;

  std::filesystem::path program_folder_;
  Journal& journal_;
  WindowCaption& caption_;
  const CancelSignal& cancel_;
};

}  // namespace qm::catalogue
