#include "app/catalogue/Transport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <random>
#include <thread>

#include "app/catalogue/WireText.h"
#include "common/IntegerText.h"

namespace qm::catalogue {
namespace {

constexpr int kDefaultPauseMs = 239 * 250;
constexpr int kPauseSliceMs = 250;

int RetryPauseMs() {
  const char* env = std::getenv("QM_RETRY_PAUSE_MS");
  const int32_t ms = env != nullptr ? ParseInt32Or(env, kDefaultPauseMs) : kDefaultPauseMs;
  return ms >= 0 ? ms : kDefaultPauseMs;
}

// A number from 0 to 9999998 that defeats caches, drawn afresh from the clock.
unsigned RandomCacheBuster() {
  std::mt19937 generator(
      static_cast<unsigned>(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  return std::uniform_int_distribution<unsigned>(0, 9999998)(generator);
}

// Puts the window caption back however the request ends.
class CaptionKeeper {
 public:
  explicit CaptionKeeper(WindowCaption& caption) : caption_(caption), kept_(caption.Caption()) {}
  ~CaptionKeeper() { caption_.SetCaption(kept_); }
  CaptionKeeper(const CaptionKeeper&) = delete;
  CaptionKeeper& operator=(const CaptionKeeper&) = delete;

 private:
  WindowCaption& caption_;
  std::u16string kept_;
};

}  // namespace

Transport::Transport(std::filesystem::path program_folder, Journal& journal, WindowCaption& caption,
                     const CancelSignal& cancel)
    : program_folder_(std::move(program_folder)),
      journal_(journal),
      caption_(caption),
      cancel_(cancel) {}

std::u16string Transport::requete_serveur(const std::string& url) {
  const std::string request_url = url + "&rand=" + std::to_string(RandomCacheBuster());
  return flux_vers_chaine(GetUntilAnswered(url, request_url));
}

std::u16string Transport::requete_url(const std::string& url) {
  return flux_utf8_vers_chaine(GetUntilAnswered(url, url));
}

std::string Transport::GetUntilAnswered(const std::string& url, const std::string& request_url) {
  const CaptionKeeper caption_keeper(caption_);
  for (bool first_failure = true;; first_failure = false) {
    HttpRequest request;
    request.url = request_url;
    request.proxy = ProxyForUrl(ConfigIni(), url);
    HttpReply reply = PerformRequest(request, cancel_);
    if (reply.outcome == HttpOutcome::kCancelled) throw RequestCancelled();
    if (reply.outcome == HttpOutcome::kAnswered) {
      std::error_code ignored;
      if (std::filesystem::exists(MarkerFile(), ignored)) {
        std::filesystem::remove(MarkerFile(), ignored);
        journal_.ajouter_log(u"suppresion fichier requete_en_cours ");
      }
      return std::move(reply.body);
    }
    ReportFailure(url, first_failure);
    PauseBeforeRetry();
  }
}

void Transport::ReportFailure(const std::string& url, bool first_failure) {
  if (first_failure) {
    std::ofstream marker(MarkerFile(), std::ios::binary | std::ios::trunc);
    marker << url << "\r\n";
    if (!marker.flush()) {
      throw std::runtime_error("Impossible d'écrire le fichier " + MarkerFile().string());
    }
  }
  caption_.SetCaption(kWaitingMessage);
  journal_.ajouter_log(kWaitingMessage);
}

void Transport::PauseBeforeRetry() const {
  for (int left = RetryPauseMs(); left > 0; left -= kPauseSliceMs) {
    if (cancel_.IsCancelled()) throw RequestCancelled();
    std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kPauseSliceMs)));
  }
  if (cancel_.IsCancelled()) throw RequestCancelled();
}

}  // namespace qm::catalogue
