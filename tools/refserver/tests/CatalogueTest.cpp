// The catalogue page over loopback: search, barcodes, availability.
#include <gtest/gtest.h>

#include "tests/support/RefServer.h"
#include "tools/refserver/tests/HttpTestClient.h"
#include "tools/refserver/tests/RefServerTestUtil.h"

namespace qm::refserver::test {
namespace {

using qm::test::RefServer;

constexpr char kSeed[] =
    "# albums of the catalogue tests\n"
    "album Les Étés de Vivaldi\n"
    "barcode 3760123450012\n"
    "barcode 0000000000017\n"
    "album LES ETES   indiens\n"
    "available\n"
    "album Rock & Roll <live>\n"
    "id 77\n"
    "track Intro\n"
    "track Outro\n"
    "album Autre chose\n"
    "id a b&c\n";

class CatalogueTest : public ::testing::Test {
 protected:
  std::string Get(const std::string& query) {
    const HttpReply reply = HttpGet(CatalogueUrl(server_, query));
    EXPECT_EQ(reply.status, 200) << query;
    return reply.body;
  }
  std::vector<std::string> FoundIds(const std::string& encoded_name) {
    std::vector<std::string> ids;
    for (const AlbumEntry& a : ParseAlbumList(Get("op=trouver_album&nom=" + encoded_name)))
      ids.push_back(a.id_album);
    return ids;
  }

  RefServer server_{{.seed = kSeed}};
};

TEST_F(CatalogueTest, SearchIgnoresCaseAccentsAndBlankRuns) {
  const struct {
    std::string nom;  // as the program sends it: Windows-1252, URL-encoded
    std::vector<std::string> ids;
  } cases[] = {
      {"%E9t%E9", {"1", "2"}},          // "été" in Windows-1252
      {"%C9T%C9S+DE", {"1"}},           // "ÉTÉS DE"
      {"les++++etes+indiens", {"2"}},   // runs of blanks count as one
      {"vivaldi&rand=8812", {"1"}},     // extra parameters are ignored
      {"rock+%26+roll+%3Clive%3E", {"77"}},
      {"chose", {"a b&c"}},
      {"", {}},                         // an empty name finds nothing
      {"+++", {}},
      {"symphonie", {}},
      {"%C3%A9t%C3%A9", {}},            // UTF-8 is not what the program sends
  };
  for (const auto& c : cases) EXPECT_EQ(FoundIds(c.nom), c.ids) << c.nom;
}

TEST_F(CatalogueTest, AlbumListIsUtf8XmlWithEscapedTextsAndTrackCounts) {
  const HttpReply reply = HttpGet(CatalogueUrl(server_, "op=trouver_album&nom=e&rand=1"));
  EXPECT_EQ(reply.content_type, "text/xml; charset=UTF-8");
  EXPECT_NE(reply.body.find("<nom_album>Les \xC3\x89t\xC3\xA9s de Vivaldi</nom_album>"),
            std::string::npos);
  const std::vector<AlbumEntry> albums = ParseAlbumList(reply.body);
  ASSERT_EQ(albums.size(), 4u);  // in the catalogue's order
  EXPECT_EQ(albums[1].id_album, "2");
  EXPECT_EQ(albums[2].id_album, "77");
  EXPECT_EQ(albums[2].nom_album, "Rock & Roll <live>");
  EXPECT_EQ(albums[2].nb_piste, "2");
  EXPECT_EQ(albums[3].nb_piste, "0");
}

TEST_F(CatalogueTest, BarcodesComeInOrderAndAnUnknownAlbumHasNone) {
  EXPECT_EQ(ParseBarcodeList(Get("op=trouver_codeBarre&idAlbum=1&rand=3")),
            (std::vector<std::string>{"3760123450012", "0000000000017"}));
  EXPECT_TRUE(ParseBarcodeList(Get("op=trouver_codeBarre&idAlbum=77")).empty());
  EXPECT_TRUE(ParseBarcodeList(Get("op=trouver_codeBarre&idAlbum=999")).empty());
  EXPECT_TRUE(ParseBarcodeList(Get("op=trouver_codeBarre")).empty());
}

TEST_F(CatalogueTest, MakingAnAlbumAvailableAnswersOneAndIsKept) {
  EXPECT_EQ(Get("op=rendre_dispo_album&idAlbum=a+b%26c&rand=42"), "1");
  EXPECT_EQ(Get("op=rendre_dispo_album&idAlbum=77"), "1");
  const std::string xml = server_.CatalogueXml();
  EXPECT_NE(xml.find("id_album=\"a b&amp;c\" disponible=\"1\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("id_album=\"77\" disponible=\"1\""), std::string::npos) << xml;
  EXPECT_NE(xml.find("id_album=\"1\" disponible=\"0\""), std::string::npos) << xml;
}

TEST_F(CatalogueTest, UnknownAlbumOrOperationIsAnErrorTextNotAFailure) {
  // Status 200 with a text other than "1": the program logs it and never retries.
  EXPECT_EQ(Get("op=rendre_dispo_album&idAlbum=999"), "Album inconnu : 999");
  EXPECT_EQ(Get("op=effacer_tout"), "Op\xE9ration inconnue : effacer_tout");
  EXPECT_EQ(Get("nom=x"), "Op\xE9ration inconnue : ");
}

TEST_F(CatalogueTest, OtherPathsAndMethodsAreRefused) {
  EXPECT_EQ(HttpGet(server_.BaseUrl() + "/application/ripper/nope.php").status, 404);
  EXPECT_EQ(HttpPostForm(CatalogueUrl(server_, "op=trouver_album"), "nom=x").status, 405);
  EXPECT_EQ(HttpGet(TrackUploadUrl(server_)).status, 405);
}

}  // namespace
}  // namespace qm::refserver::test
