#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/tests/EngineFixture.h"
#include "platform/MessagePump.h"

namespace qm::engine {
namespace {

double DecodedSeconds(const std::filesystem::path& file) {
  const test::ProcessResult pcm = test::RunProcess(
      {"ffmpeg", "-v", "error", "-i", file.string(), "-f", "s16le", "-ac", "2", "-ar", "44100", "-"});
  return pcm.exit_code == 0 ? static_cast<double>(pcm.out.size()) / 176400.0 : -1.0;
}

class EncoderRipTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    InsertDisc({"--seconds", "1.5,1"});
  }
};

TEST_F(EncoderRipTest, LameWritesOneMp3PerTrack) {
  cmdLine_ = u"lame --alt-preset 320 -r - \"{o}\"";
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 2)), -1);
  const auto names = AddTrackNames(2, "mp3");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  EXPECT_NEAR(DecodedSeconds(names[0]), 1.5, 0.05);
  EXPECT_NEAR(DecodedSeconds(names[1]), 1.0, 0.05);
  EXPECT_EQ(recorder_.progress.back(), std::make_pair(100u, 100u));
}

TEST_F(EncoderRipTest, AStopLeavesACompleteShorterMp3) {
  recorder_.stopAtCall = 3;
  cmdLine_ = u"lame --alt-preset 320 -r - \"{o}\"";
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 2)), -1);
  const auto names = AddTrackNames(2, "mp3");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  // Three blocks and the one read before the stop was seen: 4 x 10240 bytes.
  EXPECT_NEAR(DecodedSeconds(names[0]), 4 * 10240 / 176400.0, 0.05);
  EXPECT_FALSE(std::filesystem::exists(names[1]));
}

TEST_F(EncoderRipTest, TheTemplateGetsNameRateAndChannels) {
  // The encoder here records its own arguments; its input goes nowhere.
  const auto args = dir_ / "args.txt";
  cmdLine_ = text::DecodeUtf8("sh -c \"cat >/dev/null; echo \\\"$*\\\" >> '" + args.string() +
                              "'\" enc -s {s} -c {c} {O} {o} {o}");
  TDiscGrabParams params = Params(false, 2);
  params.Resample = 1;
  params.ResampleFreq = 22050;
  params.ResampleChannels = 1;
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, params), -1);
  dg::DiscGrab_ClearTracks(ripper_);
  dg::DiscGrab_AddTracks(ripper_, u"/t/T{s}.mp3");
  dg::DiscGrab_AddTracks(ripper_, u"/t/x.mp3");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  EXPECT_EQ(test::ReadFile(args),
            "-s 22050 -c 1 {O} /t/T22050.mp3 /t/T22050.mp3\n"
            "-s 22050 -c 1 {O} /t/x.mp3 /t/x.mp3\n");
}

TEST_F(EncoderRipTest, AnEncoderThatCannotStartSkipsTheTrackWithError4) {
  cmdLine_ = u"qm-no-such-encoder {o}";
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 2)), -1);
  const auto names = AddTrackNames(2, "mp3");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  EXPECT_EQ(dg::DiscGrab_GetLastError(ripper_), 4);
  EXPECT_FALSE(std::filesystem::exists(names[0]));
}

TEST_F(EncoderRipTest, AlbumModeRunsOneEncoderForTheWholeDisc) {
  cmdLine_ = u"lame --alt-preset 320 -r - \"{o}\"";
  const auto album = dir_ / "album.mp3";
  SetAlbumFile(album);
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(true, 2)), -1);
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  EXPECT_NEAR(DecodedSeconds(album), 2.5, 0.05);
}

TEST_F(EncoderRipTest, WmaTracksAreAnnouncedAndDecodeToTheirDuration) {
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 3)), -1);
  const auto names = AddTrackNames(2, "wma");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  ASSERT_EQ(recorder_.wmaOpened.size(), 2u);
  EXPECT_EQ(recorder_.wmaOpened[0].second, 0);
  EXPECT_EQ(recorder_.wmaOpened[1].second, 1);
  EXPECT_NEAR(DecodedSeconds(names[0]), 1.5, 0.1);
  EXPECT_NEAR(DecodedSeconds(names[1]), 1.0, 0.1);
}

// An error thrown inside the rip (here by the host's pump) ends it with failure, and
// the WMA file it was writing is closed, not left open under a forgotten handle.
TEST_F(EncoderRipTest, AnErrorDuringAWmaTrackClosesTheFile) {
  platform::SetMessagePump([](void*) { throw std::runtime_error("host failure"); }, nullptr);
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 3)), -1);
  const auto wma = dir_ / "one.wma";
  EXPECT_EQ(dg::DiscGrab_RippTrack(ripper_, 0, text::DecodeUtf8(wma.string()).c_str()), 0);
  platform::SetMessagePump(nullptr, nullptr);
  ASSERT_EQ(recorder_.wmaOpened.size(), 1u);
  EXPECT_FALSE(BASS_WMA_EncodeClose(recorder_.wmaOpened[0].first)) << "already closed";
  EXPECT_NEAR(DecodedSeconds(wma), 10240 / 176400.0, 0.05) << "the one block read";
}

TEST_F(EncoderRipTest, AlbumWmaGetsTheAudioAlsoWhenResampling) {
  const auto album = dir_ / "album.wma";
  SetAlbumFile(album);
  TDiscGrabParams params = Params(true, 3);
  params.Resample = 1;
  params.ResampleFreq = 22050;
  params.ResampleChannels = 2;
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, params), -1);
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  ASSERT_EQ(recorder_.wmaOpened.size(), 1u) << "one WMA file per disc";
  EXPECT_EQ(recorder_.wmaOpened[0].second, 0);
  EXPECT_NEAR(DecodedSeconds(album), 2.5, 0.1);
}

}  // namespace
}  // namespace qm::engine
