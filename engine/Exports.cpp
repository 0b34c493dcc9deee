// The thirteen exports. Each checks that its handle names a live ripper object and
// turns every exception into its failure result: nothing is thrown to the caller.
#include <mutex>
#include <new>
#include <unordered_set>

#include "engine/DiscGrab.h"
#include "engine/TDiscGrab.h"

using qm::engine::TDiscGrab;

namespace {

constexpr DG_BOOL kTrue = -1;
constexpr DG_BOOL kFalse = 0;

// The live objects, so that a stale or foreign handle fails instead of being used.
std::mutex g_mutex;
std::unordered_set<TDiscGrab*>& LiveObjects() {
  static std::unordered_set<TDiscGrab*> objects;
  return objects;
}

TDiscGrab* Lookup(TDiscGrabHandle handle) {
  std::lock_guard lock(g_mutex);
  const auto it = LiveObjects().find(static_cast<TDiscGrab*>(handle));
  return it == LiveObjects().end() ? nullptr : *it;
}

// Runs `action` on the object behind `handle`: kTrue when it returns true.
template <typename Action>
DG_BOOL WithObject(TDiscGrabHandle handle, Action&& action) {
  try {
    TDiscGrab* object = Lookup(handle);
    return object != nullptr && action(*object) ? kTrue : kFalse;
  } catch (...) {
    return kFalse;
  }
}

std::u16string Copy(const char16_t* text) { return text == nullptr ? std::u16string() : text; }

// Rips run one at a time per object; a second rip or a free from inside a rip fails.
thread_local std::unordered_set<TDiscGrab*> t_ripping;

class RipInProgress {
 public:
  explicit RipInProgress(TDiscGrab& object) : object_(&object) {
    if (!t_ripping.insert(object_).second) throw std::logic_error("a rip already runs");
  }
  ~RipInProgress() { t_ripping.erase(object_); }
  RipInProgress(const RipInProgress&) = delete;
  RipInProgress& operator=(const RipInProgress&) = delete;

 private:
  TDiscGrab* object_;
};

}  // namespace

DG_EXPORT TDiscGrabHandle DG_STDCALL DiscGrab_Create() {
  try {
    auto* object = new TDiscGrab;
    std::lock_guard lock(g_mutex);
    LiveObjects().insert(object);
    return object;
  } catch (...) {
    return nullptr;
  }
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_Free(TDiscGrabHandle handle) {
  try {
    auto* object = static_cast<TDiscGrab*>(handle);
    if (t_ripping.count(object) > 0) return kFalse;
    std::lock_guard lock(g_mutex);
    if (LiveObjects().erase(object) == 0) return kFalse;
    delete object;
    return kTrue;
  } catch (...) {
    return kFalse;
  }
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_Ripp(TDiscGrabHandle handle) {
  return WithObject(handle, [](TDiscGrab& object) {
    RipInProgress guard(object);
    object.RippCD();
    return true;
  });
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_StopRipp(TDiscGrabHandle handle) {
  return WithObject(handle, [](TDiscGrab& object) {
    object.StopRipp = true;
    object.LastError = 0;
    return true;
  });
}

DG_EXPORT int32_t DG_STDCALL DiscGrab_GetLastError(TDiscGrabHandle handle) {
  try {
    const TDiscGrab* object = Lookup(handle);
    return object == nullptr ? -1 : object->LastError;
  } catch (...) {
    return -1;
  }
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetProgressCallback(TDiscGrabHandle handle,
                                                          t_OnProgress callback) {
  return WithObject(handle, [callback](TDiscGrab& object) {
    object.OnProgress = callback;
    return true;
  });
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetWMAEncCallback(TDiscGrabHandle handle,
                                                        t_WMAEncBefore callback) {
  return WithObject(handle, [callback](TDiscGrab& object) {
    object.WMAEncBefore = callback;
    return true;
  });
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetGetChannelCallback(TDiscGrabHandle handle,
                                                            t_GetChannel callback) {
  return WithObject(handle, [callback](TDiscGrab& object) {
    object.GetChannelCallback = callback;
    return true;
  });
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetParams(TDiscGrabHandle handle, TDiscGrabParams params) {
  return WithObject(handle, [&params](TDiscGrab& object) {
    object.Drive = params.Drive;
    object.AlbumMode = params.AlbumMode != 0;
    object.FileName = Copy(params.FileName);
    object.EncFormat = params.EncFormat;
    object.EncCmdLine = Copy(params.EncCmdLine);
    object.EncoderPriority = params.EncoderPriority;
    object.Resample = params.Resample != 0;
    object.ResampleFreq = params.ResampleFreq;
    object.ResampleChannels = params.ResampleChannels;
    object.ResampleFlags = params.ResampleFlags;
    object.WMAEncFlags = params.WMAEncFlags;
    object.WMAQuality = params.WMAQuality;
    return true;
  });
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_GetParams(TDiscGrabHandle handle, TDiscGrabParams* params) {
  return WithObject(handle, [params](TDiscGrab& object) {
    if (params == nullptr) return false;
    *params = {};
    params->Drive = object.Drive;
    params->AlbumMode = object.AlbumMode ? kTrue : kFalse;
    params->FileName = object.FileName.c_str();  // never null: "" for an empty name
    params->EncFormat = object.EncFormat;
    params->EncCmdLine = object.EncCmdLine.c_str();
    params->EncoderPriority = object.EncoderPriority;
    params->Resample = object.Resample ? kTrue : kFalse;
    params->ResampleFreq = object.ResampleFreq;
    params->ResampleChannels = object.ResampleChannels;
    params->ResampleFlags = object.ResampleFlags;
    params->WMAEncFlags = object.WMAEncFlags;
    params->WMAQuality = object.WMAQuality;
    return true;
  });
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_ClearTracks(TDiscGrabHandle handle) {
  return WithObject(handle, [](TDiscGrab& object) {
    object.TrackFileNames.clear();
    return true;
  });
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_AddTracks(TDiscGrabHandle handle, const char16_t* fileName) {
  return WithObject(handle, [fileName](TDiscGrab& object) {
    object.TrackFileNames.push_back(Copy(fileName));
    return true;
  });
}

DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_RippTrack(TDiscGrabHandle handle, int32_t track,
                                                const char16_t* fileName) {
  return WithObject(handle, [track, fileName](TDiscGrab& object) {
    RipInProgress guard(object);
    return object.RippOneTrack(track, Copy(fileName));
  });
}
