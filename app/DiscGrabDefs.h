// The program's binding to the ripping engine: libDiscGrab.so is loaded at run time
// (the program folder first, then the normal library search) and its thirteen
// exports are bound by name. DiscGrabLoaded is true only when the library loaded
// and every export was found; nothing is shown here when it is not.
#pragma once

#include <string>

#include "engine/DiscGrab.h"

namespace DiscGrabDefs {

extern bool DiscGrabLoaded;

extern t_DiscGrab_Create DiscGrab_Create;
extern t_DiscGrab_Free DiscGrab_Free;
extern t_DiscGrab_Ripp DiscGrab_Ripp;
extern t_DiscGrab_StopRipp DiscGrab_StopRipp;
extern t_DiscGrab_GetLastError DiscGrab_GetLastError;
extern t_DiscGrab_SetProgressCallback DiscGrab_SetProgressCallback;
extern t_DiscGrab_SetWMAEncCallback DiscGrab_SetWMAEncCallback;
extern t_DiscGrab_SetGetChannelCallback DiscGrab_SetGetChannelCallback;
extern t_DiscGrab_SetParams DiscGrab_SetParams;
extern t_DiscGrab_GetParams DiscGrab_GetParams;
extern t_DiscGrab_ClearTracks DiscGrab_ClearTracks;
extern t_DiscGrab_AddTracks DiscGrab_AddTracks;
extern t_DiscGrab_RippTrack DiscGrab_RippTrack;

// Loads libDiscGrab.so and binds the exports; returns DiscGrabLoaded.
bool LoadDiscGrabLibrary();
// The same with the library file named explicitly.
bool LoadDiscGrabLibraryFrom(const std::string& path);
// Frees the library held, if any; returns whether one was freed.
bool UnloadDiscGrabLibrary();

}  // namespace DiscGrabDefs
