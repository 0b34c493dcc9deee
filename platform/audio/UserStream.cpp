#include "platform/audio/UserStream.h"

#include "platform/audio/LastError.h"

namespace qm::audio {

int64_t UserStream::Decode(uint8_t* buffer, uint32_t length) {
  if (ended_) return Fail(BASS_ERROR_ENDED, int64_t{-1});
  const DWORD result = proc_(handle(), buffer, length, user_);
  ended_ = (result & BASS_STREAMPROC_END) != 0;
  // A procedure that claims more than it was asked for delivered at most the buffer.
  DWORD count = result & ~BASS_STREAMPROC_END;
  if (count > length) count = length;
  return count - count % format().FrameBytes();
}

}  // namespace qm::audio
