// A decoding channel: something that delivers PCM bytes on request. Its subclasses
// are the CD track stream, the procedure-fed stream and the mixer. The base class
// does what every channel shares: the byte position, the end syncs (fired once, on
// the reading thread, right after the last byte was delivered) and the encoders
// that receive every block read from the channel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/audio.h"

namespace qm::audio {

class EncoderProcess;

struct SampleFormat {
  DWORD freq = 44100;
  DWORD chans = 2;
  DWORD flags = 0;  // BASS_SAMPLE_8BITS or BASS_SAMPLE_FLOAT; 16-bit when neither

  size_t BytesPerSample() const;
  size_t FrameBytes() const { return BytesPerSample() * chans; }
};

// A rate of 1000 to 384000 Hz, 1 to 8 channels, at most one sample-type flag.
bool ValidFormat(DWORD freq, DWORD chans, DWORD flags);

class Channel {
 public:
  explicit Channel(SampleFormat format) : format_(format) {}
  virtual ~Channel();
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  const SampleFormat& format() const { return format_; }
  // Flags reported by BASS_ChannelGetInfo beyond the sample format.
  virtual DWORD ExtraFlags() const { return BASS_STREAM_DECODE; }

  DWORD handle() const { return handle_; }
  void set_handle(DWORD handle) { handle_ = handle; }
  uint64_t position() const { return position_; }

  // Reads up to `length` bytes (rounded down to whole frames): returns the count,
  // or -1 with the error recorded. Feeds the encoders and fires the end syncs.
  int64_t Read(uint8_t* buffer, uint32_t length);
  virtual bool Active() const = 0;

  HSYNC AddEndSync(SYNCPROC* proc, void* user);

  void AttachEncoder(std::shared_ptr<EncoderProcess> encoder);
  // Stops one encoder (or all with nullptr) and detaches it.
  void StopEncoders(const EncoderProcess* only = nullptr);
  bool HasRunningEncoder() const;

 protected:
  // Delivers up to `length` bytes, a whole number of frames; -1 with the error set.
  virtual int64_t Decode(uint8_t* buffer, uint32_t length) = 0;

 private:
  struct Sync {
    HSYNC handle;
    SYNCPROC* proc;
    void* user;
  };

  void FireEndSyncs();

  SampleFormat format_;
  DWORD handle_ = 0;
  uint64_t position_ = 0;
  bool endSignalled_ = false;
  std::vector<Sync> endSyncs_;
  std::vector<std::shared_ptr<EncoderProcess>> encoders_;
};

}  // namespace qm::audio
