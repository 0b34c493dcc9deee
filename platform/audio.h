// The audio layer: CD drives and disc images, decoding streams, the resampling mixer,
// the command-line encoder process and the WMA file writer. The engine and the program
// call these functions under the names, arguments and results of the audio library
// they were written against.
//
// Conventions shared by every function here:
// - Handles are nonzero 32-bit values, never 1, unique across channels and encoders.
// - A failing call returns 0 (or -1 where a count or a position is expected) and
//   leaves its reason in BASS_ErrorGetCode(), which is kept per thread.
// - Channels are decoding channels: they deliver audio only through
//   BASS_ChannelGetData. Stream procedures and sync procedures run inside that call,
//   on the reading thread.
// - BASS_Init must have succeeded before a stream or a mixer is created;
//   BASS_Free releases every channel and stops every encoder attached to one.
#pragma once

#include <cstdint>

#if defined(__i386__)
#define BASS_CALLBACK __attribute__((stdcall))
#else
#define BASS_CALLBACK
#endif

using BOOL = int32_t;
using DWORD = uint32_t;
using QWORD = uint64_t;
using HSTREAM = DWORD;
using HSYNC = DWORD;
using HENCODE = DWORD;
using HWMENCODE = DWORD;

// Error codes kept by BASS_ErrorGetCode.
enum : int32_t {
  BASS_OK = 0,
  BASS_ERROR_MEM = 1,
  BASS_ERROR_FILEOPEN = 2,
  BASS_ERROR_HANDLE = 5,
  BASS_ERROR_FORMAT = 6,
  BASS_ERROR_INIT = 8,
  BASS_ERROR_NOCD = 12,
  BASS_ERROR_CDTRACK = 13,
  BASS_ERROR_ALREADY = 14,
  BASS_ERROR_NOTAUDIO = 17,
  BASS_ERROR_ILLTYPE = 19,
  BASS_ERROR_ILLPARAM = 20,
  BASS_ERROR_DEVICE = 23,
  BASS_ERROR_CREATE = 33,
  BASS_ERROR_NOTAVAIL = 37,
  BASS_ERROR_DECODE = 38,
  BASS_ERROR_ENDED = 45,
  BASS_ERROR_UNKNOWN = -1,
};

// Sample format and stream flags.
inline constexpr DWORD BASS_SAMPLE_8BITS = 0x1;      // unsigned 8-bit samples
inline constexpr DWORD BASS_SAMPLE_FLOAT = 0x100;    // 32-bit float samples
inline constexpr DWORD BASS_STREAM_DECODE = 0x200000;
inline constexpr DWORD BASS_UNICODE = 0x80000000;    // string arguments are UTF-16
inline constexpr DWORD BASS_STREAMPROC_END = 0x80000000;  // stream procedure: no more data

inline constexpr DWORD BASS_ACTIVE_STOPPED = 0;
inline constexpr DWORD BASS_ACTIVE_PLAYING = 1;
inline constexpr DWORD BASS_POS_BYTE = 0;
inline constexpr DWORD BASS_ATTRIB_FREQ = 1;
inline constexpr DWORD BASS_SYNC_END = 2;
inline constexpr DWORD BASS_CDID_CDDB = 2;

// Mixer flags.
inline constexpr DWORD BASS_MIXER_END = 0x10000;        // end when no source is left
inline constexpr DWORD BASS_MIXER_FILTER = 0x1000;      // source flag: filter when resampling
inline constexpr DWORD BASS_MIXER_DOWNMIX = 0x400000;   // source flag: fit the mixer's channels
inline constexpr DWORD BASS_MIXER_NORAMPIN = 0x800000;  // source flag: no fade-in

// Encoder flags.
inline constexpr DWORD BASS_ENCODE_NOHEAD = 0x1;  // feed raw PCM, no WAV header

