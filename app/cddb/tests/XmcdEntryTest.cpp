#include "app/cddb/XmcdEntry.h"

#include <gtest/gtest.h>

#include "app/catalogue/tests/support/RecordingWindow.h"
#include "app/cddb/AlbumChooser.h"

namespace qm::cddb {
namespace {

using Titles = std::vector<std::u16string>;

class XmcdEntryTest : public ::testing::Test {
 protected:
  Album Parse(const std::u16string& entry) {
    analyser_fiche_cddb(entry, album_, window_);
    return album_;
  }
  Album album_;
  test::RecordingWindow window_;
};

TEST_F(XmcdEntryTest, ReadsAFullEntryAndLogsIt) {
  album_.compositeur = u"old";
  const Album a = Parse(
      u"# xmcd\r\n#\r\nDISCID=920a200b\r\nDTITLE=Les Ogres / Été 85\r\nDYEAR=1985\r\n"
      u"DGENRE= Chanson \r\nTTITLE0=  Première  \r\nTTITLE1=Deux\r\nTTITLE2=Trois / live\r\n"
      u"EXTD=\r\nEXTT0=\r\nPLAYORDER=\r\n");
  EXPECT_EQ(a.liste_pistes, (Titles{u"Première", u"Deux", u"Trois / live"}));
  EXPECT_EQ(a.artiste, u"Les Ogres");
  EXPECT_EQ(a.nom_album, u"Été 85");
  EXPECT_EQ(a.genre, u"Chanson");
  EXPECT_EQ(a.date_edition, u"1985");
  EXPECT_EQ(a.compositeur, u"");
  EXPECT_EQ(window_.log, (Titles{u"Genre :Chanson", u"Nom artiste :Les Ogres", u"Nom album :Été 85",
                                 u"Année:1985", u"\r\nPremière\r\nDeux\r\nTrois / live\r\n"}));
}

TEST_F(XmcdEntryTest, TitlesStopAtTheFirstMissingNumberAndKeepOnlyTheFirstLine) {
  std::u16string entry;
  for (int i = 0; i <= 9; ++i) {
    const std::string n = std::to_string(i);
    entry += u"TTITLE" + std::u16string(n.begin(), n.end()) + u"=t" +
             std::u16string(n.begin(), n.end()) + u"\r\n";
  }
  entry += u"TTITLE3=continued\r\nTTITLE11=eleven\r\n";
  const Album a = Parse(entry);
  ASSERT_EQ(a.liste_pistes.size(), 10u);
  EXPECT_EQ(a.liste_pistes[3], u"t3");
  EXPECT_EQ(a.liste_pistes[9], u"t9");
}

TEST_F(XmcdEntryTest, AppendsToTheListAndStopsAt999Titles) {
  album_.liste_pistes = {u"earlier"};
  std::u16string entry;
  for (int i = 0; i < 1005; ++i) {
    const std::string n = std::to_string(i);
    entry += u"TTITLE" + std::u16string(n.begin(), n.end()) + u"=x\r\n";
  }
  EXPECT_EQ(Parse(entry).liste_pistes.size(), 1u + kMaxTitles);
}

TEST_F(XmcdEntryTest, DtitleForms) {
  struct Case {
    std::u16string value;
    std::u16string artiste;
    std::u16string nom_album;
  };
  const Case cases[] = {
      {u"Artist / Album", u"Artist", u"Album"},
      {u"X/Y / Live", u"X", u"Y / Live"},               // cut at the first slash
      {u" Only an album  ", u"", u" Only an album  "},  // no slash: the value as it stands
      {u"/", u"", u""},
  };
  for (const Case& c : cases) {
    album_.artiste = u"previous";
    const Album a = Parse(u"DTITLE=" + c.value + u"\r\nDYEAR=\r\n");
    EXPECT_EQ(a.artiste, c.artiste);
    EXPECT_EQ(a.nom_album, c.nom_album);
    EXPECT_EQ(a.date_edition, u"");  // "DYEAR=" with nothing after it
  }
}

TEST_F(XmcdEntryTest, MissingKeysKeepThePreviousValuesAndAnErrorPageAddsNothing) {
  album_ = {{}, {}, u"Rock", u"Old Artist", u"Old Album", u"1999", u"c"};
  const Album a = Parse(u"401 permission denied.\r\n");
  EXPECT_TRUE(a.liste_pistes.empty());
  EXPECT_EQ(a.genre, u"Rock");
  EXPECT_EQ(a.artiste, u"Old Artist");
  EXPECT_EQ(a.nom_album, u"Old Album");
  EXPECT_EQ(a.date_edition, u"1999");
  EXPECT_EQ(a.compositeur, u"");
}

TEST_F(XmcdEntryTest, ValuesEndAtAnyLineBreakOrAtTheEnd) {
  const Album a = Parse(u"DTITLE=A / B\nDYEAR=2001\rTTITLE0=one\nTTITLE1=two");
  EXPECT_EQ(a.artiste, u"A");
  EXPECT_EQ(a.nom_album, u"B");
  EXPECT_EQ(a.date_edition, u"2001");
  EXPECT_EQ(a.liste_pistes, (Titles{u"one", u"two"}));
}

TEST(ListerAlbums, TitlesOfTheCandidateLines) {
  struct Case {
    std::u16string chaine_albums;
    Titles titles;
  };
  const Case cases[] = {
      {u"Found inexact matches, list follows (until terminating `.)\r\n"
       u"rock 000b6928 Some Artist / Some Title\r\n.",
       {u"Some Artist / Some Title"}},
      {u"header\nmisc 1 A  /  B  \rdata 2 C\r\n.\r\n", {u"A  /  B", u"C"}},
      {u"header\r\nnospace\r\none space\r\n.", {u"nospace", u"space"}},
      {u"header\r\n.", {}},
      {u"only one line", {}},
      {u"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ListerAlbums(c.chaine_albums), c.titles);
}

}  // namespace
}  // namespace qm::cddb
