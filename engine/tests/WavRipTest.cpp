#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "engine/tests/EngineFixture.h"
#include "platform/MessagePump.h"

namespace qm::engine {
namespace {

constexpr uint32_t kSectors[] = {75, 100, 60};
constexpr uint32_t kStarts[] = {0, 75, 175};

std::string CdHeader(uint32_t dataBytes) {
  std::string header = "RIFF";
  auto put32 = [&header](uint32_t v) {
    for (int i = 0; i < 4; ++i) header += static_cast<char>(v >> (8 * i));
  };
  put32(dataBytes + 36);
  header += "WAVEfmt ";
  put32(16);
  header += std::string("\x01\x00\x02\x00", 4);
  put32(44100);
  put32(176400);
  header += std::string("\x04\x00\x10\x00", 4);
  header += "data";
  put32(dataBytes);
  return header;
}

class WavRipTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    InsertDisc({"--sectors", "75,100,60"});
  }
};

TEST_F(WavRipTest, TrackModeWritesOneExactWavPerTrack) {
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 1)), -1);
  const auto names = AddTrackNames(3, "wav");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  for (int t = 0; t < 3; ++t) {
    const uint32_t length = kSectors[t] * test::kSectorBytes;
    const std::string wav = test::ReadFile(names[t]);
    ASSERT_EQ(wav.size(), length + 44u);
    EXPECT_EQ(wav.substr(0, 44), CdHeader(length));
    EXPECT_TRUE(wav.substr(44) == BinBytes(kStarts[t], kSectors[t])) << "track " << t;
  }
  EXPECT_EQ(dg::DiscGrab_GetLastError(ripper_), 0);
  ASSERT_FALSE(recorder_.progress.empty());
  EXPECT_EQ(recorder_.progress.back(), std::make_pair(100u, 100u));
  EXPECT_EQ(recorder_.progress[0].second, 0u);
  bool sawSecondTrack = false, sawThirdTrack = false;
  for (const auto& [progress, total] : recorder_.progress) {
    EXPECT_LE(progress, 100u);
    sawSecondTrack |= total == 33;
    sawThirdTrack |= total == 67;
  }
  EXPECT_TRUE(sawSecondTrack && sawThirdTrack);

  // Each track's CD stream was handed to the callback and is released after the track.
  ASSERT_EQ(recorder_.channels.size(), 3u);
  for (int t = 0; t < 3; ++t) {
    EXPECT_EQ(recorder_.channels[t].second, t);
    EXPECT_EQ(BASS_ChannelGetPosition(recorder_.channels[t].first, BASS_POS_BYTE), QWORD(-1));
  }
}

TEST_F(WavRipTest, AlbumModeWritesTheWholeDiscIntoOneFile) {
  const auto album = dir_ / "album.wav";
  test::WriteFile(album, std::string(500000, 'x'));  // replaced, not appended to
  SetAlbumFile(album);
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(true, 1)), -1);
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  const uint32_t total = (75 + 100 + 60) * test::kSectorBytes;
  const std::string wav = test::ReadFile(album);
  ASSERT_EQ(wav.size(), 44u + total);
  EXPECT_EQ(wav.substr(0, 44), CdHeader(total));
  EXPECT_TRUE(wav.substr(44) == BinBytes(0, 235));
  ASSERT_EQ(recorder_.channels.size(), 3u);
  for (const auto& [channel, track] : recorder_.channels) {
    EXPECT_EQ(channel, recorder_.channels[0].first) << "always the whole-disc stream";
    EXPECT_EQ(track, -1);
  }
  EXPECT_EQ(recorder_.progress.back(), std::make_pair(100u, 100u));
}

TEST_F(WavRipTest, AStopAfterTheFirstBlockLeavesAShortWellFormedFile) {
  recorder_.stopAtCall = 1;
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 1)), -1);
  const auto names = AddTrackNames(3, "wav");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  const std::string wav = test::ReadFile(names[0]);
  ASSERT_EQ(wav.size(), 44u + 10240u);
  EXPECT_EQ(wav.substr(0, 44), CdHeader(10240));
  EXPECT_FALSE(std::filesystem::exists(names[1]));
  EXPECT_FALSE(std::filesystem::exists(names[2]));
  EXPECT_EQ(recorder_.progress.back(), std::make_pair(100u, 100u));
  EXPECT_EQ(dg::DiscGrab_GetLastError(ripper_), 0);
}

TEST_F(WavRipTest, AStopInAlbumModeClosesTheFileWithWhatWasRead) {
  // Two calls per block (the stream procedure and the loop): block 25 is in the second track.
  recorder_.stopAtCall = 50;
  const auto album = dir_ / "album.wav";
  SetAlbumFile(album);
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(true, 1)), -1);
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  const std::string wav = test::ReadFile(album);
  EXPECT_GT(wav.size(), 44u + 75u * test::kSectorBytes);
  EXPECT_LT(wav.size(), 44u + 175u * test::kSectorBytes);
  EXPECT_EQ(Field32(wav, 40), wav.size() - 44);
  EXPECT_TRUE(wav.substr(44) == BinBytes(0, 235).substr(0, wav.size() - 44));
  EXPECT_EQ(recorder_.progress.back(), std::make_pair(100u, 100u));
}

