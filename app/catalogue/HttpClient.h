// One HTTP exchange through libcurl, as every request of the program makes it:
// HTTP/1.0, the fixed User-Agent and Accept headers, redirections followed up to 5,
// an optional proxy with user name and password, URLs without a scheme taken as
// "http://". The easy handle is driven through the multi interface so that the host's
// message pump (qm::platform::PumpMessages) keeps running while the request waits.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/catalogue/ProxySettings.h"

namespace qm::catalogue {

// Lets the application end a request that waits (for example when it shuts down).
// May be set from any thread or a signal handler.
class CancelSignal {
 public:
  void Cancel() { cancelled_.store(true); }
  bool IsCancelled() const { return cancelled_.load(); }

 private:
  std::atomic<bool> cancelled_{false};
};

// A request body that the client reads from its start, possibly more than once (a
// proxy's authentication challenge makes it send the body again).
class RequestBody {
 public:
  virtual ~RequestBody() = default;
  virtual uint64_t Length() const = 0;
  virtual void Rewind() = 0;
  // Copies the next bytes into `out`; 0 at the end. Throws on a read error.
  virtual size_t Read(char* out, size_t capacity) = 0;
};

struct HttpRequest {
  std::string url;
  std::optional<ProxyConfig> proxy;  // nothing: a direct connection
  RequestBody* body = nullptr;       // set: a POST of this body, else a GET
  std::string content_type;          // of the POST body
  // A reply body longer than this fails the request.
  size_t max_reply_bytes = size_t{32} << 20;
  // Called with the length of every block of the reply body as it arrives.
  std::function<void(size_t)> on_data;
};

enum class HttpOutcome {
  kAnswered,   // a reply below 400, or 401 or 407
  kFailed,     // no connection, a broken exchange, another status of 400 or more
  kCancelled,  // the cancel signal was set while the request waited
};

struct HttpReply {
  HttpOutcome outcome = HttpOutcome::kFailed;
  long status = 0;
  std::string body;
};

HttpReply PerformRequest(const HttpRequest& request, const CancelSignal& cancel);

}  // namespace qm::catalogue
