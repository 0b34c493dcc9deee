#include "app/catalogue/HttpClient.h"

#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <mutex>

#include "platform/MessagePump.h"

namespace qm::catalogue {

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; ICS)";
constexpr char kAcceptHeader[] = "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*";

constexpr long kMaxRedirections = 5;
// How long one wait for network activity lasts before the pump runs again.
constexpr int kPollMilliseconds = 10;

struct EasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct MultiDeleter {
  void operator()(CURLM* h) const { curl_multi_cleanup(h); }
};
struct SlistDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using Slist = std::unique_ptr<curl_slist, SlistDeleter>;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// State shared with the callbacks of one exchange.
struct Exchange {
  const HttpRequest* request = nullptr;
  HttpReply* reply = nullptr;
};

// libcurl's callbacks are called from C: nothing may be thrown through them.
size_t OnReplyData(char* data, size_t size, size_t count, void* user) {
  auto* ex = static_cast<Exchange*>(user);
  const size_t n = size * count;
  if (n > ex->request->max_reply_bytes - ex->reply->body.size()) return CURL_WRITEFUNC_ERROR;
  try {
    ex->reply->body.append(data, n);
    if (ex->request->on_data) ex->request->on_data(n);
  } catch (...) {
    return CURL_WRITEFUNC_ERROR;
  }
  return n;
}

size_t OnBodyRead(char* out, size_t size, size_t count, void* user) {
  auto* ex = static_cast<Exchange*>(user);
  try {
    return ex->request->body->Read(out, size * count);
  } catch (...) {
    return CURL_READFUNC_ABORT;
  }
}

int OnBodySeek(void* user, curl_off_t offset, int origin) {
  auto* ex = static_cast<Exchange*>(user);
  if (offset != 0 || origin != SEEK_SET) return CURL_SEEKFUNC_CANTSEEK;
  try {
    ex->request->body->Rewind();
    return CURL_SEEKFUNC_OK;
  } catch (...) {
    return CURL_SEEKFUNC_FAIL;
  }
}

Slist BuildHeaders(const HttpRequest& request) {
  curl_slist* list = curl_slist_append(nullptr, kAcceptHeader);
  if (request.body != nullptr) {
    list = curl_slist_append(list, ("Content-Type: " + request.content_type).c_str());
  }
  return Slist(list);
}

void ConfigureProxy(CURL* h, const std::optional<ProxyConfig>& proxy) {
  // An empty proxy also keeps curl from taking one from the environment.
  if (!proxy) {
    curl_easy_setopt(h, CURLOPT_PROXY, "");
    return;
  }
  curl_easy_setopt(h, CURLOPT_PROXY, (proxy->host + ":" + proxy->port).c_str());
  // Only the settings decide: a "no_proxy" variable of the environment must not
  // send the request around the configured proxy.
  curl_easy_setopt(h, CURLOPT_NOPROXY, "");
  if (proxy->authenticate) {
    curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, proxy->login.c_str());
    curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, proxy->password.c_str());
    curl_easy_setopt(h, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
  }
}

// The URL with the bytes that cannot stand in a request line (blanks, controls, and
// "#", which would cut the URL short) percent-encoded; libcurl refuses a URL with a
// space, and an identifier that holds one must still reach the server.
std::string SendableUrl(const std::string& url) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char byte : url) {
    const auto c = static_cast<unsigned char>(byte);
    if (c <= 0x20 || c == 0x7F || c == '#') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    } else {
      out += byte;
    }
  }
  return out;
}

void Configure(CURL* h, const HttpRequest& request, curl_slist* headers, Exchange& ex) {
  curl_easy_setopt(h, CURLOPT_URL, SendableUrl(request.url).c_str());
  curl_easy_setopt(h, CURLOPT_DEFAULT_PROTOCOL, "http");
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
  curl_easy_setopt(h, CURLOPT_USERAGENT, kUserAgent);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirections);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, OnReplyData);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &ex);
  if (request.body != nullptr) {
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(request.body->Length()));
    curl_easy_setopt(h, CURLOPT_READFUNCTION, OnBodyRead);
    curl_easy_setopt(h, CURLOPT_READDATA, &ex);
    curl_easy_setopt(h, CURLOPT_SEEKFUNCTION, OnBodySeek);
    curl_easy_setopt(h, CURLOPT_SEEKDATA, &ex);
  }
  ConfigureProxy(h, request.proxy);
}

// Runs the transfer to its end, pumping the host's messages while it waits.
// Returns false when the cancel signal ended it.
bool Drive(CURLM* multi, CURL* easy, const CancelSignal& cancel, CURLcode& result) {
  using Clock = std::chrono::steady_clock;
  curl_multi_add_handle(multi, easy);
  auto last_pump = Clock::now();
  for (;;) {
    int running = 0;
    curl_multi_perform(multi, &running);
    int queued = 0;
    while (CURLMsg* msg = curl_multi_info_read(multi, &queued)) {
      if (msg->msg == CURLMSG_DONE) {
        result = msg->data.result;
        curl_multi_remove_handle(multi, easy);
        return true;
      }
    }
    if (Clock::now() - last_pump >= std::chrono::milliseconds(kPollMilliseconds)) {
      platform::PumpMessages();
      last_pump = Clock::now();
    }
    if (cancel.IsCancelled()) {
      curl_multi_remove_handle(multi, easy);
      return false;
    }
    curl_multi_poll(multi, nullptr, 0, kPollMilliseconds, nullptr);
  }
}

bool IsAnswerStatus(long status) { return status < 400 || status == 401 || status == 407; }

}  // namespace

HttpReply PerformRequest(const HttpRequest& request, const CancelSignal& cancel) {
  InitCurlOnce();
  HttpReply reply;
  Exchange ex{&request, &reply};
  Easy easy(curl_easy_init());
  Multi multi(curl_multi_init());
  if (!easy || !multi) return reply;
  const Slist headers = BuildHeaders(request);
  Configure(easy.get(), request, headers.get(), ex);
  CURLcode result = CURLE_OK;
  if (!Drive(multi.get(), easy.get(), cancel, result)) {
    reply.outcome = HttpOutcome::kCancelled;
    reply.body.clear();
    return reply;
  }
  curl_easy_getinfo(easy.get(), CURLINFO_RESPONSE_CODE, &reply.status);
  if (result == CURLE_OK && IsAnswerStatus(reply.status)) {
    reply.outcome = HttpOutcome::kAnswered;
  } else {
    reply.body.clear();
  }
  return reply;
}

}  // namespace qm::catalogue
