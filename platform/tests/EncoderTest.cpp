#include <gtest/gtest.h>

#include <string>

#include "common/TextCodec.h"
#include "platform/tests/AudioFixture.h"

namespace qm::audio {
namespace {

double ProbeDuration(const std::filesystem::path& file) {
  const test::ProcessResult probe =
      test::RunProcess({"ffprobe", "-v", "error", "-show_entries", "format=duration", "-of",
                        "default=noprint_wrappers=1:nokey=1", file.string()});
  return probe.exit_code == 0 ? std::stod(probe.out) : -1.0;
}

class EncoderTest : public AudioFixture {
 protected:
  void SetUp() override {
    AudioFixture::SetUp();
    disc_ = std::make_unique<test::InsertedDisc>(dir_.path(), std::vector<std::string>{"--seconds", "2"});
    stream_ = BASS_CD_StreamCreate(disc_->drive(), 0, BASS_STREAM_DECODE);
    ASSERT_NE(stream_, 0u);
  }

  HENCODE Start(const std::string& commandLine) {
    const std::u16string wide = text::DecodeUtf8(commandLine);
    return BASS_Encode_Start(stream_, wide.c_str(), BASS_ENCODE_NOHEAD | BASS_UNICODE, nullptr,
                             nullptr);
  }

  std::unique_ptr<test::InsertedDisc> disc_;
  HSTREAM stream_ = 0;
};

TEST_F(EncoderTest, LameFedThroughThePipeWritesAnMp3OfTheTrack) {
  const auto mp3 = dir_ / "dossier à espaces" / "Track1.mp3";
  std::filesystem::create_directories(mp3.parent_path());
  const HENCODE encoder = Start("lame --alt-preset 320 -r - \"" + mp3.string() + "\"");
  ASSERT_NE(encoder, 0u);
  EXPECT_EQ(BASS_Encode_IsActive(stream_), BASS_ACTIVE_PLAYING);
  EXPECT_EQ(BASS_Encode_IsActive(encoder), BASS_ACTIVE_PLAYING);
  EXPECT_EQ(ReadToEnd(stream_).size(), 150u * test::kSectorBytes);
  ASSERT_TRUE(BASS_Encode_Stop(stream_));
  EXPECT_EQ(BASS_Encode_IsActive(stream_), BASS_ACTIVE_STOPPED);
  EXPECT_NEAR(ProbeDuration(mp3), 2.0, 0.05);
}

TEST_F(EncoderTest, AMissingProgramIsNotStarted) {
  EXPECT_EQ(Start("qm-no-such-encoder -r - out.mp3"), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
  EXPECT_EQ(Start("   "), 0u);
  EXPECT_EQ(BASS_Encode_IsActive(stream_), BASS_ACTIVE_STOPPED);
}

TEST_F(EncoderTest, AnEncoderThatExitsAtOnceLeavesTheReaderRunning) {
  ASSERT_NE(Start("true"), 0u);
  EXPECT_EQ(ReadToEnd(stream_).size(), 150u * test::kSectorBytes);
  EXPECT_EQ(BASS_Encode_IsActive(stream_), BASS_ACTIVE_STOPPED);
  EXPECT_TRUE(BASS_Encode_Stop(stream_));
}

TEST_F(EncoderTest, PriorityClassesBecomeNiceness) {
  const std::pair<DWORD, int> cases[] = {{IDLE_PRIORITY_CLASS, 19},
                                         {BELOW_NORMAL_PRIORITY_CLASS, 10},
                                         {NORMAL_PRIORITY_CLASS, 0}};
  for (const auto& [priorityClass, niceness] : cases) {
    const auto out = dir_ / "nice.txt";
    const std::string line = "sh -c \"cat >/dev/null; nice > '" + out.string() + "'\"";
    const HENCODE encoder = BASS_Encode_Start(stream_, line.c_str(), BASS_ENCODE_NOHEAD, nullptr,
                                              nullptr);
    ASSERT_NE(encoder, 0u);
    EXPECT_TRUE(SetPriorityClass(encoder, priorityClass));
    ASSERT_TRUE(BASS_Encode_Stop(encoder));
    EXPECT_EQ(std::stoi(test::ReadFile(out)), niceness) << priorityClass;
  }
  EXPECT_FALSE(SetPriorityClass(12345, NORMAL_PRIORITY_CLASS));
}

TEST_F(EncoderTest, FreeingTheChannelFinishesItsEncoder) {
  const auto out = dir_ / "copy.raw";
  ASSERT_NE(Start("sh -c \"cat > '" + out.string() + "'\""), 0u);
  char buffer[10240];
  ASSERT_EQ(BASS_ChannelGetData(stream_, buffer, sizeof buffer), sizeof buffer);
  ASSERT_TRUE(BASS_StreamFree(stream_));
  EXPECT_EQ(std::filesystem::file_size(out), sizeof buffer);
}

}  // namespace
}  // namespace qm::audio
