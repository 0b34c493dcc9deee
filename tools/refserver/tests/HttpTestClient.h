// A small blocking HTTP/1.0 client over libcurl, for the server's own tests.
#pragma once

#include <string>

namespace qm::refserver::test {

struct HttpReply {
  bool answered = false;  // false when the connection ended without a reply
  long status = 0;
  std::string content_type;
  std::string body;
};

HttpReply HttpGet(const std::string& url);
HttpReply HttpPost(const std::string& url, const std::string& content_type,
                   const std::string& body);
HttpReply HttpPostForm(const std::string& url, const std::string& urlencoded_body);

// Sends raw bytes to 127.0.0.1:port, closes the sending side, and returns
// everything the server answers until it closes the connection.
std::string RawExchange(int port, const std::string& request);

// Sends `start`, then `filler` over and over until the server stops taking
// bytes or max_bytes are sent; returns the number of bytes sent.
size_t SendUntilRefused(int port, const std::string& start, const std::string& filler,
                        size_t max_bytes);

}  // namespace qm::refserver::test
