// Creating, reading and describing channels.
#include "platform/audio.h"
#include "platform/audio/LastError.h"
#include "platform/audio/Registry.h"
#include "platform/audio/UserStream.h"

using namespace qm::audio;

HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc, void* user) {
  if (!Initialized()) return Fail(BASS_ERROR_INIT, 0u);
  if (proc == nullptr || !(flags & BASS_STREAM_DECODE)) return Fail(BASS_ERROR_NOTAVAIL, 0u);
  if (!ValidFormat(freq, chans, flags)) return Fail(BASS_ERROR_FORMAT, 0u);
  const SampleFormat format{freq, chans, flags & (BASS_SAMPLE_8BITS | BASS_SAMPLE_FLOAT)};
  const HSTREAM handle = AddChannel(std::make_shared<UserStream>(format, proc, user));
  SetLastError(BASS_OK);
  return handle;
}

// Stops the channel's encoders (they finish their files) and forgets the handle.
BOOL BASS_StreamFree(HSTREAM handle) {
  const auto channel = Channels().Remove(handle);
  if (!channel) return Fail(BASS_ERROR_HANDLE, 0);
  channel->StopEncoders();
  SetLastError(BASS_OK);
  return 1;
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  const auto channel = Channels().Find(handle);
  if (!channel) return Fail(BASS_ERROR_HANDLE, DWORD(-1));
  if (buffer == nullptr) return Fail(BASS_ERROR_ILLPARAM, DWORD(-1));
  const int64_t got = channel->Read(static_cast<uint8_t*>(buffer), length);
  return got < 0 ? DWORD(-1) : static_cast<DWORD>(got);
}

DWORD BASS_ChannelIsActive(DWORD handle) {
  const auto channel = Channels().Find(handle);
  if (!channel) return Fail(BASS_ERROR_HANDLE, BASS_ACTIVE_STOPPED);
  SetLastError(BASS_OK);
  return channel->Active() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
}

QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode) {
  const auto channel = Channels().Find(handle);
  if (!channel) return Fail(BASS_ERROR_HANDLE, QWORD(-1));
  if (mode != BASS_POS_BYTE) return Fail(BASS_ERROR_NOTAVAIL, QWORD(-1));
  SetLastError(BASS_OK);
  return channel->position();
}

BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info) {
  const auto channel = Channels().Find(handle);
  if (!channel) return Fail(BASS_ERROR_HANDLE, 0);
  if (info == nullptr) return Fail(BASS_ERROR_ILLPARAM, 0);
  const SampleFormat& format = channel->format();
  *info = {format.freq, format.chans, format.flags | channel->ExtraFlags()};
  SetLastError(BASS_OK);
  return 1;
}

BOOL BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value) {
  const auto channel = Channels().Find(handle);
  if (!channel) return Fail(BASS_ERROR_HANDLE, 0);
  if (attrib != BASS_ATTRIB_FREQ || value == nullptr) return Fail(BASS_ERROR_ILLTYPE, 0);
  *value = static_cast<float>(channel->format().freq);
  SetLastError(BASS_OK);
  return 1;
}

// Only the end sync is offered; `param` is not used by it.
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD, SYNCPROC* proc, void* user) {
  const auto channel = Channels().Find(handle);
  if (!channel) return Fail(BASS_ERROR_HANDLE, 0u);
  if (type != BASS_SYNC_END || proc == nullptr) return Fail(BASS_ERROR_ILLTYPE, 0u);
  const HSYNC sync = channel->AddEndSync(proc, user);
  SetLastError(BASS_OK);
  return sync;
}
