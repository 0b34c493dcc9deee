// `formulaire_multipart`: a "multipart/form-data" body of text fields and file fields,
// read by the HTTP client as a stream. A file field keeps its file open (with
// writers locked out) from the moment it is added until the form is destroyed, and
// its bytes are read from disk while the body is sent, so memory use does not grow
// with the file's size.
//
// Body layout, with B the boundary and every line ending in CR LF: for each field in
// the order added, "--B", the Content-Disposition line (with "; filename=" for a file
// field), "Content-Type: ...", "Content-Transfer-Encoding: binary", an empty line, the
// data and CR LF; then "--B--".
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "app/catalogue/HttpClient.h"

namespace qm::catalogue {

class formulaire_multipart : public RequestBody {
 public:
  // The boundary: eight hyphens and the local time `created` as "mmddyyhhnnsszzz".
  explicit formulaire_multipart(
      std::chrono::system_clock::time_point created = std::chrono::system_clock::now());
  ~formulaire_multipart() override;
  formulaire_multipart(const formulaire_multipart&) = delete;
  formulaire_multipart& operator=(const formulaire_multipart&) = delete;

  // A text field; its value is sent as the bytes given.
  void AddText(const std::string& name, const std::string& value);
  // A file field named after the file (without its folder). Throws std::runtime_error
  // when the file cannot be opened for reading or another writer holds it.
  void AddFile(const std::string& name, const std::filesystem::path& path,
               const std::string& content_type);

  const std::string& Boundary() const { return boundary_; }
  std::string ContentType() const { return "multipart/form-data; boundary=" + boundary_; }

  uint64_t Length() const override;
  void Rewind() override;
  size_t Read(char* out, size_t capacity) override;

 private:
  // A stretch of the body: bytes held here, or `length` bytes of an open file.
  struct Segment {
    std::string bytes;
    int fd = -1;
    uint64_t length = 0;
  };
  void AddPartHead(const std::string& disposition, const std::string& content_type);
  void AppendBytes(const std::string& bytes);

  std::string boundary_;
  std::vector<Segment> segments_;  // the parts so far, without the closing line
  Segment closing_;
  size_t segment_ = 0;  // read position: segment index and offset in it
  uint64_t offset_ = 0;
};

}  // namespace qm::catalogue
