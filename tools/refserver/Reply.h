// How the pages put their answer into a response.
#pragma once

#include <httplib.h>

#include <string>
#include <string_view>

namespace qm::refserver {

// A plain text answer of the catalogue pages, sent in Windows-1252, the code
// page in which the program reads them.
void ReplyCatalogueText(httplib::Response& res, std::string_view utf8, int status = 200);

// An answer whose body is already encoded in UTF-8, with its media type.
void ReplyUtf8(httplib::Response& res, std::string body, std::string_view media_type,
               int status = 200);

}  // namespace qm::refserver
