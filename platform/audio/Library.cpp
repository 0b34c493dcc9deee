// Library start and end, and the tables every other part uses.
#include <atomic>

#include "platform/audio.h"
#include "platform/audio/LastError.h"
#include "platform/audio/Registry.h"

namespace qm::audio {
namespace {
std::atomic<bool> g_initialized{false};
}

HandleTable<Channel>& Channels() {
  static HandleTable<Channel> table;
  return table;
}

HandleTable<EncoderProcess>& Encoders() {
  static HandleTable<EncoderProcess> table;
  return table;
}

bool Initialized() { return g_initialized.load(); }

DWORD AddChannel(std::shared_ptr<Channel> channel) {
  Channel& created = *channel;
  const DWORD handle = Channels().Add(std::move(channel));
  created.set_handle(handle);
  return handle;
}

}  // namespace qm::audio

using namespace qm::audio;

DWORD BASS_GetVersion() { return 0x02040000; }

// There is no sound output here: the device may be the default one (-1), "no
// sound" (0) or the first device (1); the rest of the arguments are not needed.
BOOL BASS_Init(int device, DWORD, DWORD, void*, const void*) {
  if (device < -1 || device > 1) return Fail(BASS_ERROR_DEVICE, 0);
  if (g_initialized.exchange(true)) return Fail(BASS_ERROR_ALREADY, 0);
  SetLastError(BASS_OK);
  return 1;
}

BOOL BASS_Free() {
  if (!g_initialized.exchange(false)) return Fail(BASS_ERROR_INIT, 0);
  // Freeing a channel stops its encoders, which finish their files.
  Channels().RemoveAll();
  Encoders().RemoveAll();
  SetLastError(BASS_OK);
  return 1;
}