// A stop seen on the very block that ends a track (asked from the pump just before
// it) leaves no trace in the next rip of the same object: every track is in it.
TEST_F(WavRipTest, AStopOnTheBlockThatEndsATrackDoesNotSkipATrackOfTheNextRip) {
  struct StopAtPump {
    TDiscGrabHandle ripper;
    int calls = 0;
    int stopAt = 0;
  } pump{ripper_, 0, 0};
  // The disc loop pumps once at its start, then before every block; track 0 (75
  // sectors) ends with its 18th block.
  pump.stopAt = 1 + (75 * test::kSectorBytes + 10239) / 10240;
  platform::SetMessagePump(
      [](void* context) {
        auto& state = *static_cast<StopAtPump*>(context);
        if (++state.calls == state.stopAt) dg::DiscGrab_StopRipp(state.ripper);
      },
      &pump);
  const auto album = dir_ / "album.wav";
  SetAlbumFile(album);
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(true, 1)), -1);
  EXPECT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  platform::SetMessagePump(nullptr, nullptr);
  EXPECT_EQ(std::filesystem::file_size(album), 44u + 75u * test::kSectorBytes);

  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  const std::string wav = test::ReadFile(album);
  ASSERT_EQ(wav.size(), 44u + 235u * test::kSectorBytes);
  EXPECT_TRUE(wav.substr(44) == BinBytes(0, 235));
}

TEST_F(WavRipTest, AStopAskedBeforeTheRipIsForgotten) {
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 1)), -1);
  const auto names = AddTrackNames(3, "wav");
  ASSERT_EQ(dg::DiscGrab_StopRipp(ripper_), -1);
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  EXPECT_EQ(std::filesystem::file_size(names[2]), 44u + 60u * test::kSectorBytes);
}

TEST_F(WavRipTest, AnUnknownOutputKindOpensEachTrackButWritesNothing) {
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 7)), -1);
  const auto names = AddTrackNames(3, "out");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  EXPECT_EQ(recorder_.channels.size(), 3u);
  for (const auto& name : names) EXPECT_FALSE(std::filesystem::exists(name));
  EXPECT_EQ(recorder_.progress, (std::vector<std::pair<uint32_t, uint32_t>>{{100, 100}}));
}

TEST_F(WavRipTest, FewerNamesThanTracksFailsAfterTheNamedTracks) {
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 1)), -1);
  const auto names = AddTrackNames(2, "wav");
  EXPECT_EQ(dg::DiscGrab_Ripp(ripper_), 0);
  EXPECT_TRUE(std::filesystem::exists(names[0]));
  EXPECT_TRUE(std::filesystem::exists(names[1]));
  ASSERT_FALSE(recorder_.progress.empty());
  EXPECT_NE(recorder_.progress.back(), std::make_pair(100u, 100u)) << "no final call";
}

TEST_F(WavRipTest, ResamplingTo48000MonoDescribesTheMixerInTheHeader) {
  TDiscGrabParams params = Params(false, 1);
  params.Resample = 1;
  params.ResampleFreq = 48000;
  params.ResampleChannels = 1;
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, params), -1);
  dg::DiscGrab_ClearTracks(ripper_);
  const auto wavPath = dir_ / "resampled.wav";
  ASSERT_EQ(dg::DiscGrab_RippTrack(ripper_, 0, text::DecodeUtf8(wavPath.string()).c_str()), -1);
  const std::string wav = test::ReadFile(wavPath);
  EXPECT_EQ(Field16(wav, 22), 1u);
  EXPECT_EQ(Field32(wav, 24), 48000u);
  EXPECT_EQ(Field32(wav, 28), 96000u);
  EXPECT_EQ(Field16(wav, 32), 2u);
  EXPECT_EQ(Field16(wav, 34), 16u);
  EXPECT_EQ(Field32(wav, 40), wav.size() - 44);
  EXPECT_NEAR(static_cast<double>(wav.size() - 44), 75 * 2352 * 48000.0 / 44100 / 2, 8);
  // Progress of the resampled channel is brought back to the track's own scale.
  ASSERT_GE(recorder_.progress.size(), 2u);
  EXPECT_GE(recorder_.progress[recorder_.progress.size() - 2].first, 99u);
}

