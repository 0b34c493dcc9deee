#include <gtest/gtest.h>

#include <cstring>

#include "engine/tests/EngineFixture.h"

namespace qm::engine {
namespace {

class ParamsTest : public EngineTest {};

TEST_F(ParamsTest, AFreshObjectHasTheDefaults) {
  TDiscGrabParams params;
  std::memset(&params, 0x5A, sizeof params);
  ASSERT_EQ(dg::DiscGrab_GetParams(ripper_, &params), -1);
  EXPECT_EQ(params.Drive, 0u);
  EXPECT_EQ(params.AlbumMode, -1);
  EXPECT_EQ(params.EncFormat, 1u);
  EXPECT_EQ(params.EncoderPriority, 32u);
  EXPECT_EQ(params.Resample, 0);
  EXPECT_EQ(params.ResampleFreq, 44100u);
  EXPECT_EQ(params.ResampleChannels, 2u);
  EXPECT_EQ(params.ResampleFlags, 0u);
  EXPECT_EQ(params.WMAEncFlags, 0u);
  EXPECT_EQ(params.WMAQuality, 100);
  ASSERT_NE(params.FileName, nullptr);
  ASSERT_NE(params.EncCmdLine, nullptr);
  EXPECT_EQ(params.FileName[0], u'\0');
  EXPECT_EQ(params.EncCmdLine[0], u'\0');
  EXPECT_EQ(dg::DiscGrab_GetLastError(ripper_), 0);
}

TEST_F(ParamsTest, TheRecordRoundTripsWithItsStringsCopied) {
  std::u16string file = u"/tmp/album é.wav";
  std::u16string line = u"enc -r {o}";
  TDiscGrabParams in{7, 5, file.c_str(), 3, line.c_str(), 0x4000, 9, 48000, 1, 0x100, 0x2, 128000};
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, in), -1);
  file.assign(u"changed by the caller");
  line.clear();
  TDiscGrabParams out{};
  ASSERT_EQ(dg::DiscGrab_GetParams(ripper_, &out), -1);
  EXPECT_EQ(out.Drive, 7u);
  EXPECT_EQ(out.AlbumMode, -1) << "nonzero reads back as -1";
  EXPECT_EQ(std::u16string(out.FileName), u"/tmp/album é.wav");
  EXPECT_EQ(out.EncFormat, 3u);
  EXPECT_EQ(std::u16string(out.EncCmdLine), u"enc -r {o}");
  EXPECT_EQ(out.EncoderPriority, 0x4000u);
  EXPECT_EQ(out.Resample, -1);
  EXPECT_EQ(out.ResampleFreq, 48000u);
  EXPECT_EQ(out.ResampleChannels, 1u);
  EXPECT_EQ(out.ResampleFlags, 0x100u);
  EXPECT_EQ(out.WMAEncFlags, 0x2u);
  EXPECT_EQ(out.WMAQuality, 128000);

  in = TDiscGrabParams{};
  ASSERT_EQ(dg::DiscGrab_SetParams(ripper_, in), -1);
  ASSERT_EQ(dg::DiscGrab_GetParams(ripper_, &out), -1);
  EXPECT_EQ(out.AlbumMode, 0);
  ASSERT_NE(out.FileName, nullptr) << "a null string reads back as an empty one";
  EXPECT_EQ(out.FileName[0], u'\0');
}

TEST_F(ParamsTest, ExportsRefuseAHandleThatIsNotALiveObject) {
  int notAnObject = 0;
  EXPECT_EQ(dg::DiscGrab_GetLastError(&notAnObject), -1);
  EXPECT_EQ(dg::DiscGrab_Ripp(&notAnObject), 0);
  EXPECT_EQ(dg::DiscGrab_StopRipp(nullptr), 0);
  EXPECT_EQ(dg::DiscGrab_GetParams(ripper_, nullptr), 0);
  const TDiscGrabHandle other = dg::DiscGrab_Create();
  EXPECT_EQ(dg::DiscGrab_Free(other), -1);
  EXPECT_EQ(dg::DiscGrab_Free(other), 0);
}

}  // namespace
}  // namespace qm::engine
