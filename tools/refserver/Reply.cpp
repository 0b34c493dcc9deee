#include "tools/refserver/Reply.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <memory>

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

void ReplyFile(httplib::Response& res, const std::filesystem::path& file,
               const std::string& media_type) {
  static constexpr size_t kChunk = 64 * 1024;
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(file, error);
  auto in = std::make_shared<std::ifstream>(file, std::ios::binary);
  if (error || !*in) return ReplyUtf8(res, "Not found\n", "text/plain", 404);
  res.set_content_provider(
      static_cast<size_t>(size), media_type,
      [in](size_t offset, size_t length, httplib::DataSink& sink) {
        std::string chunk(std::min(length, kChunk), '\0');
        in->seekg(static_cast<std::streamoff>(offset));
        in->read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
        if (in->gcount() <= 0) return false;  // the file shrank meanwhile
        return sink.write(chunk.data(), static_cast<size_t>(in->gcount()));
      });
}

std::string MediaTypeOf(const std::filesystem::path& file) {
  static const std::map<std::string, std::string> kTypes = {
      {".zip", "application/zip"}, {".lst", "text/plain"},  {".txt", "text/plain"},
      {".jpg", "image/jpeg"},      {".jpeg", "image/jpeg"}, {".png", "image/png"},
      {".gif", "image/gif"},       {".bmp", "image/bmp"},   {".mp3", "audio/mpeg"}};
  const auto type = kTypes.find(file.extension().string());
  return type == kTypes.end() ? "application/octet-stream" : type->second;
}

}  // namespace qm::refserver
