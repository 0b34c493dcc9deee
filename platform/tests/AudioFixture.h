// What the audio layer's tests share: an initialised library for each test, and
// reading a channel to its end.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/audio.h"
#include "tests/support/ImageDrive.h"
#include "tests/support/TestSupport.h"

namespace qm::audio {

class AudioFixture : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)); }
  void TearDown() override { BASS_Free(); }

  // Reads `channel` in blocks of `block` bytes while it is active.
  static std::string ReadToEnd(DWORD channel, DWORD block = 10240) {
    std::string all;
    std::string buffer(block, '\0');
    while (BASS_ChannelIsActive(channel) != BASS_ACTIVE_STOPPED) {
      const DWORD got = BASS_ChannelGetData(channel, buffer.data(), block);
      if (got == DWORD(-1)) break;
      all.append(buffer, 0, got);
    }
    return all;
  }

  test::TempDir dir_;
};

}  // namespace qm::audio
