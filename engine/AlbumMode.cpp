// Album mode: the whole disc into one output. The tracks' CD streams are read one
// after the other through one whole-disc stream (a procedure stream, or the mixer
// when resampling); an end sync on each track's stream tells the disc loop to move
// on to the next track.
#include "common/TextCodec.h"
#include "engine/Progress.h"
#include "engine/TDiscGrab.h"
#include "platform/MessagePump.h"

namespace qm::engine {

void TDiscGrab::RippAlbumTrack(int32_t track) {
  if (!StreamAll(static_cast<int32_t>(Drive), track, FileName)) return;
  trackLength_ = BASS_CD_GetTrackLength(Drive, static_cast<DWORD>(track));
  uint8_t buffer[kBlockSize];
  do {
    platform::PumpMessages();
    try {
      const DWORD got = BASS_ChannelGetData(WholeStream, buffer, kBlockSize);
      // A failed read counts as a short write: it ends the wait for this track.
      if (!DeliverAlbumBlock(buffer, got)) break;
      ReportProgress(AlbumProgress());
    } catch (const std::exception&) {
      // A failing step of one block does not end the wait for the track.
    }
    if (StopRipp) return;
  } while (!TrackReady);
  TrackReady = false;
  ReleaseEndedStream();
}

// Passes a block read from the whole-disc stream to the output the reading itself
// does not feed: the WAV file, and the WMA file when the stream is the mixer (the
// stream procedure feeds it otherwise). False on a short WAV write (LastError 2).
bool TDiscGrab::DeliverAlbumBlock(const uint8_t* buffer, DWORD got) {
  if (EncFormat == 1 &&
      (got == DWORD(-1) || !AlbumWAVStream || AlbumWAVStream->Append(buffer, got) < got)) {
    LastError = DG_ERROR_SHORT_WRITE;
    return false;
  }
  if (EncFormat == 3 && Resample && got != DWORD(-1)) BASS_WMA_EncodeWrite(WMAEncHandle, buffer, got);
  return true;
}

// After the last track the resampling mixer still holds the tail of its filter;
// it is read out so that the output ends where the disc ends.
void TDiscGrab::DrainMixer() {
  if (!Resample || WholeStream == 0 || ActStream != kNextTrack) return;
  uint8_t buffer[kBlockSize];
  while (BASS_ChannelIsActive(WholeStream) != BASS_ACTIVE_STOPPED) {
    const DWORD got = BASS_ChannelGetData(WholeStream, buffer, kBlockSize);
    if (got == DWORD(-1) || !DeliverAlbumBlock(buffer, got)) break;
  }
}

// The percent of the track being read (Counter), from its CD stream's position.
std::optional<uint32_t> TDiscGrab::AlbumProgress() {
  const QWORD position = BASS_ChannelGetPosition(ActStream, BASS_POS_BYTE);
  return Percent(static_cast<double>(position), static_cast<double>(trackLength_));
}

bool TDiscGrab::StreamAll(int32_t DriveNumber, int32_t TrackNumber,
                          const std::u16string& SaveFileName) {
  // Expanded for the first track only: an encoder that has stopped (or never
  // started) cannot be started again for a later track, which then fails with 4.
  std::u16string commandLine;
  if (WholeStream == 0) {
    if (EncFormat == 2) commandLine = ExpandCmdLine(SaveFileName);
    if (!CreateWholeStream()) return false;
  }
  if (ActStream == kNextTrack && !OpenAlbumTrack(DriveNumber, TrackNumber)) return false;
  if (GetChannelCallback != nullptr) GetChannelCallback(Handle(), WholeStream, -1);
  return StartAlbumOutput(TrackNumber, SaveFileName, commandLine);
}

// A whole-disc stream that cannot be made would leave nothing to read the tracks:
// the track is skipped as one without a channel.
bool TDiscGrab::CreateWholeStream() {
  if (Resample) {
    WholeStream = BASS_Mixer_StreamCreate(ResampleFreq, ResampleChannels,
                                          ResampleFlags | BASS_MIXER_END | BASS_STREAM_DECODE);
  } else {
    WholeStream = BASS_StreamCreate(44100, 2, BASS_STREAM_DECODE, WholeStreamProc, this);
  }
  if (WholeStream == 0) LastError = DG_ERROR_NO_CHANNEL;
  return WholeStream != 0;
}

bool TDiscGrab::OpenAlbumTrack(int32_t DriveNumber, int32_t TrackNumber) {
  ActStream = BASS_CD_StreamCreate(static_cast<DWORD>(DriveNumber),
                                   static_cast<DWORD>(TrackNumber), BASS_STREAM_DECODE);
  if (ActStream == 0) {
    if (BASS_ErrorGetCode() != BASS_ERROR_NOTAUDIO) LastError = DG_ERROR_TRACK_OPEN;
    ActStream = kNextTrack;
    return false;
  }
  if (Resample) {
    BASS_Mixer_StreamAddChannel(WholeStream, ActStream,
                                BASS_MIXER_NORAMPIN | BASS_MIXER_DOWNMIX | BASS_MIXER_FILTER);
  }
  BASS_ChannelSetSync(ActStream, BASS_SYNC_END, 0, TrackEndSync, this);
  return true;
}

bool TDiscGrab::StartAlbumOutput(int32_t TrackNumber, const std::u16string& SaveFileName,
                                 const std::u16string& commandLine) {
  // The WAV file is made (replacing any old one) at the first track prepared, which
  // need not be track 0 when the disc starts with a data track.
  if (EncFormat == 1 && !AlbumWAVStream) {
    // Without resampling the whole-disc stream is CD audio: 44100 Hz, 16-bit stereo.
    const WavFormat format = Resample ? FormatOf(WholeStream) : WavFormat{};
    AlbumWAVStream = std::make_unique<WavFile>(text::EncodeUtf8(SaveFileName), format);
  }
  if (EncFormat == 2 && BASS_Encode_IsActive(WholeStream) == BASS_ACTIVE_STOPPED &&
      !StartEncoder(WholeStream, commandLine)) {
    return false;
  }
  if (EncFormat == 3 && WMAEncHandle == 0) {
    WMAEncHandle = OpenWma(FileName);
    if (WMAEncHandle == 0) return false;
    if (WMAEncBefore != nullptr) WMAEncBefore(Handle(), WMAEncHandle, TrackNumber);
  }
  return true;
}

DWORD BASS_CALLBACK TDiscGrab::WholeStreamProc(HSTREAM, void* buffer, DWORD length, void* user) {
  auto& self = *static_cast<TDiscGrab*>(user);
  const DWORD got = BASS_ChannelGetData(self.ActStream, buffer, length);
  if (got == DWORD(-1)) return 0;
  if (self.EncFormat == 3 && !BASS_WMA_EncodeWrite(self.WMAEncHandle, buffer, got)) return 0;
  self.ReportProgress(self.AlbumProgress());
  return got;
}

void BASS_CALLBACK TDiscGrab::TrackEndSync(HSYNC, DWORD, DWORD, void* user) {
  auto& self = *static_cast<TDiscGrab*>(user);
  self.TrackReady = true;
  // Released by the disc loop once this read is over.
  self.endedStream_ = self.ActStream;
  self.ActStream = kNextTrack;
}

void TDiscGrab::ReleaseEndedStream() {
  if (endedStream_ != 0) BASS_StreamFree(endedStream_);
  endedStream_ = 0;
}

void TDiscGrab::CloseAlbum(bool ripEnded) {
  if (ripEnded) DrainMixer();
  BASS_Encode_Stop(WholeStream);
  BASS_StreamFree(WholeStream);
  WholeStream = 0;
  RipExtEnc = 0;
  try {
    if (EncFormat == 1 && AlbumWAVStream) AlbumWAVStream->PatchSizes();
  } catch (const std::exception&) {
    // The file keeps its sizes as they were; it is closed all the same.
  }
  AlbumWAVStream.reset();
  if (EncFormat == 3) BASS_WMA_EncodeClose(WMAEncHandle);
  ReleaseAlbumStreams();
}

// The CD streams album mode still holds: the ended one, and the one being read
// when the rip stopped or failed.
void TDiscGrab::ReleaseAlbumStreams() {
  ReleaseEndedStream();
  if (ActStream != kNextTrack && ActStream != 0) BASS_StreamFree(ActStream);
  ActStream = kNextTrack;
}

}  // namespace qm::engine
