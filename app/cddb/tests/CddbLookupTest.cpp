// The CDDB lookup against two reference servers on loopback, one as the freedb
// mirror and one as the MusicBrainz gateway.
#include "app/cddb/CddbLookup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "app/catalogue/tests/support/RecordingWindow.h"
#include "tests/support/RefServer.h"
#include "tests/support/TestSupport.h"

namespace qm::cddb {
namespace {

using Texts = std::vector<std::u16string>;

constexpr char kSampleId[] =
    "920a200b 11 150 17038 37959 53132 72932 87670 108848 128449 146868 160875 177428 2594";
constexpr char kSampleQuery[] =
    "cddb+query+920a200b+11+150+17038+37959+53132+72932+87670+108848+128449+146868+160875+"
    "177428+2594";
constexpr char kTripleId[] = "000b6928 2 150 20000 700";
constexpr char kGatewayId[] = "12345678 1 150 300";

std::string Entry(const std::string& disc_id, const std::string& dtitle,
                  const std::string& titles) {
  return "# xmcd\r\n#\r\nDISCID=" + disc_id + "\r\nDTITLE=" + dtitle +
         "\r\nDYEAR=1985\r\nDGENRE=Chanson\r\n" + titles + "EXTD=\r\nPLAYORDER=\r\n";
}

class ScriptedChooser : public AlbumChooser {
 public:
  int ChoisirAlbum(const std::vector<std::u16string>& titres) override {
    shown.push_back(titres);
    return choose(titres);
  }
  std::function<int(const std::vector<std::u16string>&)> choose = [](const auto&) { return -1; };
  std::vector<std::vector<std::u16string>> shown;
};

class CddbLookupTest : public ::testing::Test {
 protected:
  static void Put(const std::filesystem::path& root, const std::string& category,
                  const std::string& disc_id, const std::string& entry) {
    std::filesystem::create_directories(root / category);
    test::WriteFile(root / category / disc_id, entry);
  }

  void SetUp() override {
    setenv("QM_RETRY_PAUSE_MS", "1", 1);
    Put(freedb_xmcd_.path(), "misc", "920a200b",
        Entry("920a200b", "Les Ogres / Été 85", "TTITLE0=Un\r\nTTITLE1= Deux \r\n"));
    Put(freedb_xmcd_.path(), "rock", "000b6928", Entry("000b6928", "A / Rock", "TTITLE0=r\r\n"));
    Put(freedb_xmcd_.path(), "jazz", "000b6928", Entry("000b6928", "B / Jazz", "TTITLE0=j\r\n"));
    Put(freedb_xmcd_.path(), "blues", "000b6928", Entry("000b6928", "C / Blues", "TTITLE0=b\r\n"));
    Put(gateway_xmcd_.path(), "data", "12345678", Entry("12345678", "Passerelle", "TTITLE0=g\r\n"));
    Configure(freedb_.BaseUrl(), "127.0.0.1:" + std::to_string(gateway_.port()));
  }

  void Configure(const std::string& freedb, const std::string& gateway) {
    test::WriteFile(home_ / "config.ini", "[Param]\r\nserveur_freedb=" + freedb +
                                              "\r\nserveur_musicbrainz=" + gateway + "\r\n");
  }

  std::vector<std::string> Targets(const test::RefServer& server) const {
    std::vector<std::string> targets;
    for (const auto& r : server.Requests()) targets.push_back(r.target);
    return targets;
  }

  bool Logged(const std::u16string& line) const {
    return std::find(window_.log.begin(), window_.log.end(), line) != window_.log.end();
  }

