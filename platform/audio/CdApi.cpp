// The CD functions: drive descriptions, the disc's tracks and identification, and
// the decoding stream of an audio track.
#include <string>

#include "platform/audio.h"
#include "platform/audio/CdStream.h"
#include "platform/audio/DriveTable.h"
#include "platform/audio/LastError.h"
#include "platform/audio/Registry.h"

using namespace qm::audio;

BOOL BASS_CD_GetInfo(DWORD drive, BASS_CD_INFO* info) {
  if (info == nullptr) return Fail(BASS_ERROR_ILLPARAM, 0);
  const DriveInfo* found = nullptr;
  if (!DriveTable::Instance().Describe(drive, found)) {
    *info = {"", "", "", ""};
    return Fail(BASS_ERROR_DEVICE, 0);
  }
  *info = {found->vendor.c_str(), found->product.c_str(), found->revision.c_str(),
           found->path.c_str()};
  SetLastError(BASS_OK);
  return 1;
}

int32_t BASS_CD_GetTracks(DWORD drive) {
  DiscToc toc;
  int32_t error = BASS_OK;
  if (!DriveTable::Instance().Toc(drive, toc, error)) return Fail(error, -1);
  SetLastError(BASS_OK);
  return static_cast<int32_t>(toc.tracks.size());
}

DWORD BASS_CD_GetTrackLength(DWORD drive, DWORD track) {
  TrackToc entry;
  int32_t error = BASS_OK;
  if (!DriveTable::Instance().Track(drive, track, entry, error)) return Fail(error, DWORD(-1));
  SetLastError(BASS_OK);
  return entry.sectors * kSectorBytes;
}

// The text stays valid until the thread's next call.
const char* BASS_CD_GetID(DWORD drive, DWORD id) {
  thread_local std::string text;
  if (id != BASS_CDID_CDDB) return Fail(BASS_ERROR_NOTAVAIL, nullptr);
  DiscToc toc;
  int32_t error = BASS_OK;
  if (!DriveTable::Instance().Toc(drive, toc, error)) return Fail(error, nullptr);
  text = CddbQueryArguments(toc);
  SetLastError(BASS_OK);
  return text.c_str();
}

HSTREAM BASS_CD_StreamCreate(DWORD drive, DWORD track, DWORD flags) {
  if (!Initialized()) return Fail(BASS_ERROR_INIT, 0u);
  if (!(flags & BASS_STREAM_DECODE)) return Fail(BASS_ERROR_NOTAVAIL, 0u);
  DriveInfo info;
  if (!DriveTable::Instance().Find(drive, info)) return Fail(BASS_ERROR_DEVICE, 0u);
  TrackToc entry;
  int32_t error = BASS_OK;
  if (!DriveTable::Instance().Track(drive, track, entry, error)) return Fail(error, 0u);
  if (!entry.audio) return Fail(BASS_ERROR_NOTAUDIO, 0u);
  auto reader = OpenSectorReader(info);
  if (!reader) return Fail(BASS_ERROR_NOCD, 0u);
  const HSTREAM handle = AddChannel(std::make_shared<CdStream>(std::move(reader), entry));
  SetLastError(BASS_OK);
  return handle;
}
