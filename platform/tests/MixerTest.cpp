#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "platform/tests/AudioFixture.h"

namespace qm::audio {
namespace {

constexpr DWORD kSourceFlags = BASS_MIXER_NORAMPIN | BASS_MIXER_DOWNMIX | BASS_MIXER_FILTER;
constexpr DWORD kTrackSectors = 225;  // 3 seconds
constexpr DWORD kTrackBytes = kTrackSectors * test::kSectorBytes;

class MixerTest : public AudioFixture {
 protected:
  void SetUp() override {
    AudioFixture::SetUp();
    disc_ = std::make_unique<test::InsertedDisc>(dir_.path(),
                                                 std::vector<std::string>{"--sectors", "225,150"});
  }

  HSTREAM Track(DWORD track) { return BASS_CD_StreamCreate(disc_->drive(), track, BASS_STREAM_DECODE); }

  HSTREAM MixerOf(DWORD freq, DWORD chans, DWORD flags, HSTREAM source) {
    const HSTREAM mixer =
        BASS_Mixer_StreamCreate(freq, chans, flags | BASS_MIXER_END | BASS_STREAM_DECODE);
    EXPECT_NE(mixer, 0u);
    EXPECT_TRUE(BASS_Mixer_StreamAddChannel(mixer, source, kSourceFlags));
    return mixer;
  }

  std::unique_ptr<test::InsertedDisc> disc_;
};

TEST_F(MixerTest, ResamplingTo22050MonoGivesAQuarterOfTheBytes) {
  const HSTREAM source = Track(0);
  const HSTREAM mixer = MixerOf(22050, 1, 0, source);
  BASS_CHANNELINFO info{};
  ASSERT_TRUE(BASS_ChannelGetInfo(mixer, &info));
  EXPECT_EQ(info.freq, 22050u);
  EXPECT_EQ(info.chans, 1u);
  EXPECT_TRUE(info.flags & BASS_MIXER_END);
  const std::string audio = ReadToEnd(mixer);
  EXPECT_NEAR(static_cast<double>(audio.size()), kTrackBytes / 4.0, 8.0);
  EXPECT_EQ(BASS_ChannelGetPosition(mixer, BASS_POS_BYTE), audio.size());
  EXPECT_EQ(BASS_ChannelGetPosition(source, BASS_POS_BYTE), kTrackBytes);
  EXPECT_EQ(BASS_ChannelIsActive(source), BASS_ACTIVE_STOPPED);
}

TEST_F(MixerTest, SameFormatPassesTheSamplesThroughUnchanged) {
  const HSTREAM mixer = MixerOf(44100, 2, 0, Track(0));
  const std::string audio = ReadToEnd(mixer);
  const std::string bin = test::ReadFile(dir_ / "disc.bin");
  EXPECT_EQ(audio.size(), kTrackBytes);
  EXPECT_TRUE(audio == bin.substr(0, kTrackBytes));
}

TEST_F(MixerTest, EightBitAndFloatOutputsCarryTheirSampleType) {
  const HSTREAM eight = MixerOf(44100, 2, BASS_SAMPLE_8BITS, Track(0));
  const std::string bytes = ReadToEnd(eight);
  EXPECT_EQ(bytes.size(), kTrackBytes / 2);
  double sum = 0;
  for (char c : bytes) sum += static_cast<unsigned char>(c);
  EXPECT_NEAR(sum / static_cast<double>(bytes.size()), 128.0, 1.0) << "unsigned 8-bit centre";

  const HSTREAM floats = MixerOf(44100, 2, BASS_SAMPLE_FLOAT, Track(0));
  BASS_CHANNELINFO info{};
  ASSERT_TRUE(BASS_ChannelGetInfo(floats, &info));
  EXPECT_TRUE(info.flags & BASS_SAMPLE_FLOAT);
  const std::string samples = ReadToEnd(floats);
  ASSERT_EQ(samples.size(), kTrackBytes * 2);
  float peak = 0;
  for (size_t i = 0; i < samples.size(); i += 4) {
    float value;
    std::memcpy(&value, samples.data() + i, 4);
    peak = std::max(peak, std::fabs(value));
  }
  EXPECT_NEAR(peak, 0.25f, 0.01f) << "the tones are written at a quarter of full scale";
}

TEST_F(MixerTest, ASourceAddedAfterTheLastOneEndedContinuesTheOutput) {
  const HSTREAM first = Track(0);
  const HSTREAM mixer = MixerOf(22050, 2, 0, first);
  std::string audio;
  char buffer[10240];
  while (BASS_ChannelIsActive(first) != BASS_ACTIVE_STOPPED) {
    const DWORD got = BASS_ChannelGetData(mixer, buffer, sizeof buffer);
    ASSERT_NE(got, DWORD(-1));
    audio.append(buffer, got);
  }
  ASSERT_TRUE(BASS_Mixer_StreamAddChannel(mixer, Track(1), kSourceFlags));
  audio += ReadToEnd(mixer);
  const double expected = (kTrackBytes + 150.0 * test::kSectorBytes) / 2.0;
  EXPECT_NEAR(static_cast<double>(audio.size()), expected, 8.0);
}

TEST_F(MixerTest, AMixerWithoutEndFlagPlaysSilenceWithoutSources) {
  const HSTREAM mixer = BASS_Mixer_StreamCreate(44100, 2, BASS_STREAM_DECODE);
  std::string buffer(4096, '\x7f');
  EXPECT_EQ(BASS_ChannelGetData(mixer, buffer.data(), 4096), 4096u);
  EXPECT_EQ(buffer, std::string(4096, '\0'));
  EXPECT_EQ(BASS_ChannelIsActive(mixer), BASS_ACTIVE_PLAYING);
}

TEST_F(MixerTest, RefusedMixersAndSources) {
  EXPECT_EQ(BASS_Mixer_StreamCreate(0, 2, BASS_STREAM_DECODE), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
  EXPECT_EQ(BASS_Mixer_StreamCreate(44100, 0, BASS_STREAM_DECODE), 0u);
  const HSTREAM mixer = BASS_Mixer_StreamCreate(48000, 2, BASS_STREAM_DECODE | BASS_MIXER_END);
  EXPECT_FALSE(BASS_Mixer_StreamAddChannel(mixer, 12345, kSourceFlags));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_FALSE(BASS_Mixer_StreamAddChannel(mixer, mixer, kSourceFlags));
  const HSTREAM source = Track(0);
  EXPECT_TRUE(BASS_Mixer_StreamAddChannel(mixer, source, kSourceFlags));
  EXPECT_FALSE(BASS_Mixer_StreamAddChannel(mixer, source, kSourceFlags));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
}

}  // namespace
}  // namespace qm::audio
