// A strict reader of multipart/form-data bodies: every part must be well
// framed and the closing delimiter must be there, so a truncated upload is
// recognised as such. Parts refer to the body's bytes, which must outlive them.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace qm::refserver {

struct FormPart {
  std::string name;
  std::optional<std::string> filename;  // set for a file field
  std::string content_type;             // empty when the part gives none
  std::string_view data;
};

class MalformedForm : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The boundary of a "multipart/form-data; boundary=..." content type; nullopt
// when the type is another one or the boundary is missing or invalid.
std::optional<std::string> MultipartBoundary(std::string_view content_type);

// Splits the body into its parts; throws MalformedForm with the reason.
std::vector<FormPart> ParseMultipart(std::string_view body, std::string_view boundary);

}  // namespace qm::refserver
