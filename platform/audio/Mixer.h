// The mixing stream: it sums its sources (decoding channels of one sample rate),
// fits them to its channel count and resamples them with libsoxr to its own rate
// and sample type. Sources that end are dropped; one resampler serves the sources
// one after the other, so a source added right after another ended continues the
// output without a seam. With BASS_MIXER_END the mixer ends once it has no source
// left and the resampler's tail has been delivered; a source added later makes it
// active again. Without that flag it delivers silence while it has no source.
#pragma once

#include <soxr.h>

#include <vector>

#include "platform/audio/Channel.h"

namespace qm::audio {

class Mixer final : public Channel {
 public:
  Mixer(SampleFormat format, bool endWithSources)
      : Channel(format), endWithSources_(endWithSources) {}
  ~Mixer() override;

  // BASS_OK, or the error that keeps `handle` from becoming a source.
  int32_t AddSource(DWORD handle, const SampleFormat& sourceFormat);

  bool Active() const override;
  DWORD ExtraFlags() const override;

 protected:
  int64_t Decode(uint8_t* buffer, uint32_t length) override;

 private:
  struct Source {
    DWORD handle;
    SampleFormat format;
  };

  size_t FifoFrames() const { return fifo_.size() / format().chans; }
  bool PullSources(size_t wantedFrames);
  void Push(const float* samples, size_t frames);
  void FlushResampler();
  void UseSourceRate(DWORD rate);

  bool endWithSources_;
  std::vector<Source> sources_;
  DWORD sourceRate_ = 0;
  soxr_t resampler_ = nullptr;  // none when the source rate is the mixer's rate
  bool tailPending_ = false;    // the resampler holds input not yet flushed out
  std::vector<float> fifo_;     // output frames ready to be delivered
  std::vector<uint8_t> sourceBytes_;
  std::vector<float> summed_;
  std::vector<float> resampled_;
};

}  // namespace qm::audio
