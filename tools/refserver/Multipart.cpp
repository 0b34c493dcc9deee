#include "tools/refserver/Multipart.h"

#include <strings.h>

namespace qm::refserver {

namespace {

constexpr size_t kMaxParts = 64;
constexpr size_t kMaxHeaderBlock = 8192;
constexpr size_t kMaxBoundary = 70;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The parameters after the first ";" of a header value such as
// 'form-data; name="file"; filename="a.mp3"', with the value before it.
struct HeaderValue {
  std::string_view main;
  std::vector<std::pair<std::string_view, std::string>> params;

  const std::string* Param(std::string_view key) const {
    for (const auto& [k, v] : params)
      if (EqualsNoCase(k, key)) return &v;
    return nullptr;
  }
};

std::optional<HeaderValue> ParseHeaderValue(std::string_view s) {
  HeaderValue out;
  size_t semi = s.find(';');
  out.main = Trim(s.substr(0, semi));
  while (semi != std::string_view::npos) {
    s.remove_prefix(semi + 1);
    const size_t eq = s.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trim(s.substr(0, eq));
    s = Trim(s.substr(eq + 1));
    std::string value;
    if (!s.empty() && s.front() == '"') {
      const size_t close = s.find('"', 1);
      if (close == std::string_view::npos) return std::nullopt;
      value = s.substr(1, close - 1);
      s.remove_prefix(close + 1);
      semi = s.find(';');
      if (!Trim(s.substr(0, semi)).empty()) return std::nullopt;
    } else {
      semi = s.find(';');
      value = Trim(s.substr(0, semi));
    }
    if (key.empty()) return std::nullopt;
    out.params.emplace_back(key, std::move(value));
  }
  return out;
}

void ParsePartHeaders(std::string_view block, FormPart& part) {
  bool disposition = false;
  while (!block.empty()) {
    const size_t end = block.find("\r\n");
    const std::string_view line = block.substr(0, end);
    block = end == std::string_view::npos ? std::string_view() : block.substr(end + 2);
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) throw MalformedForm("en-tête de partie sans ':'");
    const std::string_view name = Trim(line.substr(0, colon));
    const std::string_view value = Trim(line.substr(colon + 1));
    if (EqualsNoCase(name, "Content-Type")) {
      part.content_type = value;
    } else if (EqualsNoCase(name, "Content-Disposition")) {
      const auto parsed = ParseHeaderValue(value);
      if (!parsed || !EqualsNoCase(parsed->main, "form-data") || !parsed->Param("name"))
        throw MalformedForm("Content-Disposition invalide");
      part.name = *parsed->Param("name");
      if (const std::string* f = parsed->Param("filename")) part.filename = *f;
      disposition = true;
    }
  }
  if (!disposition) throw MalformedForm("partie sans Content-Disposition");
}

// The next CRLF "--" boundary that is a delimiter line: followed by "--", or by
// optional blanks and CRLF. Data may hold the boundary followed by anything else.
size_t FindDelimiter(std::string_view body, std::string_view inner, size_t from) {
  for (size_t at = body.find(inner, from); at != std::string_view::npos;
       at = body.find(inner, at + 1)) {
    size_t after = at + inner.size();
    if (body.substr(after, 2) == "--") return at;
    while (after < body.size() && (body[after] == ' ' || body[after] == '\t')) ++after;
    if (body.substr(after, 2) == "\r\n") return at;
  }
  return std::string_view::npos;
}

}  // namespace

std::optional<std::string> MultipartBoundary(std::string_view content_type) {
  const auto parsed = ParseHeaderValue(content_type);
  if (!parsed || !EqualsNoCase(parsed->main, "multipart/form-data")) return std::nullopt;
  const std::string* boundary = parsed->Param("boundary");
  if (!boundary || boundary->empty() || boundary->size() > kMaxBoundary) return std::nullopt;
  return *boundary;
}

std::vector<FormPart> ParseMultipart(std::string_view body, std::string_view boundary) {
  const std::string delimiter = "--" + std::string(boundary);
  const std::string inner = "\r\n" + delimiter;
  size_t pos;
  if (body.substr(0, delimiter.size()) == delimiter) {
    pos = delimiter.size();
  } else {
    pos = body.find(inner);  // a preamble before the first delimiter
    if (pos == std::string_view::npos) throw MalformedForm("délimiteur absent");
    pos += inner.size();
  }
  std::vector<FormPart> parts;
  for (;;) {
    if (body.substr(pos, 2) == "--") return parts;  // closing delimiter
    while (pos < body.size() && (body[pos] == ' ' || body[pos] == '\t')) ++pos;
    if (body.substr(pos, 2) != "\r\n") throw MalformedForm("délimiteur mal terminé");
    pos += 2;
    if (parts.size() == kMaxParts) throw MalformedForm("trop de parties");
    const size_t header_end =
        body.substr(pos, 2) == "\r\n" ? pos : body.find("\r\n\r\n", pos);
    if (header_end == std::string_view::npos || header_end - pos > kMaxHeaderBlock)
      throw MalformedForm("en-têtes de partie incomplets");
    FormPart part;
    ParsePartHeaders(body.substr(pos, header_end - pos), part);
    const size_t data_begin = header_end + (header_end == pos ? 2 : 4);
    const size_t data_end = FindDelimiter(body, inner, data_begin);
    if (data_end == std::string_view::npos) throw MalformedForm("corps tronqué");
    part.data = body.substr(data_begin, data_end - data_begin);
    parts.push_back(std::move(part));
    pos = data_end + inner.size();
  }
}

}  // namespace qm::refserver