  test::TempDir freedb_xmcd_;
  test::TempDir gateway_xmcd_;
  test::RefServer freedb_{{.xmcd_dir = freedb_xmcd_.path()}};
  test::RefServer gateway_{{.xmcd_dir = gateway_xmcd_.path()}};
  test::TempDir home_;
  test::RecordingWindow window_;
  catalogue::CancelSignal cancel_;
  catalogue::Transport transport_{home_.path(), window_, window_, cancel_};
  ScriptedChooser chooser_;
  CddbLookup lookup_{transport_, chooser_, window_};
  Album album_;
};

std::u16string Ascii(const std::string& s) { return std::u16string(s.begin(), s.end()); }

TEST_F(CddbLookupTest, OneMatchOnFreedbIsReadAndParsed) {
  EXPECT_TRUE(lookup_.rechercher_album_cddb(kSampleId, album_));
  const std::string hello = "&hello=quavermill+ripper+Quavermill+4.0&proto=6";
  const std::string query = "/~cddb/cddb.cgi?cmd=" + std::string(kSampleQuery) + hello;
  const std::string read = "/~cddb/cddb.cgi?cmd=cddb+read+misc+920a200b+" + hello;
  EXPECT_EQ(Targets(freedb_), (std::vector<std::string>{query, read}));
  EXPECT_TRUE(gateway_.Requests().empty());
  ASSERT_GE(window_.log.size(), 6u);
  EXPECT_EQ(window_.log[0], u"Recherche sur freedb");
  EXPECT_EQ(window_.log[1], u"Requete : " + Ascii(freedb_.BaseUrl() + query));
  EXPECT_EQ(window_.log[2], u"Retour : 200 misc 920a200b Les Ogres / Été 85\r\n");
  EXPECT_EQ(window_.log[3], u"Album trouvé");
  EXPECT_EQ(window_.log[4], u"Requete : " + Ascii(freedb_.BaseUrl() + read));
  EXPECT_TRUE(window_.log[5].starts_with(u"Retour : 210 misc 920a200b"));
  EXPECT_EQ(album_.liste_pistes, (Texts{u"Un", u"Deux"}));
  EXPECT_EQ(album_.artiste, u"Les Ogres");
  EXPECT_EQ(album_.nom_album, u"Été 85");
  EXPECT_EQ(album_.genre, u"Chanson");
  EXPECT_EQ(album_.date_edition, u"1985");
  EXPECT_EQ(window_.log.back(), u"\r\nUn\r\nDeux\r\n");
  EXPECT_TRUE(window_.messages.empty());
}

TEST_F(CddbLookupTest, SeveralMatchesReadTheChosenCandidate) {
  chooser_.choose = [](const std::vector<std::u16string>& titles) {
    return static_cast<int>(std::find(titles.begin(), titles.end(), u"B / Jazz") - titles.begin());
  };
  EXPECT_TRUE(lookup_.rechercher_album_cddb(kTripleId, album_));
  ASSERT_EQ(chooser_.shown.size(), 1u);
  EXPECT_EQ(chooser_.shown[0].size(), 3u);
  EXPECT_TRUE(Logged(u"Plusieurs albums trouvés"));
  const auto targets = Targets(freedb_);
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_TRUE(targets[1].starts_with("/~cddb/cddb.cgi?cmd=cddb+read+jazz+000b6928+&hello="));
  EXPECT_EQ(album_.nom_album, u"Jazz");
  EXPECT_EQ(album_.liste_pistes, Texts{u"j"});
}

TEST_F(CddbLookupTest, CancelledChoiceAsksTheGatewayAndNothingFoundEndsWithTheMessage) {
  EXPECT_FALSE(lookup_.rechercher_album_cddb(kTripleId, album_));
  EXPECT_EQ(chooser_.shown.size(), 1u);
  EXPECT_EQ(Targets(freedb_).size(), 1u);
  ASSERT_EQ(gateway_.Requests().size(), 1u);
  EXPECT_TRUE(Logged(u"Recherche sur musicbrainz"));
  EXPECT_TRUE(Logged(u"Aucun album ne correspond"));
  EXPECT_EQ(window_.log.back(),
            u"Aucun autre moteur de recherche, impossible de trouver le nom des pistes.");
  EXPECT_EQ(window_.messages, Texts{kNothingFoundMessage});
  EXPECT_TRUE(album_.liste_pistes.empty());
}

TEST_F(CddbLookupTest, NoMatchOnFreedbFallsBackToTheGatewayWithoutScheme) {
  EXPECT_TRUE(lookup_.rechercher_album_cddb(kGatewayId, album_));
  EXPECT_EQ(Targets(freedb_).size(), 1u);
  const auto targets = Targets(gateway_);
  ASSERT_EQ(targets.size(), 2u);
  EXPECT_TRUE(targets[0].starts_with("/~cddb/cddb.cgi?cmd=cddb+query+12345678+1+150+300&hello="));
  EXPECT_TRUE(targets[1].starts_with("/~cddb/cddb.cgi?cmd=cddb+read+data+12345678+&hello="));
  EXPECT_TRUE(Logged(u"Requete : 127.0.0.1:" + Ascii(std::to_string(gateway_.port())) +
                     u"/~cddb/cddb.cgi?cmd=cddb+query+12345678+1+150+300"
                     u"&hello=quavermill+ripper+Quavermill+4.0&proto=6"));
  EXPECT_EQ(album_.artiste, u"");
  EXPECT_EQ(album_.nom_album, u"Passerelle");
}

TEST_F(CddbLookupTest, ErrorStatusOnBothServersWhenTheDiscCannotBeRead) {
  EXPECT_FALSE(lookup_.rechercher_album_cddb("", album_));
  EXPECT_EQ(std::count(window_.log.begin(), window_.log.end(), u"Serveur indisponible"), 2);
  EXPECT_EQ(window_.messages, Texts{kNothingFoundMessage});
}

TEST_F(CddbLookupTest, ReadReplyThatIsAnErrorIsParsedAndCountsAsFound) {
  album_.nom_album = u"Précédent";
  album_.genre = u"Rock";
  chooser_.choose = [&](const std::vector<std::u16string>&) {
    // The entry disappears between the query and the read.
    std::filesystem::remove_all(freedb_xmcd_ / "rock");
    std::filesystem::remove_all(freedb_xmcd_ / "jazz");
    std::filesystem::remove_all(freedb_xmcd_ / "blues");
    return 0;
  };
  EXPECT_TRUE(lookup_.rechercher_album_cddb(kTripleId, album_));
  EXPECT_TRUE(std::any_of(window_.log.begin(), window_.log.end(),
                          [](const std::u16string& l) { return l.starts_with(u"Retour : 401"); }));
  EXPECT_TRUE(album_.liste_pistes.empty());
  EXPECT_EQ(album_.nom_album, u"Précédent");
  EXPECT_EQ(album_.genre, u"Rock");
  EXPECT_TRUE(gateway_.Requests().empty());
  EXPECT_TRUE(window_.messages.empty());
}

TEST_F(CddbLookupTest, ReplyWithoutANumericStatusEndsTheLookupWithAnError) {
  test::TempDir updates;
  std::filesystem::create_directories(updates / "~cddb");
  test::WriteFile(updates / "~cddb" / "cddb.cgi", "<html>Maintenance</html>");
  test::RefServer page({.updates_dir = updates.path()});
  Configure(page.BaseUrl() + "/up_qm/ripper", "127.0.0.1:" + std::to_string(gateway_.port()));
  try {
    lookup_.rechercher_album_cddb(kSampleId, album_);
    FAIL() << "no error raised";
  } catch (const CddbReplyError& e) {
    EXPECT_STREQ(e.what(), "''<ht'' n'est pas une valeur entière valide");
  }
  EXPECT_TRUE(gateway_.Requests().empty());
}

TEST_F(CddbLookupTest, RepliesShorterThanAStatusAndARemainder) {
  // A number alone is a status with nothing after it; no number is the error.
  EXPECT_FALSE(lookup_.traiter_reponse_cddb(u"5", freedb_.BaseUrl(), album_));
  EXPECT_FALSE(lookup_.traiter_reponse_cddb(u"202", freedb_.BaseUrl(), album_));
  EXPECT_EQ(window_.log, (Texts{u"Serveur indisponible", u"Aucun album ne correspond"}));
  try {
    lookup_.traiter_reponse_cddb(u"", freedb_.BaseUrl(), album_);
    FAIL() << "no error raised";
  } catch (const CddbReplyError& e) {
    EXPECT_STREQ(e.what(), "'''' n'est pas une valeur entière valide");
  }
  EXPECT_TRUE(freedb_.Requests().empty());
}

TEST(CddbServers, DefaultsWithoutSettings) {
  test::TempDir home;
  const CddbServers servers = LireServeursCddb(home / "config.ini");
  EXPECT_EQ(servers.freedb, "http://gnudb.gnudb.org");
  EXPECT_EQ(servers.musicbrainz, "freedb.musicbrainz.org:80");
  EXPECT_EQ(CddbUrl("http://h", "cddb+read+misc+1+"),
            "http://h/~cddb/cddb.cgi?cmd=cddb+read+misc+1+&hello=quavermill+ripper+Quavermill+4.0"
            "&proto=6");
}

}  // namespace
}  // namespace qm::cddb
