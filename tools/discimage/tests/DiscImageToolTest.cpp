#include <gtest/gtest.h>

#include "tests/support/DiscImage.h"
#include "tests/support/TestSupport.h"

namespace qm::discimage {
namespace {

TEST(DiscImageToolTest, WritesTheCueSheetAndABinOfTheWholeDisc) {
  test::TempDir dir;
  const auto cue = test::MakeDiscImage(dir.path(), "disc",
                                       {"--starts", "182,400,1000", "--leadout", "1150", "--data", "3"});
  EXPECT_EQ(test::ReadFile(cue),
            "FILE \"disc.bin\" BINARY\n"
            "  TRACK 01 AUDIO\n    INDEX 01 00:00:32\n"
            "  TRACK 02 AUDIO\n    INDEX 01 00:03:25\n"
            "  TRACK 03 MODE1/2352\n    INDEX 01 00:11:25\n");
  const std::string bin = test::ReadFile(dir / "disc.bin");
  ASSERT_EQ(bin.size(), 1000u * test::kSectorBytes);
  const std::string sync = std::string(1, '\0') + std::string(10, '\xFF') + std::string(1, '\0');
  EXPECT_EQ(bin.substr(850 * test::kSectorBytes, 12), sync) << "data track sectors carry the sync";
}

TEST(DiscImageToolTest, RefusesLayoutsThatMakeNoDisc) {
  test::TempDir dir;
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"--seconds", "2,x"},
      {"--starts", "150,100", "--leadout", "500"},   // starts must ascend
      {"--starts", "100", "--leadout", "500"},       // before the lead-in ends
      {"--starts", "150", "--leadout", "150"},       // an empty last track
      {"--sectors", "75", "--data", "2"},            // no such track
      {"--sectors", "75", "--bogus", "1"},
      {"--sectors", "500000"},                       // longer than 100 minutes
  };
  for (const auto& options : bad) {
    std::vector<std::string> argv = {test::BinPath("qm_discimage").string(), (dir / "d.cue").string()};
    argv.insert(argv.end(), options.begin(), options.end());
    EXPECT_EQ(test::RunProcess(argv).exit_code, 2) << testing::PrintToString(options);
  }
}

}  // namespace
}  // namespace qm::discimage
