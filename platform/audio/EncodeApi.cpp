// The command-line encoder functions: an encoder is started on a channel and from
// then on receives every block read from that channel.
#include <string>

#include "common/TextCodec.h"
#include "platform/audio.h"
#include "platform/audio/CommandLine.h"
#include "platform/audio/LastError.h"
#include "platform/audio/Registry.h"

using namespace qm::audio;

namespace {

std::string CommandLineText(const void* cmdline, DWORD flags) {
  if (!(flags & BASS_UNICODE)) return static_cast<const char*>(cmdline);
  return qm::text::EncodeUtf8(static_cast<const char16_t*>(cmdline));
}

}  // namespace

// Only the raw feed (BASS_ENCODE_NOHEAD) and no encoder procedure are offered: the
// output goes where the command line says.
HENCODE BASS_Encode_Start(DWORD handle, const void* cmdline, DWORD flags, ENCODEPROC* proc,
                          void*) {
  const auto channel = Channels().Find(handle);
  if (!channel) return Fail(BASS_ERROR_HANDLE, 0u);
  if (cmdline == nullptr || proc != nullptr || !(flags & BASS_ENCODE_NOHEAD)) {
    return Fail(BASS_ERROR_NOTAVAIL, 0u);
  }
  std::vector<std::string> argv = SplitWindowsCommandLine(CommandLineText(cmdline, flags));
  if (argv.empty()) return Fail(BASS_ERROR_FILEOPEN, 0u);
  argv[0] = ResolveProgram(argv[0]);
  if (argv[0].empty()) return Fail(BASS_ERROR_FILEOPEN, 0u);
  auto encoder = EncoderProcess::Start(argv);
  if (!encoder) return Fail(BASS_ERROR_FILEOPEN, 0u);
  encoder->set_channel(handle);
  const HENCODE encoderHandle = Encoders().Add(encoder);
  encoder->set_handle(encoderHandle);
  channel->AttachEncoder(std::move(encoder));
  SetLastError(BASS_OK);
  return encoderHandle;
}

DWORD BASS_Encode_IsActive(DWORD handle) {
  SetLastError(BASS_OK);
  if (const auto encoder = Encoders().Find(handle)) {
    return encoder->Running() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
  }
  if (const auto channel = Channels().Find(handle)) {
    return channel->HasRunningEncoder() ? BASS_ACTIVE_PLAYING : BASS_ACTIVE_STOPPED;
  }
  return Fail(BASS_ERROR_HANDLE, BASS_ACTIVE_STOPPED);
}

// `handle` is an encoder, or a channel whose encoders all stop.
BOOL BASS_Encode_Stop(DWORD handle) {
  if (const auto encoder = Encoders().Remove(handle)) {
    if (const auto channel = Channels().Find(encoder->channel())) {
      channel->StopEncoders(encoder.get());
    }
    encoder->Stop();
  } else if (const auto channel = Channels().Find(handle)) {
    channel->StopEncoders();
  } else {
    return Fail(BASS_ERROR_HANDLE, 0);
  }
  SetLastError(BASS_OK);
  return 1;
}
