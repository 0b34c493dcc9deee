// The upload pages over loopback: stored files, track counts, refusals, restart.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/RefServer.h"
#include "tests/support/TestSupport.h"
#include "tools/refserver/tests/HttpTestClient.h"
#include "tools/refserver/tests/RefServerTestUtil.h"

namespace qm::refserver::test {
namespace {

namespace fs = std::filesystem;
using qm::test::ReadFile;
using qm::test::RefServer;

constexpr char kSeed[] = "album Rock & Roll\nid 77\ntrack Intro\ntrack Outro\nalbum Vide\n";

// Every byte value, and lines that look like the boundary without being it.
std::string AwkwardBytes() {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  bytes += std::string("\r\n--") + kBoundary + "X\r\n--\r\n\r\n";
  bytes += std::string(3, '\0');
  return bytes;
}

std::vector<Field> TrackFields(const std::string& num, const std::string& title,
                               const std::string& bytes) {
  return {{"method", "post"},
          {"id_album", "77"},
          {"num_piste", num},
          {"filename", title},
          {"file", bytes, "Track" + num + ".mp3"}};
}

HttpReply PostTrack(const RefServer& server, const std::vector<Field>& fields) {
  return HttpPost(TrackUploadUrl(server), kMultipartType, MultipartBody(fields));
}

std::string NbPiste(const RefServer& server, const std::string& encoded_name) {
  const auto albums =
      ParseAlbumList(HttpGet(CatalogueUrl(server, "op=trouver_album&nom=" + encoded_name)).body);
  return albums.size() == 1 ? albums[0].nb_piste : "?";
}

std::vector<fs::path> StoredFiles(const RefServer& server) {
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(server.DataDir() / "albums"))
    if (e.is_regular_file()) files.push_back(e.path());
  for (const auto& e : fs::directory_iterator(server.DataDir() / "tmp")) files.push_back(e.path());
  return files;
}

TEST(UploadTest, TrackIsStoredWithItsDecodedTitleAndRaisesTheTrackCount) {
  RefServer server({.seed = kSeed});
  const std::string bytes = AwkwardBytes();
  const HttpReply reply = PostTrack(server, TrackFields("3", "%C9t%E9+85+%2F+live", bytes));
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, "1");
  EXPECT_EQ(NbPiste(server, "rock"), "3");

  const std::vector<fs::path> files = StoredFiles(server);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(ReadFile(files[0]), bytes);
  EXPECT_EQ(files[0].extension(), ".mp3");
  const std::string xml = server.CatalogueXml();
  EXPECT_NE(xml.find(">Été 85 / live</piste>"), std::string::npos) << xml;

  // Sending the same track again replaces it: same count, one file, new bytes. A
  // control character in the title is kept, and shown as U+FFFD in XML.
  EXPECT_EQ(PostTrack(server, TrackFields("3", "Again%01", "new bytes")).body, "1");
  EXPECT_EQ(NbPiste(server, "rock"), "3");
  EXPECT_NE(server.CatalogueXml().find(">Again\xEF\xBF\xBD</piste>"), std::string::npos);
  const std::vector<fs::path> after = StoredFiles(server);
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(ReadFile(after[0]), "new bytes");
}

TEST(UploadTest, CoverIsStoredAndReplaced) {
  RefServer server({.seed = kSeed});
  const auto post = [&](const std::string& bytes) {
    return HttpPost(CoverUploadUrl(server), kMultipartType,
                    MultipartBody({{"method", "post"},
                                   {"id_album", "77"},
                                   {"file", bytes, "jaquette.jpg"}}))
        .body;
  };
  EXPECT_EQ(post("first picture"), "1");
  EXPECT_EQ(post("\xFF\xD8 second picture"), "1");
  const std::vector<fs::path> files = StoredFiles(server);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(ReadFile(files[0]), "\xFF\xD8 second picture");
  EXPECT_EQ(files[0].extension(), ".jpg");
  EXPECT_NE(server.CatalogueXml().find("jaquette=\"" +
                                       fs::relative(files[0], server.DataDir()).string() + "\""),
            std::string::npos);
}

