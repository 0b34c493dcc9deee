#include "app/update/Recup.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/update/ZipExtraction.h"
#include "app/update/tests/ZipFixture.h"
#include "tests/support/TestSupport.h"

namespace qm::update {
namespace {

TEST(CompareVersion, FirstDifferingComponentDecidesByNumericValue) {
  struct Case {
    const char* v1;
    const char* v2;
    int32_t result;
  };
  const Case cases[] = {
      {"4.0.0.6", "4.0.0.5", 0}, {"4.1.0.0", "4.0.9.9", 0},  {"4.0.0.10", "4.0.0.9", 0},
      {"4.0.0.5", "4.0.0.5", 1}, {"3.9.9.9", "4.0.0.0", 1},  {"4.0.0.4", "4.0.0.5", 1},
      {"5", "4.0.0.5", 0},       {"4", "4.0.0.5", 1},        {"4.1", "4.0.0.5", 0},
      {"4.0.0", "4.0.0.5", 1},   {"04.0.0.6", "4.0.0.5", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TRecup::compare_version(c.v1, c.v2), c.result) << c.v1 << " " << c.v2;
  }
}

TEST(CompareVersion, UncomparableVersionsRaiseAnError) {
  for (const auto& [v1, v2] : std::vector<std::pair<std::string, std::string>>{
           {"4.0.x.6", "4.0.0.5"},    // not a number
           {"", "4.0.0.5"},           // an empty component
           {"4.0.0.6", "4.0.0.b"},    // the running version's component
           {"4.0.0.5.1", "4.0.0.5"},  // more components, the others equal
           {"4.0.0.5", "4.0"}}) {     // the running version runs out
    EXPECT_THROW(TRecup::compare_version(v1, v2), VersionError) << v1 << " " << v2;
  }
  // The offered version's component is read first: it is the one named when both
  // are wrong.
  for (const auto& [v1, v2] :
       std::vector<std::pair<std::string, std::string>>{{"4.a", "4.0"}, {"a.0", "b.0"}}) {
    try {
      TRecup::compare_version(v1, v2);
      ADD_FAILURE() << "no error for " << v1 << " " << v2;
    } catch (const VersionError& e) {
      EXPECT_STREQ(e.what(), "''a'' n'est pas une valeur entière valide") << v1 << " " << v2;
    }
  }
}

TEST(CompareVersion, ErrorTextShowsAnEightBitComponentAsUtf8) {
  try {
    TRecup::compare_version("4.\xE9", "4.0");
    ADD_FAILURE() << "no error";
  } catch (const VersionError& e) {
    EXPECT_STREQ(e.what(), "''\xC3\xA9'' n'est pas une valeur entière valide");
  }
}

TEST(RenvoiFichier, PartAfterTheLastSlash) {
  EXPECT_EQ(TRecup::renvoi_fichier("http://h/up_qm/ripper/ripperaction.zip"), "ripperaction.zip");
  EXPECT_EQ(TRecup::renvoi_fichier("http://h/up_qm/"), "");
  EXPECT_EQ(TRecup::renvoi_fichier("noslash"), "");
}

TEST(ExtractedName, DropsFolderNamesAndRefusesEmptyOrDotNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"ripperaction.lst", "ripperaction.lst"},
      {"dir/sub/ripperaction.lst", "ripperaction.lst"},
      {"../x", "x"},
      {"/etc/passwd", "passwd"},
      {"C:\\Windows\\evil.dll", "evil.dll"},
      {"folder/", ""},
      {"", ""},
      {"..", ""},
      {"a/..", ""},
      {".", ""},
  };
  for (const auto& [entry, name] : cases) EXPECT_EQ(ExtractedName(entry), name) << entry;
}

class UpdateFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_tmpdir_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    setenv("TMPDIR", temp_.path().c_str(), 1);
  }
  void TearDown() override {
    if (saved_tmpdir_.empty())
      unsetenv("TMPDIR");
    else
      setenv("TMPDIR", saved_tmpdir_.c_str(), 1);
  }
  std::filesystem::path Temp(const std::string& name) const { return temp_ / name; }

  test::TempDir outside_;
  test::TempDir temp_;
  std::string saved_tmpdir_;
};

TEST_F(UpdateFolderTest, TemporaryFolderEndsWithASeparator) {
  EXPECT_EQ(TRecup::renvoi_dossier_temp(), temp_.path().string() + "/");
}

TEST_F(UpdateFolderTest, ExtractionWritesOnlyInsideTheFolderWhateverTheNames) {
  std::filesystem::create_directory(temp_ / "sub");
  test::WriteFile(outside_ / "target", "outside");
  // A link planted in the folder is replaced, not written through.
  std::filesystem::create_symlink(outside_ / "target", temp_ / "linked");
  test::WriteFile(Temp("ripperaction.lst"), "old");
  test::WriteZip(Temp("a.zip"), {{"ripper/ripperaction.lst", "4.0.0.6\r\n"},
                                 {"../escape", "e"},
                                 {"/tmp/absolute", "a"},
                                 {"win\\path\\file.dll", "w"},
                                 {"folder/", ""},
                                 {"linked", "new"},
                                 {"../../outside", "o"}});
  TRecup recup;
  EXPECT_EQ(recup.Dezippe("a.zip"), 0);
  EXPECT_EQ(test::ReadFile(Temp("ripperaction.lst")), "4.0.0.6\r\n");
  EXPECT_EQ(test::ReadFile(Temp("escape")), "e");
  EXPECT_EQ(test::ReadFile(Temp("absolute")), "a");
  EXPECT_EQ(test::ReadFile(Temp("file.dll")), "w");
  EXPECT_EQ(test::ReadFile(Temp("outside")), "o");
  EXPECT_FALSE(std::filesystem::is_symlink(Temp("linked")));
  EXPECT_EQ(test::ReadFile(Temp("linked")), "new");
  EXPECT_EQ(test::ReadFile(outside_ / "target"), "outside");
  EXPECT_FALSE(std::filesystem::exists(temp_.path().parent_path() / "escape"));
  EXPECT_FALSE(std::filesystem::exists(Temp("folder")));
}

TEST_F(UpdateFolderTest, NotAZipOrMissingArchiveFails) {
  test::WriteFile(Temp("bad.zip"), "<html>404</html>");
  TRecup recup;
  EXPECT_EQ(recup.Dezippe("bad.zip"), 1);
  EXPECT_EQ(recup.Dezippe("none.zip"), 1);
}

TEST_F(UpdateFolderTest, RecupInfoReadsTheFirstLineOfTheListFile) {
  TRecup recup;
  recup.nom_code_application = "ripper";
  recup.numero_de_version_de_lappli = "4.0.0.5";
  EXPECT_FALSE(recup.RecupInfo());  // no list file
  std::filesystem::create_directory(Temp("ripperaction.lst"));
  EXPECT_FALSE(recup.RecupInfo());  // a folder is no list file
  std::filesystem::remove(Temp("ripperaction.lst"));
  test::WriteFile(Temp("ripperaction.lst"), "4.0.0.6\r\nfiles\r\n");
  EXPECT_TRUE(recup.RecupInfo());
  test::WriteFile(Temp("ripperaction.lst"), "4.0.0.5\n");
  EXPECT_FALSE(recup.RecupInfo());
  test::WriteFile(Temp("ripperaction.lst"), "version 5\r\n");
  EXPECT_THROW(recup.RecupInfo(), VersionError);
}

}  // namespace
}  // namespace qm::update
