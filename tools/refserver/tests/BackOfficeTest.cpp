// The back office over loopback: the album list and the creation form.
#include <gtest/gtest.h>

#include "tests/support/RefServer.h"
#include "tools/refserver/tests/HttpTestClient.h"
#include "tools/refserver/tests/RefServerTestUtil.h"

namespace qm::refserver::test {
namespace {

using qm::test::RefServer;

class BackOfficeTest : public ::testing::Test {
 protected:
  std::string EditorUrl() const {
    return server_.BaseUrl() + "/quavermill_backoffice/audio_edit_album.php";
  }
  RefServer server_{{.seed = "album Premier\nid P1\ntrack Intro\navailable\n"}};
};

TEST_F(BackOfficeTest, CreatedAlbumIsListedAndFoundByTheCataloguePage) {
  // The form posts UTF-8: "Les Étés <live>", barcodes on lines with blanks around.
  const HttpReply created = HttpPostForm(
      EditorUrl(), "nom_album=Les+%C3%89t%C3%A9s+%3Clive%3E&codes_barres=+123+%0D%0A%0D%0A456%0A");
  EXPECT_EQ(created.status, 303);

  const auto albums =
      ParseAlbumList(HttpGet(CatalogueUrl(server_, "op=trouver_album&nom=%E9t%E9s")).body);
  ASSERT_EQ(albums.size(), 1u);
  EXPECT_EQ(albums[0].nom_album, "Les \xC3\x89t\xC3\xA9s <live>");
  EXPECT_EQ(albums[0].nb_piste, "0");
  EXPECT_EQ(ParseBarcodeList(
                HttpGet(CatalogueUrl(server_, "op=trouver_codeBarre&idAlbum=" + albums[0].id_album))
                    .body),
            (std::vector<std::string>{"123", "456"}));

  const HttpReply page = HttpGet(EditorUrl() + "?cree=" + albums[0].id_album);
  EXPECT_EQ(page.content_type, "text/html; charset=UTF-8");
  EXPECT_NE(page.body.find("<td>Les \xC3\x89t\xC3\xA9s &lt;live&gt;</td><td>123<br>456</td>"
                           "<td>non</td><td>aucune</td>"),
            std::string::npos)
      << page.body;
  EXPECT_NE(page.body.find("<td>P1</td><td>Premier</td><td></td><td>oui</td>"
                           "<td><ol><li value=\"1\">Intro (sans fichier)</li></ol></td>"),
            std::string::npos);
  EXPECT_NE(page.body.find("<form method=\"post\" action=\"audio_edit_album.php\""),
            std::string::npos);
}

TEST_F(BackOfficeTest, InvalidNameIsRefusedWithTheFormAndNothingCreated) {
  for (const char* body : {"nom_album=+++", "codes_barres=1", "nom_album=A%01B",
                           "nom_album=%FF%FE", "nom_album=A%EF%BF%BF"}) {
    const HttpReply reply = HttpPostForm(EditorUrl(), body);
    EXPECT_EQ(reply.status, 400) << body;
    EXPECT_NE(reply.body.find("class=\"erreur\""), std::string::npos) << body;
  }
  const std::string xml = server_.CatalogueXml();
  EXPECT_EQ(xml.find("cle=\"2\""), std::string::npos) << xml;
}

TEST_F(BackOfficeTest, CoverPageServesTheUploadedPicture) {
  const std::string url = server_.BaseUrl() + "/quavermill_backoffice/jaquette.php?id_album=P1";
  EXPECT_EQ(HttpGet(url).status, 404);
  const std::string picture = "\x89PNG\r\n\x1A\n picture";
  ASSERT_EQ(HttpPost(CoverUploadUrl(server_), kMultipartType,
                     MultipartBody({{"id_album", "P1"}, {"file", picture, "cover.png"}}))
                .body,
            "1");
  const HttpReply cover = HttpGet(url);
  EXPECT_EQ(cover.content_type, "image/png");
  EXPECT_EQ(cover.body, picture);
  EXPECT_NE(HttpGet(EditorUrl()).body.find("<img src=\"jaquette.php?id_album=P1\""),
            std::string::npos);
}

}  // namespace
}  // namespace qm::refserver::test
