// The update folder over loopback.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "tests/support/RefServer.h"
#include "tests/support/TestSupport.h"
#include "tools/refserver/tests/HttpTestClient.h"

namespace qm::refserver::test {
namespace {

using qm::test::RefServer;
using qm::test::TempDir;
using qm::test::WriteFile;

TEST(UpdateFolderTest, ServesItsFilesExactlyAndNothingOutsideIt) {
  TempDir root;
  const auto updates = root / "updates";
  std::filesystem::create_directories(updates / "sub");
  std::string archive(300000, '\0');  // several chunks of the streamed reply
  std::mt19937 random(7);
  for (char& c : archive) c = static_cast<char>(random());
  WriteFile(updates / "ripperaction.zip", archive);
  WriteFile(updates / "sub" / "notes.txt", "in a subfolder");
  WriteFile(root / "secret.txt", "outside");
  std::filesystem::create_symlink(root / "secret.txt", updates / "link.txt");

  RefServer server({.updates_dir = updates});
  const std::string base = server.BaseUrl() + "/up_qm/ripper/";
  const HttpReply zip = HttpGet(base + "ripperaction.zip");
  EXPECT_EQ(zip.status, 200);
  EXPECT_EQ(zip.content_type, "application/zip");
  EXPECT_EQ(zip.body, archive);
  EXPECT_EQ(HttpGet(base + "sub/notes.txt").body, "in a subfolder");

  for (const char* name : {"missing.zip", "sub", "sub/", "", "%2E%2E/secret.txt",
                           "sub/%2E%2E/%2E%2E/secret.txt", "link.txt", "sub//notes.txt"})
    EXPECT_EQ(HttpGet(base + name).status, 404) << name;
}

TEST(UpdateFolderTest, WithoutAFolderEveryFileIsMissing) {
  RefServer server;
  EXPECT_EQ(HttpGet(server.BaseUrl() + "/up_qm/ripper/ripperaction.zip").status, 404);
}

}  // namespace
}  // namespace qm::refserver::test
