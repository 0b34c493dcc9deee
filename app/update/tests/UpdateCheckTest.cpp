// The update check against the reference server's update folder on loopback.
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/update/Recup.h"
#include "app/update/tests/ZipFixture.h"
#include "tests/support/RefServer.h"
#include "tests/support/TestSupport.h"

namespace qm::update {
namespace {

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TMPDIR", temp_.path().c_str(), 1);
    test::WriteFile(program_ / kUpdaterName, "#!/bin/sh\n");
  }
  void TearDown() override { unsetenv("TMPDIR"); }

  void Offer(const std::string& version, const std::string& list_name = "ripperaction.lst") {
    test::WriteZip(updates_ / "ripperaction.zip",
                   {{list_name, version + "\r\nupdater\r\n"}, {"bin/Qm_ripper", "new program"}});
  }
  bool Check(const std::string& running) {
    return verifier_mise_a_jour(running, "127.0.0.1:" + std::to_string(server_.port()),
                                program_.path().string() + "/");
  }

  test::TempDir temp_;
  test::TempDir updates_;
  test::TempDir program_;
  test::RefServer server_{{.updates_dir = updates_.path()}};
};

TEST_F(UpdateCheckTest, NewerVersionWithTheUpdaterPresent) {
  Offer("4.0.0.6");
  EXPECT_TRUE(Check("4.0.0.5"));
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, "/up_qm/ripper/ripperaction.zip");
  // The extracted files stay for the update program; the archive is gone.
  EXPECT_EQ(test::ReadFile(temp_ / "ripperaction.lst"), "4.0.0.6\r\nupdater\r\n");
  EXPECT_EQ(test::ReadFile(temp_ / "Qm_ripper"), "new program");
  EXPECT_FALSE(std::filesystem::exists(temp_ / "ripperaction.zip"));

  std::filesystem::remove(program_ / kUpdaterName);
  EXPECT_FALSE(Check("4.0.0.5"));
}

TEST_F(UpdateCheckTest, OfferedVersionAgainstTheRunningOne) {
  struct Case {
    const char* offered;
    const char* running;
    bool update;
  };
  const Case cases[] = {{"4.0.0.5", "4.0.0.5", false},
                        {"3.9.9.9", "4.0.0.0", false},
                        {"4.0.0.10", "4.0.0.9", true},
                        {"4.1.0.0", "4.0.9.9", true}};
  for (const Case& c : cases) {
    Offer(c.offered);
    EXPECT_EQ(Check(c.running), c.update) << c.offered << " over " << c.running;
  }
}

TEST_F(UpdateCheckTest, ListFileInsideAFolderIsStillFound) {
  Offer("4.0.0.6", "ripper/files/ripperaction.lst");
  EXPECT_TRUE(Check("4.0.0.5"));
}

TEST_F(UpdateCheckTest, MissingArchiveLeavesTheEarlierListFileToDecide) {
  EXPECT_FALSE(Check("4.0.0.5"));  // nothing on the server, no list file
  test::WriteFile(temp_ / "ripperaction.lst", "4.0.0.7\r\n");
  EXPECT_TRUE(Check("4.0.0.5"));
  EXPECT_EQ(server_.Requests().back().status, 404);
}

TEST_F(UpdateCheckTest, ReplyThatIsNotAZipIsDeletedAndGivesNoUpdate) {
  test::WriteFile(updates_ / "ripperaction.zip", "<html>maintenance</html>");
  EXPECT_FALSE(Check("4.0.0.5"));
  EXPECT_FALSE(std::filesystem::exists(temp_ / "ripperaction.zip"));
  TRecup recup;
  EXPECT_EQ(recup.Download_fichier_vers_temp("<adresse_serveur>/up_qm/ripper/ripperaction.zip",
                                             "127.0.0.1:" + std::to_string(server_.port())),
            1);
}

TEST_F(UpdateCheckTest, UncomparableOfferedVersionRaisesAnError) {
  Offer("4.0.0.5.1");
  EXPECT_THROW(Check("4.0.0.5"), VersionError);
  Offer("v4");
  EXPECT_THROW(Check("4.0.0.5"), VersionError);
}

TEST_F(UpdateCheckTest, ServerThatCannotBeReachedGivesNoUpdate) {
  server_.Stop();
  EXPECT_FALSE(Check("4.0.0.5"));
}

}  // namespace
}  // namespace qm::update
