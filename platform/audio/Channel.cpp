#include "platform/audio/Channel.h"

#include <algorithm>

#include "platform/audio/EncoderProcess.h"
#include "platform/audio/HandleTable.h"
#include "platform/audio/LastError.h"
#include "platform/audio/Registry.h"

namespace qm::audio {

size_t SampleFormat::BytesPerSample() const {
  if (flags & BASS_SAMPLE_FLOAT) return 4;
  if (flags & BASS_SAMPLE_8BITS) return 1;
  return 2;
}

bool ValidFormat(DWORD freq, DWORD chans, DWORD flags) {
  constexpr DWORD kMinRate = 1000, kMaxRate = 384000, kMaxChannels = 8;
  const bool twoSampleTypes = (flags & BASS_SAMPLE_8BITS) && (flags & BASS_SAMPLE_FLOAT);
  return freq >= kMinRate && freq <= kMaxRate && chans >= 1 && chans <= kMaxChannels &&
         !twoSampleTypes;
}

Channel::~Channel() { StopEncoders(); }

int64_t Channel::Read(uint8_t* buffer, uint32_t length) {
  const uint32_t frameBytes = static_cast<uint32_t>(format_.FrameBytes());
  length -= length % frameBytes;
  if (length == 0) {
    SetLastError(BASS_OK);
    return 0;
  }
  const int64_t got = Decode(buffer, length);
  if (got > 0) {
    position_ += static_cast<uint64_t>(got);
    for (const auto& encoder : encoders_) encoder->Write(buffer, static_cast<size_t>(got));
  }
  if (Active()) {
    endSignalled_ = false;  // a mixer that got a new source ends again later
  } else {
    FireEndSyncs();
  }
  if (got >= 0) SetLastError(BASS_OK);
  return got;
}

HSYNC Channel::AddEndSync(SYNCPROC* proc, void* user) {
  const HSYNC handle = NextHandle();
  endSyncs_.push_back({handle, proc, user});
  return handle;
}

void Channel::FireEndSyncs() {
  if (endSignalled_) return;
  endSignalled_ = true;
  // A sync procedure may add syncs or free this channel's handle: work on a copy.
  const std::vector<Sync> syncs = endSyncs_;
  for (const Sync& sync : syncs) sync.proc(sync.handle, handle_, 0, sync.user);
}

void Channel::AttachEncoder(std::shared_ptr<EncoderProcess> encoder) {
  encoders_.push_back(std::move(encoder));
}

void Channel::StopEncoders(const EncoderProcess* only) {
  for (const auto& encoder : encoders_) {
    if (only != nullptr && encoder.get() != only) continue;
    encoder->Stop();
    Encoders().Remove(encoder->handle());
  }
  std::erase_if(encoders_, [only](const auto& e) { return only == nullptr || e.get() == only; });
}

bool Channel::HasRunningEncoder() const {
  return std::any_of(encoders_.begin(), encoders_.end(),
                     [](const auto& encoder) { return encoder->Running(); });
}

}  // namespace qm::audio
