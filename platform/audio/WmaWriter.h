// A WMA file: PCM in, Windows Media Audio 2 (libavcodec's wmav2) in an ASF
// container (libavformat) out.
//
// The bitrate argument is in bits per second; a value of 100 or less is a quality q
// instead, mapped to channels x (16000 + 1440 x q) bit/s: 320 kbit/s for stereo at
// quality 100, 176 kbit/s at 50. Whatever the source, the bitrate is at least the
// 24 kbit/s wmav2 needs. wmav2 takes 1 or 2 channels at up to 48000 Hz.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/Channel.h"

namespace qm::audio {

class WmaWriter {
 public:
  // Opens the file; nullptr with `error` set when the format or file is refused.
  static std::unique_ptr<WmaWriter> Open(const std::string& path, const SampleFormat& input,
                                         uint32_t bitrateOrQuality, int32_t& error);
  ~WmaWriter();
  WmaWriter(const WmaWriter&) = delete;
  WmaWriter& operator=(const WmaWriter&) = delete;

  bool Write(const uint8_t* data, size_t size);
  // Encodes what is left, writes the trailer and closes the file.
  bool Close();

  static uint32_t BitrateFor(uint32_t bitrateOrQuality, uint32_t chans);

 private:
  struct State;
  explicit WmaWriter(std::unique_ptr<State> state);
  bool EncodeFrame(size_t frames);
  bool Drain();

  std::unique_ptr<State> state_;
};

}  // namespace qm::audio
