#include "platform/audio/LastError.h"

#include "platform/audio.h"

namespace qm::audio {
namespace {
thread_local int32_t t_lastError = BASS_OK;
}

void SetLastError(int32_t code) { t_lastError = code; }
int32_t LastError() { return t_lastError; }

}  // namespace qm::audio

int32_t BASS_ErrorGetCode() { return qm::audio::LastError(); }
