// The catalogue queries and uploads against the reference server on loopback.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/catalogue/CatalogueQueries.h"
#include "app/catalogue/Uploads.h"
#include "app/catalogue/tests/support/RecordingWindow.h"
#include "tests/support/RefServer.h"
#include "tests/support/TestSupport.h"

namespace qm::catalogue {
namespace {

using Texts = std::vector<std::u16string>;

constexpr char kSeed[] =
    "album Été 85\nid 12\nbarcode 3760123450012\nbarcode 97é\ntrack Un\ntrack Deux\n"
    "album ÉTÉ 85 (live)\nid a&b\n"
    "album Autre chose\nid 30\n";

constexpr char kPage[] = "/application/ripper/audio_fonction_ripper.php?op=";

bool IsCacheBuster(const std::string& digits) {
  return !digits.empty() && digits.size() <= 7 &&
         digits.find_first_not_of("0123456789") == std::string::npos &&
         (digits.size() == 1 || digits[0] != '0');
}

class CatalogueServerTest : public ::testing::Test {
 protected:
  void SetUp() override { setenv("QM_RETRY_PAUSE_MS", "1", 1); }

  // The one request the server received, its target checked and returned without
  // the "&rand=" number.
  std::string OnlyTarget() {
    const auto requests = server_.Requests();
    EXPECT_EQ(requests.size(), 1u);
    if (requests.empty()) return "";
    const std::string& target = requests.back().target;
    const size_t rand = target.rfind("&rand=");
    EXPECT_NE(rand, std::string::npos) << target;
    EXPECT_TRUE(IsCacheBuster(target.substr(rand + 6))) << target;
    server_.ClearRequests();
    return target.substr(0, rand);
  }

