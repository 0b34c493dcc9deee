// The ripper object behind a DiscGrab handle: its parameters, its state during a
// rip, and the steps of a rip. The exports (Exports.cpp) catch every exception the
// steps raise; inside, an exception ends the rip as the caller's failure.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/DiscGrab.h"
#include "engine/WavFile.h"
#include "platform/audio.h"

namespace qm::engine {

inline constexpr DWORD kBlockSize = 10240;  // 2560 stereo 16-bit frames, about 58 ms
inline constexpr DWORD kNextTrack = 1;      // ActStream value: the next track is to be opened

// The WAV description of a channel's format.
WavFormat FormatOf(DWORD channel);

class TDiscGrab {
 public:
  bool AlbumMode = true;
  bool StopRipp = false;
  std::u16string FileName;
  std::u16string EncCmdLine;
  uint32_t Drive = 0;
  int32_t LastError = 0;
  bool TrackReady = false;
  uint32_t TrackCount = 0;
  uint32_t ActStream = 0;
  uint32_t WholeStream = 0;
  uint32_t EncFormat = 1;
  std::unique_ptr<WavFile> AlbumWAVStream;
  uintptr_t RipExtEnc = 0;
  int32_t Counter = 0;
  std::vector<std::u16string> TrackFileNames;
  uint32_t EncoderPriority = NORMAL_PRIORITY_CLASS;
  t_OnProgress OnProgress = nullptr;
  t_WMAEncBefore WMAEncBefore = nullptr;
  t_GetChannel GetChannelCallback = nullptr;
  bool Resample = false;
  uint32_t ResampleFreq = 44100;
  uint32_t ResampleChannels = 2;
  uint32_t ResampleFlags = 0;
  uint32_t WMAEncFlags = 0;
  int32_t WMAQuality = 100;
  uint32_t WMAEncHandle = 0;

  // The disc loop behind DiscGrab_Ripp.
  void RippCD();
  // DiscGrab_RippTrack: true when the track's CD stream could be opened.
  bool RippOneTrack(int32_t track, const std::u16string& fileName);

 private:
  TDiscGrabHandle Handle() { return this; }

  // One track to one file (track mode and DiscGrab_RippTrack).
  bool RippTrack(int32_t DriveNumber, int32_t TrackNumber, const std::u16string& SaveFileName);
  bool Stream2Wav(const std::u16string& SaveFileName, DWORD BASS_Channel);
  bool Stream2Enc(const std::u16string& SaveFileName, DWORD BASS_Channel);
  bool Stream2WMA(const std::u16string& SaveFileName, DWORD BASS_Channel);
  void EncodeToWma(HWMENCODE wma, DWORD BASS_Channel);
  // The progress call after a block of a per-track writer.
  void ReportTrackProgress(DWORD channel);
  void ReportProgress(std::optional<uint32_t> progress);
  std::u16string ExpandCmdLine(const std::u16string& SaveFileName) const;
  // Starts the encoder on `channel` at EncoderPriority; false (LastError 4) when it fails.
  bool StartEncoder(DWORD channel, const std::u16string& commandLine);
  // Opens a WMA output at the output rate; 0 (LastError 4) when it fails.
  HWMENCODE OpenWma(const std::u16string& file);
  DWORD OutputRate() const { return Resample ? ResampleFreq : 44100; }
  DWORD OutputChannels() const { return Resample ? ResampleChannels : 2; }

  // Album mode.
  void RippAlbumTrack(int32_t track);
  bool StreamAll(int32_t DriveNumber, int32_t TrackNumber, const std::u16string& SaveFileName);
  bool CreateWholeStream();
  bool OpenAlbumTrack(int32_t DriveNumber, int32_t TrackNumber);
  bool StartAlbumOutput(int32_t TrackNumber, const std::u16string& SaveFileName,
                        const std::u16string& commandLine);
  bool DeliverAlbumBlock(const uint8_t* buffer, DWORD got);
  void DrainMixer();
  // Finishes the album's output and releases its streams; `ripEnded` is false when
  // an error ends the rip, and nothing more is read then.
  void CloseAlbum(bool ripEnded);
  void ReleaseAlbumStreams();
  void ReleaseEndedStream();
  std::optional<uint32_t> AlbumProgress();
  static DWORD BASS_CALLBACK WholeStreamProc(HSTREAM handle, void* buffer, DWORD length, void* user);
  static void BASS_CALLBACK TrackEndSync(HSYNC handle, DWORD channel, DWORD data, void* user);

  uint32_t endedStream_ = 0;     // album mode: the CD stream TrackEndSync saw end, to release
  // The length of the track being ripped, looked up once when its reading starts:
  // the progress of every block is measured against it, and asking the drive for
  // it at every block would cost a system call per block.
  DWORD trackLength_ = 0;
};

}  // namespace qm::engine
