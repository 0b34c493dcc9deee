#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/tests/AudioFixture.h"

namespace qm::audio {
namespace {

class StreamTest : public AudioFixture {
 protected:
  void SetUp() override {
    AudioFixture::SetUp();
    disc_ = std::make_unique<test::InsertedDisc>(
        dir_.path(), std::vector<std::string>{"--sectors", "75,100,60,40", "--data", "4"});
    drive_ = disc_->drive();
  }

  std::unique_ptr<test::InsertedDisc> disc_;
  DWORD drive_ = 0;
};

int g_syncCalls = 0;
QWORD g_positionAtSync = 0;
void BASS_CALLBACK CountEndSync(HSYNC, DWORD channel, DWORD, void* user) {
  ++g_syncCalls;
  g_positionAtSync = BASS_ChannelGetPosition(channel, BASS_POS_BYTE);
  *static_cast<DWORD*>(user) = channel;
}

TEST_F(StreamTest, TrackStreamDeliversExactlyTheTrackThenStops) {
  const HSTREAM stream = BASS_CD_StreamCreate(drive_, 1, BASS_STREAM_DECODE);
  ASSERT_GT(stream, 1u);
  const DWORD length = BASS_CD_GetTrackLength(drive_, 1);
  ASSERT_EQ(length, 100u * test::kSectorBytes);
  BASS_CHANNELINFO info{};
  ASSERT_TRUE(BASS_ChannelGetInfo(stream, &info));
  EXPECT_EQ(info.freq, 44100u);
  EXPECT_EQ(info.chans, 2u);
  EXPECT_EQ(info.flags & (BASS_SAMPLE_8BITS | BASS_SAMPLE_FLOAT), 0u);
  float rate = 0;
  ASSERT_TRUE(BASS_ChannelGetAttribute(stream, BASS_ATTRIB_FREQ, &rate));
  EXPECT_EQ(rate, 44100.0f);

  DWORD syncedChannel = 0;
  g_syncCalls = 0;
  ASSERT_NE(BASS_ChannelSetSync(stream, BASS_SYNC_END, 0, CountEndSync, &syncedChannel), 0u);
  const std::string audio = ReadToEnd(stream);
  const std::string bin = test::ReadFile(dir_ / "disc.bin");
  EXPECT_EQ(audio.size(), length);
  EXPECT_TRUE(audio == bin.substr(75 * test::kSectorBytes, length)) << "audio differs from the BIN";
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), length);
  EXPECT_EQ(g_syncCalls, 1);
  EXPECT_EQ(g_positionAtSync, length);
  EXPECT_EQ(syncedChannel, stream);

  char buffer[64];
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer, sizeof buffer), DWORD(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ENDED);
  EXPECT_EQ(g_syncCalls, 1);
  EXPECT_TRUE(BASS_StreamFree(stream));
  EXPECT_FALSE(BASS_StreamFree(stream));
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

TEST_F(StreamTest, OddReadSizesAreCutToWholeFrames) {
  const HSTREAM stream = BASS_CD_StreamCreate(drive_, 0, BASS_STREAM_DECODE);
  char buffer[4096];
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer, 3), 0u);
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer, 4095), 4092u);
  EXPECT_EQ(ReadToEnd(stream, 999).size(), 75u * test::kSectorBytes - 4092u);
}

TEST_F(StreamTest, StreamCreationFailuresReportTheirReason) {
  struct Case {
    DWORD drive, track, flags;
    int32_t error;
  };
  const Case cases[] = {
      {drive_, 3, BASS_STREAM_DECODE, BASS_ERROR_NOTAUDIO},   // the data track
      {drive_, 4, BASS_STREAM_DECODE, BASS_ERROR_CDTRACK},    // past the last track
      {drive_ + 1, 0, BASS_STREAM_DECODE, BASS_ERROR_DEVICE},  // past the last drive
      {drive_, 0, 0, BASS_ERROR_NOTAVAIL},                     // only decoding streams
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BASS_CD_StreamCreate(c.drive, c.track, c.flags), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), c.error) << "track " << c.track;
  }
  EXPECT_EQ(BASS_CD_GetTrackLength(drive_, 3), 40u * test::kSectorBytes);
}

TEST_F(StreamTest, FreeReleasesEveryChannelAndStreamsNeedInit) {
  const HSTREAM stream = BASS_CD_StreamCreate(drive_, 0, BASS_STREAM_DECODE);
  ASSERT_NE(stream, 0u);
  EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  ASSERT_TRUE(BASS_Free());
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), QWORD(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_CD_StreamCreate(drive_, 0, BASS_STREAM_DECODE), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
}

struct ProcState {
  DWORD remaining;
  DWORD claimExtra;
  DWORD lastLength = 0;
};

DWORD BASS_CALLBACK CountingProc(HSTREAM, void* buffer, DWORD length, void* user) {
  auto& state = *static_cast<ProcState*>(user);
  state.lastLength = length;
  const DWORD n = std::min(length, state.remaining);
  std::memset(buffer, 0x11, n);
  state.remaining -= n;
  const DWORD claimed = std::min(length, n + state.claimExtra);
  return state.remaining == 0 ? claimed | BASS_STREAMPROC_END : claimed;
}

TEST_F(StreamTest, UserStreamRunsItsProcedureInsideEachRead) {
  ProcState state{10000, 0};
  const HSTREAM stream = BASS_StreamCreate(44100, 2, BASS_STREAM_DECODE, CountingProc, &state);
  ASSERT_NE(stream, 0u);
  DWORD synced = 0;
  g_syncCalls = 0;
  BASS_ChannelSetSync(stream, BASS_SYNC_END, 0, CountEndSync, &synced);
  const std::string audio = ReadToEnd(stream, 4096);
  EXPECT_EQ(audio, std::string(10000, '\x11'));
  EXPECT_EQ(state.lastLength, 4096u);
  EXPECT_EQ(g_syncCalls, 1);
  EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
}

TEST_F(StreamTest, AProcedureClaimingMoreThanAskedIsHeldToTheBuffer) {
  ProcState state{100000, 0xFFFFFF};
  const HSTREAM stream = BASS_StreamCreate(44100, 2, BASS_STREAM_DECODE, CountingProc, &state);
  char buffer[1000];
  EXPECT_EQ(BASS_ChannelGetData(stream, buffer, sizeof buffer), 1000u);
  EXPECT_EQ(BASS_ChannelGetPosition(stream, BASS_POS_BYTE), 1000u);
}

}  // namespace
}  // namespace qm::audio
