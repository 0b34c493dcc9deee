// What the engine's tests share: the engine bound through the program's binding, an
// initialised audio layer, a disc image as the only image drive, a ripper object,
// and a recorder for the callbacks.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/DiscGrabDefs.h"
#include "common/TextCodec.h"
#include "platform/audio.h"
#include "tests/support/ImageDrive.h"
#include "tests/support/TestSupport.h"

namespace qm::engine {

namespace dg = DiscGrabDefs;

// What the callbacks saw during one rip. Callbacks are plain functions: they reach
// the recorder through this one global.
struct Recorder {
  std::vector<std::pair<uint32_t, uint32_t>> progress;
  std::vector<std::pair<uint32_t, int32_t>> channels;   // (channel, track)
  std::vector<std::pair<uint32_t, int32_t>> wmaOpened;  // (encoder, track)
  int stopAtCall = -1;  // the progress call (1-based) that asks for a stop

  static Recorder* current;

  static void DG_STDCALL OnProgress(TDiscGrabHandle handle, uint32_t progress, uint32_t total) {
    current->progress.emplace_back(progress, total);
    if (static_cast<int>(current->progress.size()) == current->stopAtCall) {
      dg::DiscGrab_StopRipp(handle);
    }
  }
  static void DG_STDCALL OnChannel(TDiscGrabHandle, uint32_t channel, int32_t track) {
    current->channels.emplace_back(channel, track);
  }
  static void DG_STDCALL OnWma(TDiscGrabHandle, uint32_t encoder, int32_t track) {
    current->wmaOpened.emplace_back(encoder, track);
  }
};

class EngineTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(dg::LoadDiscGrabLibrary()); }

  void SetUp() override {
    ASSERT_TRUE(dg::DiscGrabLoaded);
    ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    Recorder::current = &recorder_;
    ripper_ = dg::DiscGrab_Create();
    ASSERT_NE(ripper_, nullptr);
    dg::DiscGrab_SetProgressCallback(ripper_, Recorder::OnProgress);
    dg::DiscGrab_SetGetChannelCallback(ripper_, Recorder::OnChannel);
    dg::DiscGrab_SetWMAEncCallback(ripper_, Recorder::OnWma);
  }

  void TearDown() override {
    dg::DiscGrab_Free(ripper_);
    BASS_Free();
    Recorder::current = nullptr;
  }

  // Makes the disc (qm_discimage options) and puts it in the one image drive.
  void InsertDisc(const std::vector<std::string>& options) {
    disc_.reset();
    disc_ = std::make_unique<test::InsertedDisc>(dir_.path(), options);
    drive_ = disc_->drive();
  }

  // Track mode or album mode with the given output kind; other fields as the caller sets.
  TDiscGrabParams Params(bool album, uint32_t format) {
    TDiscGrabParams params{};
    params.Drive = drive_;
    params.AlbumMode = album ? 1 : 0;
    params.FileName = albumName_.c_str();
    params.EncFormat = format;
    params.EncCmdLine = cmdLine_.c_str();
    params.EncoderPriority = NORMAL_PRIORITY_CLASS;
    params.ResampleFreq = 44100;
    params.ResampleChannels = 2;
    params.WMAQuality = 100;
    return params;
  }

  // Names dir/Track1.<ext> ... for `count` tracks.
  std::vector<std::filesystem::path> AddTrackNames(int count, const std::string& ext) {
    std::vector<std::filesystem::path> names;
    dg::DiscGrab_ClearTracks(ripper_);
    for (int n = 1; n <= count; ++n) {
      names.push_back(dir_ / ("Track" + std::to_string(n) + "." + ext));
      dg::DiscGrab_AddTracks(ripper_, text::DecodeUtf8(names.back().string()).c_str());
    }
    return names;
  }

  void SetAlbumFile(const std::filesystem::path& path) {
    albumName_ = text::DecodeUtf8(path.string());
  }

  std::string BinBytes(uint32_t firstSector, uint32_t sectors) {
    return test::ReadFile(dir_ / "disc.bin")
        .substr(size_t{firstSector} * test::kSectorBytes, size_t{sectors} * test::kSectorBytes);
  }

  test::TempDir dir_;
  std::unique_ptr<test::InsertedDisc> disc_;
  DWORD drive_ = 0;
  TDiscGrabHandle ripper_ = nullptr;
  Recorder recorder_;
  std::u16string albumName_;
  std::u16string cmdLine_;
};

inline Recorder* Recorder::current = nullptr;

// The little-endian 32-bit field at `offset`.
inline uint32_t Field32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

inline uint16_t Field16(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                               static_cast<uint8_t>(bytes[offset + 1]) << 8);
}

}  // namespace qm::engine
