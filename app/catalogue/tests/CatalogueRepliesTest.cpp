#include "app/catalogue/CatalogueReplies.h"

#include <gtest/gtest.h>

#include "app/catalogue/WireText.h"

namespace qm::catalogue {
namespace {

TEST(AlbumList, RecordsInOrderWithUtf8NamesAndLenientTrackCounts) {
  // Bytes as the server sends them: UTF-8 names, decoded 8-bit by the transport.
  const std::u16string reply = flux_vers_chaine(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<albums>\n"
      "  <album><id_album>12</id_album><nom_album>\xC3\x89t\xC3\xA9 \xE2\x82\xAC</nom_album>"
      "<nb_piste>7</nb_piste></album>\n"
      "  <x><nb_piste></nb_piste><nom_album>B&amp;C</nom_album><id_album>a b</id_album></x>\n"
      "  <album><id_album>3</id_album><nom_album>Caf&#233;</nom_album><nb_piste>abc</nb_piste>"
      "</album>\n"
      "  <album/>\n"
      "</albums>");
  const TabAlbumQM albums = ParseAlbumList(reply);
  ASSERT_EQ(albums.size(), 4u);
  EXPECT_EQ(albums[0].id_album, u"12");
  EXPECT_EQ(albums[0].nom_album, u"Été €");
  EXPECT_EQ(albums[0].nb_piste, 7);
  EXPECT_EQ(albums[1].id_album, u"a b");
  EXPECT_EQ(albums[1].nom_album, u"B&C");
  EXPECT_EQ(albums[1].nb_piste, 0);
  EXPECT_EQ(albums[2].nom_album, u"Caf\uFFFD");  // a lone byte after the UTF-8 step
  EXPECT_EQ(albums[2].nb_piste, 0);
  EXPECT_EQ(albums[3].id_album, u"");
  EXPECT_EQ(albums[3].nom_album, u"");
}

TEST(AlbumList, EncodingDeclarationHasNoEffectAndEmptyListIsEmpty) {
  EXPECT_TRUE(ParseAlbumList(u"<r>\r\n  \r\n</r>").empty());
  EXPECT_TRUE(ParseAlbumList(u"<?xml version=\"1.0\"?>\r\n<!-- c -->\r\n<r/>\r\n").empty());
  const TabAlbumQM albums = ParseAlbumList(flux_vers_chaine(
      "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r><a><nom_album>\xC3\xA9</nom_album>"
      "</a></r>"));
  ASSERT_EQ(albums.size(), 1u);
  EXPECT_EQ(albums[0].nom_album, u"é");
}

TEST(BarcodeList, TakesCodeBarreOfEveryRecord) {
  const auto codes = ParseBarcodeList(
      flux_vers_chaine("<codes><c><code_barre>3421</code_barre></c><c><autre>x</autre></c>"
                       "<c><code_barre><![CDATA[97\xC3\xA9]]></code_barre></c></codes>"));
  EXPECT_EQ(codes, (std::vector<std::u16string>{u"3421", u"", u"97é"}));
}

TEST(CatalogueReplies, ReplyThatIsNotXmlRaisesAnError) {
  for (const char16_t* reply :
       {u"", u"Fatal error: database down", u"<a><b></a>", u"<html><body>500</body>", u"\u0000",
        u"<br />\n<b>Warning</b>: mysql_connect() failed<br />\n<albums><a/></albums>",
        u"<albums><a/></albums>\nWarning", u"Warning<albums><a/></albums>", u"<a/><b/>"}) {
    EXPECT_THROW(ParseAlbumList(reply), CatalogueReplyError);
    EXPECT_THROW(ParseBarcodeList(reply), CatalogueReplyError);
  }
}

}  // namespace
}  // namespace qm::catalogue
