// How the pages put their answer into a response.
#pragma once

#include <httplib.h>

#include <filesystem>
#include <string>
#include <string_view>

namespace qm::refserver {

// A plain text answer of the catalogue pages, sent in Windows-1252, the code
// page in which the program reads them.
void ReplyCatalogueText(httplib::Response& res, std::string_view utf8, int status = 200);

// An answer whose body is already encoded in UTF-8, with its media type.
void ReplyUtf8(httplib::Response& res, std::string body, std::string_view media_type,
               int status = 200);

// Streams a file in chunks as the answer; 404 when it cannot be opened.
void ReplyFile(httplib::Response& res, const std::filesystem::path& file,
               const std::string& media_type);

// The media type of a served file, from its extension.
std::string MediaTypeOf(const std::filesystem::path& file);

}  // namespace qm::refserver