TEST_F(WavRipTest, AFloatMixerIsDescribedAsFloatInAlbumMode) {
  SetAlbumFile(dir_ / "album.wav");
  TDiscGrabParams params = Params(true, 1);
  params.Resample = 1;
  params.ResampleFreq = 96000;
  params.ResampleFlags = BASS_SAMPLE_FLOAT;
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, params), -1);
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  const std::string wav = test::ReadFile(dir_ / "album.wav");
  EXPECT_EQ(Field16(wav, 20), 3u);
  EXPECT_EQ(Field16(wav, 22), 2u);
  EXPECT_EQ(Field32(wav, 24), 96000u);
  EXPECT_EQ(Field32(wav, 28), 96000u * 8);
  EXPECT_EQ(Field16(wav, 32), 8u);
  EXPECT_EQ(Field16(wav, 34), 32u);
  EXPECT_NEAR(static_cast<double>(wav.size() - 44), 235 * 2352 * 96000.0 / 44100 * 2, 64);
}

TEST_F(WavRipTest, AnUnwritableFileEndsTheRipWithFailure) {
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 1)), -1);
  dg::DiscGrab_ClearTracks(ripper_);
  dg::DiscGrab_AddTracks(ripper_, text::DecodeUtf8((dir_ / "no" / "t.wav").string()).c_str());
  EXPECT_EQ(dg::DiscGrab_Ripp(ripper_), 0);
  // A fresh object rips in album mode to an empty file name: the creation fails too.
  const TDiscGrabHandle fresh = dg::DiscGrab_Create();
  EXPECT_EQ(dg::DiscGrab_Ripp(fresh), 0);
  dg::DiscGrab_Free(fresh);
}

// The disc-full case: a file size limit makes the writes short. Runs in a child
// process (the limit would hold for the whole test program) and exits 0 when right.
void RipTrackUnderFileSizeLimit(TDiscGrabHandle ripper, const std::filesystem::path& wavPath) {
  signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{44 + 50000, 44 + 50000};
  setrlimit(RLIMIT_FSIZE, &limit);
  const std::u16string name = text::DecodeUtf8(wavPath.string());
  const bool opened = dg::DiscGrab_RippTrack(ripper, 1, name.c_str()) == -1;
  const std::string wav = test::ReadFile(wavPath);
  const bool ok = opened && dg::DiscGrab_GetLastError(ripper) == 2 && wav.size() == 44 + 50000 &&
                  Field32(wav, 40) == 50000 && Field32(wav, 4) == 50036;
  std::exit(ok ? 0 : 1);
}

TEST_F(WavRipTest, AShortWriteSetsError2AndPatchesTheSizesToWhatWasWritten) {
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 1)), -1);
  EXPECT_EXIT(RipTrackUnderFileSizeLimit(ripper_, dir_ / "short.wav"),
              ::testing::ExitedWithCode(0), "");
}

TEST_F(WavRipTest, AnEmptyDriveRipsNothingAndStillEnds) {
  disc_.reset();
  test::ScopedCdImages empty({dir_ / "no-disc.cue"});
  TDiscGrabParams params = Params(false, 1);
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, params), -1);
  EXPECT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  EXPECT_EQ(recorder_.progress, (std::vector<std::pair<uint32_t, uint32_t>>{{100, 100}}));
  EXPECT_TRUE(recorder_.channels.empty());
}

class DataTrackRipTest : public EngineTest {};

TEST_F(DataTrackRipTest, TrackModeSkipsADataTrackWithError17) {
  InsertDisc({"--sectors", "75,60,40", "--data", "3"});
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(false, 1)), -1);
  const auto names = AddTrackNames(3, "wav");
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  EXPECT_TRUE(std::filesystem::exists(names[0]));
  EXPECT_TRUE(std::filesystem::exists(names[1]));
  EXPECT_FALSE(std::filesystem::exists(names[2]));
  EXPECT_EQ(dg::DiscGrab_GetLastError(ripper_), BASS_ERROR_NOTAUDIO);
  const std::u16string one = text::DecodeUtf8((dir_ / "one.wav").string());
  EXPECT_EQ(dg::DiscGrab_RippTrack(ripper_, 2, one.c_str()), 0);
  EXPECT_EQ(dg::DiscGrab_RippTrack(ripper_, 0, one.c_str()), -1);
  EXPECT_EQ(recorder_.progress.back(), std::make_pair(100u, 100u));
}

TEST_F(DataTrackRipTest, AlbumModeSkipsALeadingDataTrackAndStillWritesTheFile) {
  InsertDisc({"--sectors", "40,75,60", "--data", "1"});
  const auto album = dir_ / "album.wav";
  SetAlbumFile(album);
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, Params(true, 1)), -1);
  ASSERT_EQ(dg::DiscGrab_Ripp(ripper_), -1);
  const std::string wav = test::ReadFile(album);
  ASSERT_EQ(wav.size(), 44u + 135u * test::kSectorBytes);
  EXPECT_EQ(wav.substr(0, 44), CdHeader(135 * test::kSectorBytes));
  EXPECT_TRUE(wav.substr(44) == BinBytes(40, 135));
  EXPECT_EQ(dg::DiscGrab_GetLastError(ripper_), 0) << "a data track is skipped silently";
}

}  // namespace
}  // namespace qm::engine
