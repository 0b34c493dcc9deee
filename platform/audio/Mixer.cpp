#include "platform/audio/Mixer.h"

#include <algorithm>
#include <cmath>

#include "platform/audio/LastError.h"
#include "platform/audio/SampleConversion.h"

namespace qm::audio {
namespace {
// Source frames read per pull, at most: the mixer reads its sources in blocks of
// about what the caller asked for.
constexpr size_t kMaxPullFrames = 16384;
}  // namespace

Mixer::~Mixer() {
  if (resampler_ != nullptr) soxr_delete(resampler_);
}

bool Mixer::Active() const {
  return !endWithSources_ || !sources_.empty() || tailPending_ || FifoFrames() > 0;
}

DWORD Mixer::ExtraFlags() const {
  return BASS_STREAM_DECODE | (endWithSources_ ? BASS_MIXER_END : 0);
}

int32_t Mixer::AddSource(DWORD handle, const SampleFormat& sourceFormat) {
  if (handle == this->handle()) return BASS_ERROR_ILLPARAM;
  for (const Source& source : sources_) {
    if (source.handle == handle) return BASS_ERROR_ALREADY;
  }
  if (!sources_.empty() && sourceFormat.freq != sourceRate_) return BASS_ERROR_FORMAT;
  if (sources_.empty() && sourceFormat.freq != sourceRate_) UseSourceRate(sourceFormat.freq);
  if (sources_.empty() && sourceRate_ == 0) return BASS_ERROR_CREATE;
  sources_.push_back({handle, sourceFormat});
  return BASS_OK;
}

// Sets the resampler up for a new source rate, after flushing what the old one holds.
void Mixer::UseSourceRate(DWORD rate) {
  if (tailPending_) FlushResampler();
  if (resampler_ != nullptr) soxr_delete(resampler_);
  resampler_ = nullptr;
  sourceRate_ = 0;
  if (rate != format().freq) {
    const soxr_io_spec_t io = soxr_io_spec(SOXR_FLOAT32_I, SOXR_FLOAT32_I);
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    soxr_error_t error = nullptr;
    resampler_ = soxr_create(rate, format().freq, format().chans, &error, &io, &quality, nullptr);
    if (error != nullptr) {
      resampler_ = nullptr;
      return;
    }
  }
  sourceRate_ = rate;
}

int64_t Mixer::Decode(uint8_t* buffer, uint32_t length) {
  if (!Active()) return Fail(BASS_ERROR_ENDED, int64_t{-1});
  const size_t frames = length / format().FrameBytes();
  const size_t chans = format().chans;
  while (FifoFrames() < frames) {
    if (!sources_.empty()) {
      // Stops for this read when the last source has just ended: the resampler's tail
      // is only flushed by a later read that still finds no source.
      if (!PullSources(frames - FifoFrames())) break;
    } else if (tailPending_) {
      FlushResampler();
    } else {
      break;
    }
  }
  if (!endWithSources_ && sources_.empty() && !tailPending_) {
    fifo_.resize(fifo_.size() + (frames - std::min(frames, FifoFrames())) * chans, 0.0f);
  }
  const size_t delivered = std::min(frames, FifoFrames());
  StoreFromFloat(fifo_.data(), delivered * chans, format().flags, buffer);
  // Drops the delivered frames; what is left is less than one pull's output.
  fifo_.erase(fifo_.begin(), fifo_.begin() + static_cast<ptrdiff_t>(delivered * chans));
  return static_cast<int64_t>(delivered * format().FrameBytes());
}

// Reads one block from every source, sums it and passes it on. False when no
// source is left or none delivered anything.
bool Mixer::PullSources(size_t wantedFrames) {
  size_t frames = wantedFrames;
  if (resampler_ != nullptr) {
    frames = static_cast<size_t>(std::ceil(static_cast<double>(wantedFrames) * sourceRate_ /
                                           format().freq));
  }
  frames = std::clamp<size_t>(frames, 1, kMaxPullFrames);
  const DWORD chans = format().chans;
  summed_.assign(frames * chans, 0.0f);
  size_t longest = 0;
  std::erase_if(sources_, [&](const Source& source) {
    const size_t bytes = frames * source.format.FrameBytes();
    if (sourceBytes_.size() < bytes) sourceBytes_.resize(bytes);
    const DWORD got = BASS_ChannelGetData(source.handle, sourceBytes_.data(), static_cast<DWORD>(bytes));
    if (got != DWORD(-1)) {
      const size_t gotFrames = got / source.format.FrameBytes();
      AddAsFloat(sourceBytes_.data(), source.format, gotFrames, summed_.data(), chans);
      longest = std::max(longest, gotFrames);
    }
    return got == DWORD(-1) || BASS_ChannelIsActive(source.handle) == BASS_ACTIVE_STOPPED;
  });
  if (longest > 0) Push(summed_.data(), longest);
  return !sources_.empty() && longest > 0;
}

void Mixer::Push(const float* samples, size_t frames) {
  const size_t chans = format().chans;
  if (resampler_ == nullptr) {
    fifo_.insert(fifo_.end(), samples, samples + frames * chans);
    return;
  }
  tailPending_ = true;
  const size_t room = frames * format().freq / sourceRate_ + 64;
  if (resampled_.size() < room * chans) resampled_.resize(room * chans);
  while (frames > 0) {
    size_t used = 0, made = 0;
    soxr_process(resampler_, samples, frames, &used, resampled_.data(), room, &made);
    fifo_.insert(fifo_.end(), resampled_.data(), resampled_.data() + made * chans);
    if (used == 0 && made == 0) break;
    samples += used * chans;
    frames -= used;
  }
}

void Mixer::FlushResampler() {
  const size_t chans = format().chans;
  const size_t room = resampled_.size() / chans;
  for (;;) {
    size_t made = 0;
    soxr_process(resampler_, nullptr, 0, nullptr, resampled_.data(), room, &made);
    if (made == 0) break;
    fifo_.insert(fifo_.end(), resampled_.data(), resampled_.data() + made * chans);
  }
  soxr_clear(resampler_);
  tailPending_ = false;
}

}  // namespace qm::audio
