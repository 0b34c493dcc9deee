// The ripping engine's exported interface: libDiscGrab.so.
//
// The library reads the audio tracks of a CD (or disc image) and writes them as WAV
// files, through a command-line encoder, or as WMA files, one file per track or one
// file for the whole disc. Every export runs on the caller's thread; a rip blocks
// until it ends and pumps the host's messages between blocks (platform/MessagePump.h).
// No exception leaves the library: failures are the results below.
//
// BOOL results are -1 for success and 0 for failure. Strings are NUL-terminated
// UTF-16 and are copied before the call returns.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(__i386__)
#define DG_STDCALL __attribute__((stdcall))
#else
#define DG_STDCALL
#endif

#define DG_EXPORT extern "C" __attribute__((visibility("default")))

using DG_BOOL = int32_t;
// A ripper object: its address, valid from DiscGrab_Create to DiscGrab_Free.
using TDiscGrabHandle = void*;

// The parameter record. Same fields in the same order on every platform; pointer
// fields have the native width (48 bytes on 32-bit, 64 with padding on 64-bit).
struct TDiscGrabParams {
  uint32_t Drive;               // drive number (physical drives, then QM_CD_IMAGES)
  int32_t AlbumMode;            // nonzero: the whole disc into FileName
  const char16_t* FileName;     // album-mode output file
  uint32_t EncFormat;           // 1 WAV, 2 command-line encoder, 3 WMA
  const char16_t* EncCmdLine;   // encoder template with {o}, {s}, {c}
  uint32_t EncoderPriority;     // Windows priority class of the encoder process
  int32_t Resample;             // nonzero: pass the audio through the mixer
  uint32_t ResampleFreq;        // mixer sample rate in Hz
  uint32_t ResampleChannels;    // mixer channel count
  uint32_t ResampleFlags;       // extra mixer flags
  uint32_t WMAEncFlags;         // WMA encoder flags
  int32_t WMAQuality;           // WMA bitrate in bit/s, or a quality of 100 or less
};

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(sizeof(TDiscGrabParams) == 48);
static_assert(offsetof(TDiscGrabParams, EncFormat) == 12);
static_assert(offsetof(TDiscGrabParams, EncCmdLine) == 16);
static_assert(offsetof(TDiscGrabParams, EncoderPriority) == 20);
static_assert(offsetof(TDiscGrabParams, WMAQuality) == 44);
#else
static_assert(sizeof(TDiscGrabParams) == 64);
static_assert(offsetof(TDiscGrabParams, EncFormat) == 16);
static_assert(offsetof(TDiscGrabParams, EncCmdLine) == 24);
static_assert(offsetof(TDiscGrabParams, EncoderPriority) == 32);
static_assert(offsetof(TDiscGrabParams, WMAQuality) == 56);
#endif
static_assert(offsetof(TDiscGrabParams, AlbumMode) == 4);
static_assert(offsetof(TDiscGrabParams, FileName) == 8);

// Callbacks, called on the caller's thread inside DiscGrab_Ripp / DiscGrab_RippTrack.
using t_OnProgress = void(DG_STDCALL*)(TDiscGrabHandle DiscGrab, uint32_t Progress,
                                       uint32_t TotalProgress);
using t_WMAEncBefore = void(DG_STDCALL*)(TDiscGrabHandle DiscGrab, uint32_t WMAEncodingHandle,
                                         int32_t Track);
using t_GetChannel = void(DG_STDCALL*)(TDiscGrabHandle DiscGrab, uint32_t ChannelHandle,
                                       int32_t Track);

// Error codes of DiscGrab_GetLastError besides the audio layer's own.
enum : int32_t {
  DG_ERROR_NONE = 0,
  DG_ERROR_NO_CHANNEL = 1,     // the WAV writer got no channel (the mixer could not be made)
  DG_ERROR_SHORT_WRITE = 2,    // the output file took fewer bytes than were read
  DG_ERROR_TRACK_OPEN = 3,     // album mode: a track could not be opened (not a data track)
  DG_ERROR_ENCODER = 4,        // the encoder could not be started / the WMA file opened
};

DG_EXPORT TDiscGrabHandle DG_STDCALL DiscGrab_Create();
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_Free(TDiscGrabHandle handle);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_Ripp(TDiscGrabHandle handle);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_StopRipp(TDiscGrabHandle handle);
DG_EXPORT int32_t DG_STDCALL DiscGrab_GetLastError(TDiscGrabHandle handle);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetProgressCallback(TDiscGrabHandle handle, t_OnProgress callback);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetWMAEncCallback(TDiscGrabHandle handle, t_WMAEncBefore callback);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetGetChannelCallback(TDiscGrabHandle handle, t_GetChannel callback);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetParams(TDiscGrabHandle handle, TDiscGrabParams params);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_GetParams(TDiscGrabHandle handle, TDiscGrabParams* params);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_ClearTracks(TDiscGrabHandle handle);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_AddTracks(TDiscGrabHandle handle, const char16_t* fileName);
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_RippTrack(TDiscGrabHandle handle, int32_t track,
                                                const char16_t* fileName);

// The exports' types, for a host that binds them at run time.
using t_DiscGrab_Create = TDiscGrabHandle(DG_STDCALL*)();
using t_DiscGrab_Free = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle);
using t_DiscGrab_Ripp = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle);
using t_DiscGrab_StopRipp = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle);
using t_DiscGrab_GetLastError = int32_t(DG_STDCALL*)(TDiscGrabHandle);
using t_DiscGrab_SetProgressCallback = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle, t_OnProgress);
using t_DiscGrab_SetWMAEncCallback = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle, t_WMAEncBefore);
using t_DiscGrab_SetGetChannelCallback = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle, t_GetChannel);
using t_DiscGrab_SetParams = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle, TDiscGrabParams);
using t_DiscGrab_GetParams = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle, TDiscGrabParams*);
using t_DiscGrab_ClearTracks = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle);
using t_DiscGrab_AddTracks = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle, const char16_t*);
using t_DiscGrab_RippTrack = DG_BOOL(DG_STDCALL*)(TDiscGrabHandle, int32_t, const char16_t*);
