#include "tools/refserver/tests/HttpTestClient.h"

#include <curl/curl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <memory>
#include <stdexcept>
#include <string_view>

namespace qm::refserver::test {

namespace {

size_t Collect(char* data, size_t size, size_t count, void* sink) {
  static_cast<std::string*>(sink)->append(data, size * count);
  return size * count;
}

HttpReply Perform(const std::string& url, const std::string* content_type,
                  const std::string* body) {
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  HttpReply reply;
  curl_slist* headers = nullptr;
  curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl.get(), CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply.body);
  curl_easy_setopt(curl.get(), CURLOPT_TIMEOUT, 60L);
  if (body) {
    const std::string header = "Content-Type: " + *content_type;
    headers = curl_slist_append(headers, header.c_str());
    curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body->data());
    curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                     static_cast<curl_off_t>(body->size()));
  }
  if (curl_easy_perform(curl.get()) == CURLE_OK) {
    reply.answered = true;
    curl_easy_getinfo(curl.get(), CURLINFO_RESPONSE_CODE, &reply.status);
    const char* type = nullptr;
    curl_easy_getinfo(curl.get(), CURLINFO_CONTENT_TYPE, &type);
    if (type) reply.content_type = type;
  }
  curl_slist_free_all(headers);
  return reply;
}

int ConnectLoopback(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    throw std::runtime_error("cannot connect");
  }
  return fd;
}

}  // namespace

HttpReply HttpGet(const std::string& url) { return Perform(url, nullptr, nullptr); }

HttpReply HttpPost(const std::string& url, const std::string& content_type,
                   const std::string& body) {
  return Perform(url, &content_type, &body);
}

HttpReply HttpPostForm(const std::string& url, const std::string& urlencoded_body) {
  return HttpPost(url, "application/x-www-form-urlencoded", urlencoded_body);
}

std::string RawExchange(int port, const std::string& request) {
  const int fd = ConnectLoopback(port);
  send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  shutdown(fd, SHUT_WR);  // the request ends here, whatever it announced
  std::string reply;
  char buffer[4096];
  pollfd p{fd, POLLIN, 0};
  while (poll(&p, 1, 30000) > 0) {
    const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    reply.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  return reply;
}

size_t SendUntilRefused(int port, const std::string& start, const std::string& filler,
                        size_t max_bytes) {
  const int fd = ConnectLoopback(port);
  const timeval limit{10, 0};  // a server that stops reading without closing
  setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
  size_t sent = 0;
  for (std::string_view rest = start; sent < max_bytes;) {
    if (rest.empty()) rest = filler;
    const ssize_t n = send(fd, rest.data(), rest.size(), MSG_NOSIGNAL);
    if (n <= 0) break;
    sent += static_cast<size_t>(n);
    rest.remove_prefix(static_cast<size_t>(n));
  }
  close(fd);
  return sent;
}

}  // namespace qm::refserver::test
