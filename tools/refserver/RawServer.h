// A cpp-httplib server that hands its handlers every request exactly as it came:
// the headers as received and the body unparsed, multipart bodies included, so
// that the pages can parse uploads strictly and the request log can keep raw
// bytes. It serves one request per connection (it answers "Connection: close",
// which is what HTTP/1.0 clients expect anyway) and can drop a connection
// without sending a single byte of reply. A connection delivers at most a
// 64 KiB head and then about the payload limit, whatever the body's framing;
// a handler must still check the size of a body that came without a length.
#pragma once

#include <httplib.h>

namespace qm::refserver {

class RawServer : public httplib::Server {
 public:
  // What the server knows about the request it is handling on this thread.
  struct Exchange {
    httplib::Headers headers;  // as received, before any rewriting
    bool drop = false;         // set by a handler: close without replying
  };

  // The exchange of the request being handled on the calling thread. Valid only
  // inside handlers and the logger, which run on the connection's thread.
  static Exchange& Current();

 private:
  bool process_and_close_socket(socket_t sock) override;
};

}  // namespace qm::refserver
