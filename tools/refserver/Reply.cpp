#include "tools/refserver/Reply.h"

#include "tools/refserver/Text.h"

namespace qm::refserver {

void ReplyCatalogueText(httplib::Response& res, std::string_view utf8, int status) {
  res.status = status;
  res.set_content(Utf8ToWindows1252(utf8), "text/plain; charset=windows-1252");
}

void ReplyUtf8(httplib::Response& res, std::string body, std::string_view media_type,
               int status) {
  res.status = status;
  res.set_content(std::move(body), std::string(media_type) + "; charset=UTF-8");
}

}  // namespace qm::refserver
