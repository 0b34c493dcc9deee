#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "common/TextCodec.h"
#include "platform/audio/WmaWriter.h"
#include "platform/tests/AudioFixture.h"

namespace qm::audio {
namespace {

struct Probe {
  std::string codec;
  double duration = -1;
  int channels = 0;
  int rate = 0;
};

Probe ProbeWma(const std::filesystem::path& file) {
  const test::ProcessResult result = test::RunProcess(
      {"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries",
       "stream=codec_name,channels,sample_rate:format=duration", "-of",
       "default=noprint_wrappers=1", file.string()});
  Probe probe;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    const auto eq = line.find('=');
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "codec_name") probe.codec = value;
    if (key == "duration") probe.duration = std::stod(value);
    if (key == "channels") probe.channels = std::stoi(value);
    if (key == "sample_rate") probe.rate = std::stoi(value);
  }
  return probe;
}

// The decoded length, from ffmpeg decoding the whole file.
double DecodedSeconds(const std::filesystem::path& file, int rate, int channels) {
  const test::ProcessResult pcm = test::RunProcess(
      {"ffmpeg", "-v", "error", "-i", file.string(), "-f", "s16le", "-"});
  return static_cast<double>(pcm.out.size()) / (2.0 * channels * rate);
}

class WmaTest : public AudioFixture {};

TEST_F(WmaTest, TrackWrittenAsWmaDecodesToItsDuration) {
  const test::InsertedDisc disc(dir_.path(), {"--seconds", "2.5"});
  const HSTREAM stream = BASS_CD_StreamCreate(disc.drive(), 0, BASS_STREAM_DECODE);
  const auto wma = dir_ / "piste é.wma";
  const std::u16string name = text::DecodeUtf8(wma.string());
  const HWMENCODE encoder = BASS_WMA_EncodeOpenFile(44100, 2, BASS_UNICODE, 100, name.c_str());
  ASSERT_NE(encoder, 0u);
  // Blocks that cut frames in two exercise the writer's carry-over.
  char buffer[10237];
  for (DWORD got; (got = BASS_ChannelGetData(stream, buffer, sizeof buffer)) != DWORD(-1);) {
    ASSERT_TRUE(BASS_WMA_EncodeWrite(encoder, buffer, got));
  }
  ASSERT_TRUE(BASS_WMA_EncodeClose(encoder));
  EXPECT_FALSE(BASS_WMA_EncodeClose(encoder));

  const Probe probe = ProbeWma(wma);
  EXPECT_EQ(probe.codec, "wmav2");
  EXPECT_EQ(probe.channels, 2);
  EXPECT_EQ(probe.rate, 44100);
  EXPECT_NEAR(DecodedSeconds(wma, 44100, 2), 2.5, 0.1);
}

TEST_F(WmaTest, MonoFloatInputAtALowerRate) {
  const auto wma = dir_ / "mono.wma";
  const HWMENCODE encoder =
      BASS_WMA_EncodeOpenFile(22050, 1, BASS_SAMPLE_FLOAT, 64000, wma.string().c_str());
  ASSERT_NE(encoder, 0u);
  std::vector<float> second(22050, 0.1f);
  ASSERT_TRUE(BASS_WMA_EncodeWrite(encoder, second.data(), second.size() * sizeof(float)));
  ASSERT_TRUE(BASS_WMA_EncodeClose(encoder));
  const Probe probe = ProbeWma(wma);
  EXPECT_EQ(probe.channels, 1);
  EXPECT_EQ(probe.rate, 22050);
  EXPECT_NEAR(DecodedSeconds(wma, 22050, 1), 1.0, 0.1);
}

TEST_F(WmaTest, RefusedFormatsAndFiles) {
  EXPECT_EQ(BASS_WMA_EncodeOpenFile(96000, 2, 0, 100, (dir_ / "a.wma").string().c_str()), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FORMAT);
  EXPECT_EQ(BASS_WMA_EncodeOpenFile(44100, 6, 0, 100, (dir_ / "b.wma").string().c_str()), 0u);
  EXPECT_EQ(BASS_WMA_EncodeOpenFile(44100, 2, 0, 100, (dir_ / "no" / "c.wma").string().c_str()),
            0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_CREATE);
}

TEST(WmaBitrateTest, QualitiesMapToBitratesAndBitratesStay) {
  EXPECT_EQ(WmaWriter::BitrateFor(100, 2), 320000u);
  EXPECT_EQ(WmaWriter::BitrateFor(50, 2), 176000u);
  EXPECT_EQ(WmaWriter::BitrateFor(0, 1), 24000u);  // raised to wmav2's minimum
  EXPECT_EQ(WmaWriter::BitrateFor(128000, 2), 128000u);
}

}  // namespace
}  // namespace qm::audio