// Windows priority classes, accepted by SetPriorityClass.
inline constexpr DWORD IDLE_PRIORITY_CLASS = 0x40;
inline constexpr DWORD BELOW_NORMAL_PRIORITY_CLASS = 0x4000;
inline constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;
inline constexpr DWORD ABOVE_NORMAL_PRIORITY_CLASS = 0x8000;
inline constexpr DWORD HIGH_PRIORITY_CLASS = 0x80;
inline constexpr DWORD REALTIME_PRIORITY_CLASS = 0x100;

// A drive as BASS_CD_GetInfo describes it. The strings belong to the layer and stay
// valid until the drive list changes (QM_CD_IMAGES changes).
struct BASS_CD_INFO {
  const char* vendor;
  const char* product;
  const char* rev;
  const char* path;  // device path (/dev/sr0) or image file: where a drive letter stood
};

struct BASS_CHANNELINFO {
  DWORD freq;   // sample rate in Hz
  DWORD chans;  // channel count
  DWORD flags;  // BASS_SAMPLE_8BITS, BASS_SAMPLE_FLOAT, BASS_STREAM_DECODE, BASS_MIXER_END
};

// Fills `buffer` with up to `length` bytes and returns the count, or'ed with
// BASS_STREAMPROC_END when the stream has no more data.
using STREAMPROC = DWORD BASS_CALLBACK(HSTREAM handle, void* buffer, DWORD length, void* user);
using SYNCPROC = void BASS_CALLBACK(HSYNC handle, DWORD channel, DWORD data, void* user);
using ENCODEPROC = void BASS_CALLBACK(HENCODE handle, DWORD channel, const void* buffer,
                                      DWORD length, void* user);

// Library.
DWORD BASS_GetVersion();
BOOL BASS_Init(int device, DWORD freq, DWORD flags, void* window, const void* clsid);
BOOL BASS_Free();
int32_t BASS_ErrorGetCode();

// CD drives: the physical drives, then every image named in QM_CD_IMAGES.
BOOL BASS_CD_GetInfo(DWORD drive, BASS_CD_INFO* info);
int32_t BASS_CD_GetTracks(DWORD drive);
DWORD BASS_CD_GetTrackLength(DWORD drive, DWORD track);
const char* BASS_CD_GetID(DWORD drive, DWORD id);
HSTREAM BASS_CD_StreamCreate(DWORD drive, DWORD track, DWORD flags);

// Streams and channels.
HSTREAM BASS_StreamCreate(DWORD freq, DWORD chans, DWORD flags, STREAMPROC* proc, void* user);
BOOL BASS_StreamFree(HSTREAM handle);
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
DWORD BASS_ChannelIsActive(DWORD handle);
QWORD BASS_ChannelGetPosition(DWORD handle, DWORD mode);
BOOL BASS_ChannelGetInfo(DWORD handle, BASS_CHANNELINFO* info);
BOOL BASS_ChannelGetAttribute(DWORD handle, DWORD attrib, float* value);
HSYNC BASS_ChannelSetSync(DWORD handle, DWORD type, QWORD param, SYNCPROC* proc, void* user);

// Mixer.
HSTREAM BASS_Mixer_StreamCreate(DWORD freq, DWORD chans, DWORD flags);
BOOL BASS_Mixer_StreamAddChannel(HSTREAM handle, DWORD channel, DWORD flags);

// Command-line encoder fed with a channel's data.
HENCODE BASS_Encode_Start(DWORD handle, const void* cmdline, DWORD flags, ENCODEPROC* proc,
                          void* user);
DWORD BASS_Encode_IsActive(DWORD handle);
BOOL BASS_Encode_Stop(DWORD handle);
// Runs the process of the encoder `handle` (as BASS_Encode_Start returned it) at the
// niceness of a Windows priority class: IDLE 19, BELOW_NORMAL 10, NORMAL 0,
// ABOVE_NORMAL -5, HIGH -10, REALTIME -15. A refusal by the system is ignored;
// FALSE for an unknown handle or class.
BOOL SetPriorityClass(DWORD handle, DWORD priorityClass);

// WMA file writer.
HWMENCODE BASS_WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                  const void* file);
BOOL BASS_WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length);
BOOL BASS_WMA_EncodeClose(HWMENCODE handle);