TEST(UploadTest, MalformedOrMisdirectedUploadIsRefusedAndNothingIsStored) {
  RefServer server({.seed = kSeed});
  const std::string good = MultipartBody(TrackFields("3", "Titre", "data"));
  std::vector<Field> unknown_album = TrackFields("3", "Titre", "data");
  unknown_album[1].value = "78";
  std::vector<Field> file_without_name = TrackFields("3", "Titre", "data");
  file_without_name[4].filename.reset();
  std::vector<Field> twice = TrackFields("3", "Titre", "data");
  twice.push_back({"id_album", "77"});
  std::vector<Field> missing = TrackFields("3", "Titre", "data");
  missing.erase(missing.begin() + 2);
  std::vector<Field> long_id = TrackFields("3", "Titre", "data");
  long_id[1].value = std::string(65, '7');

  const struct {
    const char* what;
    std::string content_type;
    std::string body;
    std::string reply;
  } cases[] = {
      {"truncated body", kMultipartType, good.substr(0, good.size() - 30),
       "Requ\xEAte mal form\xE9" "e : corps tronqu\xE9"},
      {"no closing delimiter", kMultipartType, good.substr(0, good.find(std::string("--") + kBoundary + "--")),
       "Requ\xEAte mal form\xE9" "e : corps tronqu\xE9"},
      {"not multipart", "application/x-www-form-urlencoded", "id_album=77",
       "Requ\xEAte mal form\xE9" "e : ce n'est pas un formulaire multipart"},
      {"other boundary", "multipart/form-data; boundary=abc", good,
       "Requ\xEAte mal form\xE9" "e : d\xE9limiteur absent"},
      {"unknown album", kMultipartType, MultipartBody(unknown_album), "Album inconnu : 78"},
      {"missing num_piste", kMultipartType, MultipartBody(missing),
       "Requ\xEAte mal form\xE9" "e : champ num_piste absent"},
      {"duplicate field", kMultipartType, MultipartBody(twice),
       "Requ\xEAte mal form\xE9" "e : champ id_album en double"},
      {"file field without a file name", kMultipartType, MultipartBody(file_without_name),
       "Requ\xEAte mal form\xE9" "e : le champ file n'est pas un fichier"},
      {"track 0", kMultipartType, MultipartBody(TrackFields("0", "T", "d")),
       "Requ\xEAte mal form\xE9" "e : num_piste invalide"},
      {"track 1000", kMultipartType, MultipartBody(TrackFields("1000", "T", "d")),
       "Requ\xEAte mal form\xE9" "e : num_piste invalide"},
      {"track +3", kMultipartType, MultipartBody(TrackFields("+3", "T", "d")),
       "Requ\xEAte mal form\xE9" "e : num_piste invalide"},
      {"title not URL-encoded", kMultipartType, MultipartBody(TrackFields("3", "100%", "d")),
       "Requ\xEAte mal form\xE9" "e : filename mal encod\xE9"},
      {"title too long", kMultipartType,
       MultipartBody(TrackFields("3", std::string(1000, 'a') + "%E9", "d")),
       "Requ\xEAte mal form\xE9" "e : filename trop long"},
      {"identifier too long", kMultipartType, MultipartBody(long_id),
       "Album inconnu : identifiant trop long"},
  };
  for (const auto& c : cases) {
    const HttpReply reply = HttpPost(TrackUploadUrl(server), c.content_type, c.body);
    EXPECT_EQ(reply.status, 200) << c.what;
    EXPECT_EQ(reply.body, c.reply) << c.what;
  }
  EXPECT_TRUE(StoredFiles(server).empty());
  EXPECT_EQ(NbPiste(server, "rock"), "2");
}

TEST(UploadTest, RestartKeepsAlbumsTracksAndFilesAndIgnoresTheSeed) {
  qm::test::TempDir data;
  {
    RefServer first({.data_dir = data.path(), .seed = kSeed});
    ASSERT_EQ(PostTrack(first, TrackFields("3", "Trois", "bytes of three")).body, "1");
    ASSERT_EQ(HttpGet(CatalogueUrl(first, "op=rendre_dispo_album&idAlbum=77")).body, "1");
    EXPECT_EQ(first.Stop(), 0);
  }
  RefServer second({.data_dir = data.path(), .seed = "album Nouveau\n"});
  EXPECT_EQ(NbPiste(second, "rock"), "3");
  EXPECT_EQ(NbPiste(second, "nouveau"), "?");  // the seed only fills a new catalogue
  const std::vector<fs::path> files = StoredFiles(second);
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(ReadFile(files[0]), "bytes of three");
  EXPECT_NE(second.CatalogueXml().find("id_album=\"77\" disponible=\"1\""), std::string::npos);
}

}  // namespace
}  // namespace qm::refserver::test
