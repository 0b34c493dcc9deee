// A stream fed by the caller's stream procedure, called inside every read with the
// reader's buffer and byte count. It ends when the procedure says so.
#pragma once

#include "platform/audio/Channel.h"

namespace qm::audio {

class UserStream final : public Channel {
 public:
  UserStream(SampleFormat format, STREAMPROC* proc, void* user)
      : Channel(format), proc_(proc), user_(user) {}

  bool Active() const override { return !ended_; }

 protected:
  int64_t Decode(uint8_t* buffer, uint32_t length) override;

 private:
  STREAMPROC* proc_;
  void* user_;
  bool ended_ = false;
};

}  // namespace qm::audio
