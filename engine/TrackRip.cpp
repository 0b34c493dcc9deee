// One track to one file: the channel set-up, the WAV writer and the progress rule
// the three per-track writers share.
#include "common/TextCodec.h"
#include "engine/Progress.h"
#include "engine/TDiscGrab.h"
#include "platform/MessagePump.h"

namespace qm::engine {
namespace {

// Frees a stream when the track is done with it, whichever way the track ends.
class StreamRelease {
 public:
  explicit StreamRelease(DWORD stream) : stream_(stream) {}
  ~StreamRelease() {
    if (stream_ != 0) BASS_StreamFree(stream_);
  }
  StreamRelease(const StreamRelease&) = delete;
  StreamRelease& operator=(const StreamRelease&) = delete;

 private:
  DWORD stream_;
};

}  // namespace

// A float channel (a mixer with BASS_SAMPLE_FLOAT) is described as IEEE float, so
// that its file plays as what it holds.
WavFormat FormatOf(DWORD channel) {
  BASS_CHANNELINFO info{};
  BASS_ChannelGetInfo(channel, &info);
  WavFormat format;
  format.rate = info.freq;
  format.channels = static_cast<uint16_t>(info.chans);
  format.bitsPerSample = (info.flags & BASS_SAMPLE_8BITS) ? 8 : 16;
  if (info.flags & BASS_SAMPLE_FLOAT) format.formatTag = 3, format.bitsPerSample = 32;
  return format;
}

bool TDiscGrab::RippTrack(int32_t DriveNumber, int32_t TrackNumber,
                          const std::u16string& SaveFileName) {
  DWORD mixer = 0;
  if (Resample) {
    mixer = BASS_Mixer_StreamCreate(ResampleFreq, ResampleChannels,
                                    ResampleFlags | BASS_MIXER_END | BASS_STREAM_DECODE);
  }
  // The mixer is released also when the track cannot be opened.
  StreamRelease releaseMixer(mixer);
  const DWORD cd = BASS_CD_StreamCreate(static_cast<DWORD>(DriveNumber),
                                        static_cast<DWORD>(TrackNumber), BASS_STREAM_DECODE);
  if (cd == 0) {
    LastError = BASS_ErrorGetCode();
    return false;
  }
  StreamRelease releaseCd(cd);
  DWORD channel = cd;
  if (Resample) {
    BASS_Mixer_StreamAddChannel(mixer, cd,
                                BASS_MIXER_NORAMPIN | BASS_MIXER_DOWNMIX | BASS_MIXER_FILTER);
    channel = mixer;
  }
  if (GetChannelCallback != nullptr) GetChannelCallback(Handle(), channel, TrackNumber);
  // Measured with Counter, which both callers set to the track being ripped.
  trackLength_ = BASS_CD_GetTrackLength(Drive, static_cast<DWORD>(Counter));
  switch (EncFormat) {
    case 2: Stream2Enc(SaveFileName, channel); break;
    case 1: Stream2Wav(SaveFileName, channel); break;
    case 3: Stream2WMA(SaveFileName, channel); break;
    default: break;
  }
  return true;
}

bool TDiscGrab::Stream2Wav(const std::u16string& SaveFileName, DWORD BASS_Channel) {
  if (BASS_Channel == 0) {
    LastError = DG_ERROR_NO_CHANNEL;
    return false;
  }
  WavFile file(text::EncodeUtf8(SaveFileName), FormatOf(BASS_Channel));
  uint8_t buffer[kBlockSize];
  bool shortWrite = false;
  while (BASS_ChannelIsActive(BASS_Channel) != BASS_ACTIVE_STOPPED) {
    const DWORD got = BASS_ChannelGetData(BASS_Channel, buffer, kBlockSize);
    // A failed read (-1) writes nothing and is not a short write.
    if (got != DWORD(-1) && file.Append(buffer, got) < got) {
      LastError = DG_ERROR_SHORT_WRITE;
      shortWrite = true;
      break;
    }
    ReportTrackProgress(BASS_Channel);
    platform::PumpMessages();
    if (StopRipp) break;
  }
  file.PatchSizes();
  if (!shortWrite) LastError = DG_ERROR_NONE;
  return true;
}

void TDiscGrab::ReportTrackProgress(DWORD channel) {
  if (OnProgress == nullptr) return;
  const QWORD position = BASS_ChannelGetPosition(channel, BASS_POS_BYTE);
  std::optional<uint32_t> progress =
      Percent(static_cast<double>(position), static_cast<double>(trackLength_));
  if (progress && Resample) progress = RescaleForResampling(*progress, ResampleFreq, ResampleChannels);
  ReportProgress(progress);
}

void TDiscGrab::ReportProgress(std::optional<uint32_t> progress) {
  if (OnProgress != nullptr && progress) {
    OnProgress(Handle(), *progress, TotalPercent(Counter, TrackCount));
  }
}

}  // namespace qm::engine
