// What the server's tests share: URLs of its pages, multipart bodies and
// readers of its XML replies.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tests/support/RefServer.h"

namespace qm::refserver::test {

std::string CatalogueUrl(const qm::test::RefServer& server, const std::string& query);
std::string TrackUploadUrl(const qm::test::RefServer& server);
std::string CoverUploadUrl(const qm::test::RefServer& server);

struct Field {
  std::string name;
  std::string value;
  std::optional<std::string> filename{};  // set for a file field
};

inline constexpr char kBoundary[] = "--------121126013045123";
inline constexpr char kMultipartType[] =
    "multipart/form-data; boundary=--------121126013045123";

// A multipart/form-data body laid out as the program writes it.
std::string MultipartBody(const std::vector<Field>& fields);

struct AlbumEntry {
  std::string id_album;
  std::string nom_album;
  std::string nb_piste;
};

// The records of an album list or barcode list reply (throws when not XML).
std::vector<AlbumEntry> ParseAlbumList(const std::string& xml);
std::vector<std::string> ParseBarcodeList(const std::string& xml);

}  // namespace qm::refserver::test
