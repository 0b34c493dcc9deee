// Creating a mixer and adding sources to it.
#include "platform/audio.h"
#include "platform/audio/LastError.h"
#include "platform/audio/Mixer.h"
#include "platform/audio/Registry.h"

using namespace qm::audio;

HSTREAM BASS_Mixer_StreamCreate(DWORD freq, DWORD chans, DWORD flags) {
  if (!Initialized()) return Fail(BASS_ERROR_INIT, 0u);
  if (!(flags & BASS_STREAM_DECODE)) return Fail(BASS_ERROR_NOTAVAIL, 0u);
  if (!ValidFormat(freq, chans, flags)) return Fail(BASS_ERROR_FORMAT, 0u);
  const SampleFormat format{freq, chans, flags & (BASS_SAMPLE_8BITS | BASS_SAMPLE_FLOAT)};
  const HSTREAM handle =
      AddChannel(std::make_shared<Mixer>(format, (flags & BASS_MIXER_END) != 0));
  SetLastError(BASS_OK);
  return handle;
}

// Every source is fitted to the mixer's channels and filtered when resampled, and
// none is faded in: the source flags (BASS_MIXER_DOWNMIX, BASS_MIXER_FILTER,
// BASS_MIXER_NORAMPIN) describe what always happens.
BOOL BASS_Mixer_StreamAddChannel(HSTREAM handle, DWORD channel, DWORD) {
  const auto mixer = std::dynamic_pointer_cast<Mixer>(Channels().Find(handle));
  const auto source = Channels().Find(channel);
  if (!mixer || !source) return Fail(BASS_ERROR_HANDLE, 0);
  const int32_t error = mixer->AddSource(channel, source->format());
  if (error != BASS_OK) return Fail(error, 0);
  SetLastError(BASS_OK);
  return 1;
}