  test::RefServer server_{{.seed = kSeed}};
  test::TempDir home_;
  test::RecordingWindow window_;
  CancelSignal cancel_;
  Transport transport_{home_.path(), window_, window_, cancel_};
  CatalogueQueries queries_{transport_, server_.BaseUrl()};
  TabAlbumQM tableau_album_{AlbumQM{u"old", u"old", 1}};
};

TEST_F(CatalogueServerTest, SearchListsTheMatchingAlbumsInReplyOrder) {
  window_.searched_name = u"été 85";
  queries_.rechercher_album_serveur(u"été 85", tableau_album_, window_, window_);
  ASSERT_EQ(tableau_album_.size(), 2u);
  EXPECT_EQ(tableau_album_[0].id_album, u"12");
  EXPECT_EQ(tableau_album_[0].nom_album, u"Été 85");
  EXPECT_EQ(tableau_album_[0].nb_piste, 2);
  EXPECT_EQ(tableau_album_[1].id_album, u"a&b");
  EXPECT_EQ(tableau_album_[1].nom_album, u"ÉTÉ 85 (live)");
  EXPECT_EQ(tableau_album_[1].nb_piste, 0);
  EXPECT_TRUE(window_.messages.empty());
  EXPECT_TRUE(window_.rip_button_enabled);

  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].version, "HTTP/1.0");
  EXPECT_EQ(requests[0].Header("User-Agent"), "Mozilla/4.0 (compatible; ICS)");
  EXPECT_EQ(requests[0].Header("Accept"),
            "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
  EXPECT_EQ(OnlyTarget(), std::string(kPage) + "trouver_album&nom=%E9t%E9+85");
}

TEST_F(CatalogueServerTest, SearchWithoutMatchDisablesRipAndWarnsOnlyWhenANameWasTyped) {
  window_.searched_name = u"Inconnu";
  queries_.rechercher_album_serveur(u"Inconnu", tableau_album_, window_, window_);
  EXPECT_TRUE(tableau_album_.empty());
  EXPECT_EQ(window_.messages, Texts{kNoAlbumMessage});
  EXPECT_FALSE(window_.rip_button_enabled);

  window_.messages.clear();
  window_.rip_button_enabled = true;
  window_.searched_name = u"";
  queries_.rechercher_album_serveur(u"", tableau_album_, window_, window_);
  EXPECT_TRUE(tableau_album_.empty());
  EXPECT_TRUE(window_.messages.empty());
  EXPECT_FALSE(window_.rip_button_enabled);
}

TEST_F(CatalogueServerTest, ChosenAlbumBringsItsBarcodesAndCoverSearchText) {
  queries_.rechercher_album_serveur(u"85", tableau_album_, window_, window_);
  server_.ClearRequests();
  window_.selected_album = 0;
  queries_.ComboBoxEx_liste_albumChange(tableau_album_, window_);
  EXPECT_EQ(window_.barcodes, (Texts{u"3760123450012", u"97é"}));
  EXPECT_EQ(window_.cover_search_text, u"Été 85");
  EXPECT_EQ(OnlyTarget(), std::string(kPage) + "trouver_codeBarre&idAlbum=12");

  // The identifier goes unencoded: "&" splits it and the server knows no album "a".
  window_.selected_album = 1;
  queries_.ComboBoxEx_liste_albumChange(tableau_album_, window_);
  EXPECT_TRUE(window_.barcodes.empty());
  EXPECT_EQ(window_.cover_search_text, u"ÉTÉ 85 (live)");
  EXPECT_EQ(OnlyTarget(), std::string(kPage) + "trouver_codeBarre&idAlbum=a&b");

  window_.selected_album = -1;
  queries_.ComboBoxEx_liste_albumChange(tableau_album_, window_);
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(CatalogueServerTest, MakingAnAlbumAvailableEncodesItsIdentifier) {
  queries_.rendre_album_disponible(u"a&b");
  EXPECT_EQ(OnlyTarget(), std::string(kPage) + "rendre_dispo_album&idAlbum=a%26b");
  EXPECT_EQ(queries_.UrlCreerNouvelAlbum(),
            server_.BaseUrl() + "/quavermill_backoffice/audio_edit_album.php");
}

TEST_F(CatalogueServerTest, RetriesThroughAServerErrorAndADroppedConnection) {
  server_.SetFaults(1, 1);
  queries_.rechercher_album_serveur(u"autre", tableau_album_, window_, window_);
  ASSERT_EQ(tableau_album_.size(), 1u);
  EXPECT_EQ(tableau_album_[0].id_album, u"30");
  EXPECT_EQ(window_.log,
            (Texts{kWaitingMessage, kWaitingMessage, u"suppresion fichier requete_en_cours "}));
  EXPECT_FALSE(std::filesystem::exists(transport_.MarkerFile()));
  EXPECT_EQ(window_.caption, u"Quavermill Ripper 4.0.0.5");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  // The server spends its dropped connection and its error reply in its own order.
  EXPECT_EQ(requests[0].status + requests[1].status, 500);
  EXPECT_EQ(requests[0].status * requests[1].status, 0);
  EXPECT_EQ(requests[2].status, 200);
  EXPECT_EQ(requests[0].target, requests[2].target);
  EXPECT_EQ(requests[1].target, requests[2].target);
}

TEST_F(CatalogueServerTest, UploadsAreAcceptedAndRecorded) {
  test::WriteFile(home_ / "Track3.mp3", std::string(100000, '\x11'));
  test::WriteFile(home_ / "jaquette.jpg", "\xFF\xD8\xFF\xE0 cover");
  Uploads uploads(transport_, server_.BaseUrl(), window_);
  uploads.envoyer_piste(u"12", 3, u"Été 85 / live", home_ / "Track3.mp3");
  uploads.envoyer_jaquette(u"12", home_ / "jaquette.jpg");
  uploads.envoyer_piste(u"999", 1, u"Perdu", home_ / "Track3.mp3");
  ASSERT_EQ(window_.log.size(), 3u);
  EXPECT_EQ(window_.log[0], u"Été 85 / live - envoi terminé");
  EXPECT_EQ(window_.log[1], u"jaquette.jpg - envoi terminé");
  EXPECT_TRUE(window_.log[2].starts_with(u"Perdu - erreur d'envoi"));
  EXPECT_GT(window_.log[2].size(), std::u16string(u"Perdu - erreur d'envoi").size());
  EXPECT_NE(server_.CatalogueXml().find("Été 85 / live"), std::string::npos);

  queries_.rechercher_album_serveur(u"Été 85", tableau_album_, window_, window_);
  ASSERT_FALSE(tableau_album_.empty());
  EXPECT_EQ(tableau_album_[0].nb_piste, 3);
}

}  // namespace
}  // namespace qm::catalogue
