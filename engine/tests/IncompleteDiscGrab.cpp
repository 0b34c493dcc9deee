// Twelve of the thirteen engine exports (DiscGrab_RippTrack is missing): the binding
// must refuse such a library. The functions are never called.
#include "engine/DiscGrab.h"

DG_EXPORT TDiscGrabHandle DG_STDCALL DiscGrab_Create() { return nullptr; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_Free(TDiscGrabHandle) { return 0; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_Ripp(TDiscGrabHandle) { return 0; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_StopRipp(TDiscGrabHandle) { return 0; }
DG_EXPORT int32_t DG_STDCALL DiscGrab_GetLastError(TDiscGrabHandle) { return -1; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetProgressCallback(TDiscGrabHandle, t_OnProgress) { return 0; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetWMAEncCallback(TDiscGrabHandle, t_WMAEncBefore) { return 0; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetGetChannelCallback(TDiscGrabHandle, t_GetChannel) { return 0; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_SetParams(TDiscGrabHandle, TDiscGrabParams) { return 0; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_GetParams(TDiscGrabHandle, TDiscGrabParams*) { return 0; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_ClearTracks(TDiscGrabHandle) { return 0; }
DG_EXPORT DG_BOOL DG_STDCALL DiscGrab_AddTracks(TDiscGrabHandle, const char16_t*) { return 0; }
