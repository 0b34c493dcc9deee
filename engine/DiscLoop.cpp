// The disc loop behind DiscGrab_Ripp, and the single track of DiscGrab_RippTrack.
#include "engine/TDiscGrab.h"
#include "platform/MessagePump.h"

namespace qm::engine {

void TDiscGrab::RippCD() {
  StopRipp = false;
  // A stop seen on the block that ended a track leaves TrackReady raised; left so,
  // it would end the wait for the next rip's first track after one block, and the
  // track after it would never be opened.
  TrackReady = false;
  ActStream = kNextTrack;
  WholeStream = 0;
  Counter = 0;
  WMAEncHandle = 0;
  platform::PumpMessages();
  const int32_t tracks = BASS_CD_GetTracks(Drive);
  TrackCount = tracks > 0 ? static_cast<uint32_t>(tracks) : 0;
  try {
    for (int32_t i = 0; i < tracks; ++i) {
      if (AlbumMode) {
        Counter = i;
        RippAlbumTrack(i);
        if (StopRipp) break;
      } else {
        // A track without a name ends the rip with an error, after the tracks before it.
        const std::u16string name = TrackFileNames.at(static_cast<size_t>(i));
        RippTrack(static_cast<int32_t>(Drive), i, name);
        ++Counter;
        platform::PumpMessages();
        if (StopRipp) break;
      }
    }
  } catch (...) {
    // The album's output and streams are released even when the rip fails.
    if (AlbumMode) CloseAlbum(false);
    throw;
  }
  if (AlbumMode) CloseAlbum(true);
  StopRipp = false;
  if (OnProgress != nullptr) OnProgress(Handle(), 100, 100);
}

bool TDiscGrab::RippOneTrack(int32_t track, const std::u16string& fileName) {
  StopRipp = false;
  Counter = track;
  const bool opened = RippTrack(static_cast<int32_t>(Drive), track, fileName);
  StopRipp = false;
  if (OnProgress != nullptr) OnProgress(Handle(), 100, 100);
  return opened;
}

}  // namespace qm::engine
