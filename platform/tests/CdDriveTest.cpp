#include <gtest/gtest.h>

#include <string>

#include "platform/audio.h"
#include "platform/audio/DiscToc.h"
#include "tests/support/ImageDrive.h"
#include "tests/support/TestSupport.h"

namespace qm::audio {
namespace {

constexpr const char* kSampleStarts =
    "150,17038,37959,53132,72932,87670,108848,128449,146868,160875,177428";
constexpr const char* kSampleId =
    "920a200b 11 150 17038 37959 53132 72932 87670 108848 128449 146868 160875 177428 2594";

TEST(CddbIdTest, SampleDiscTocGivesItsQueryArguments) {
  DiscToc toc;
  for (int frames : {150, 17038, 37959, 53132, 72932, 87670, 108848, 128449, 146868, 160875,
                     177428}) {
    toc.tracks.push_back({frames - kPregapFrames, 0, true});
  }
  toc.leadout = 2594 * 75 - kPregapFrames;
  EXPECT_EQ(CddbQueryArguments(toc), kSampleId);
}

class CdDriveTest : public ::testing::Test {
 protected:
  test::TempDir dir_;
};

TEST_F(CdDriveTest, SampleDiscImageIsIdentifiedThroughLibcdio) {
  const auto cue = test::MakeDiscImage(dir_.path(), "sample",
                                       {"--starts", kSampleStarts, "--leadout", "194550", "--silent"});
  test::ScopedCdImages images({cue});
  const DWORD drive = test::FirstImageDrive();
  EXPECT_EQ(BASS_CD_GetTracks(drive), 11);
  ASSERT_NE(BASS_CD_GetID(drive, BASS_CDID_CDDB), nullptr);
  EXPECT_STREQ(BASS_CD_GetID(drive, BASS_CDID_CDDB), kSampleId);
  EXPECT_EQ(BASS_CD_GetTrackLength(drive, 0), (17038u - 150u) * 2352u);
  EXPECT_EQ(BASS_CD_GetTrackLength(drive, 10), (194550u - 177428u) * 2352u);
}

TEST_F(CdDriveTest, ImagesAreListedAfterTheDrivesAndTheListEndsWithEmptyStrings) {
  const auto first = test::MakeDiscImage(dir_.path(), "first", {"--sectors", "75"});
  const auto second = test::MakeDiscImage(dir_.path(), "second", {"--sectors", "75,75"});
  test::ScopedCdImages images({first, second});
  const DWORD drive = test::FirstImageDrive();
  BASS_CD_INFO info{};
  ASSERT_TRUE(BASS_CD_GetInfo(drive, &info));
  EXPECT_STREQ(info.vendor, "Image");
  EXPECT_STREQ(info.product, "first.cue");
  EXPECT_EQ(info.path, first.string());
  ASSERT_TRUE(BASS_CD_GetInfo(drive + 1, &info));
  EXPECT_STREQ(info.product, "second.cue");
  EXPECT_EQ(BASS_CD_GetTracks(drive + 1), 2);

  EXPECT_FALSE(BASS_CD_GetInfo(drive + 2, &info));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  EXPECT_STREQ(info.vendor, "");
  EXPECT_STREQ(info.product, "");
  EXPECT_STREQ(info.path, "");
  EXPECT_EQ(BASS_CD_GetTracks(drive + 2), -1);
}

TEST_F(CdDriveTest, AnUnreadableImageIsADriveWithoutDisc) {
  const auto missing = dir_ / "missing.cue";
  test::WriteFile(dir_ / "garbage.cue", "TRACK nonsense\n");
  test::ScopedCdImages images({missing, dir_ / "garbage.cue"});
  const DWORD drive = test::FirstImageDrive();
  for (DWORD d : {drive, drive + 1}) {
    EXPECT_EQ(BASS_CD_GetTracks(d), -1);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_NOCD);
    EXPECT_EQ(BASS_CD_GetID(d, BASS_CDID_CDDB), nullptr);
    EXPECT_EQ(BASS_CD_GetTrackLength(d, 0), DWORD(-1));
  }
}

TEST_F(CdDriveTest, ARewrittenImageIsReadAgain) {
  const auto cue = test::MakeDiscImage(dir_.path(), "disc", {"--sectors", "75"});
  test::ScopedCdImages images({cue});
  const DWORD drive = test::FirstImageDrive();
  EXPECT_EQ(BASS_CD_GetTracks(drive), 1);
  test::MakeDiscImage(dir_.path(), "disc", {"--sectors", "75,80,90"});
  EXPECT_EQ(BASS_CD_GetTracks(drive), 3);
}

}  // namespace
}  // namespace qm::audio
