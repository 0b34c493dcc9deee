#include "app/DiscGrabDefs.h"

#include <dlfcn.h>

#include <filesystem>

namespace DiscGrabDefs {

bool DiscGrabLoaded = false;

t_DiscGrab_Create DiscGrab_Create = nullptr;
t_DiscGrab_Free DiscGrab_Free = nullptr;
t_DiscGrab_Ripp DiscGrab_Ripp = nullptr;
t_DiscGrab_StopRipp DiscGrab_StopRipp = nullptr;
t_DiscGrab_GetLastError DiscGrab_GetLastError = nullptr;
t_DiscGrab_SetProgressCallback DiscGrab_SetProgressCallback = nullptr;
t_DiscGrab_SetWMAEncCallback DiscGrab_SetWMAEncCallback = nullptr;
t_DiscGrab_SetGetChannelCallback DiscGrab_SetGetChannelCallback = nullptr;
t_DiscGrab_SetParams DiscGrab_SetParams = nullptr;
t_DiscGrab_GetParams DiscGrab_GetParams = nullptr;
t_DiscGrab_ClearTracks DiscGrab_ClearTracks = nullptr;
t_DiscGrab_AddTracks DiscGrab_AddTracks = nullptr;
t_DiscGrab_RippTrack DiscGrab_RippTrack = nullptr;

namespace {

constexpr const char* kLibraryName = "libDiscGrab.so";
void* g_library = nullptr;

template <typename Fn>
bool Bind(Fn& pointer, const char* name) {
  pointer = reinterpret_cast<Fn>(dlsym(g_library, name));
  return pointer != nullptr;
}

// Looks every export up, in the order the program has always bound them.
bool BindAll() {
  bool all = Bind(DiscGrab_Create, "DiscGrab_Create");
  all = Bind(DiscGrab_Free, "DiscGrab_Free") && all;
  all = Bind(DiscGrab_Ripp, "DiscGrab_Ripp") && all;
  all = Bind(DiscGrab_StopRipp, "DiscGrab_StopRipp") && all;
  all = Bind(DiscGrab_GetLastError, "DiscGrab_GetLastError") && all;
  all = Bind(DiscGrab_SetProgressCallback, "DiscGrab_SetProgressCallback") && all;
  all = Bind(DiscGrab_SetWMAEncCallback, "DiscGrab_SetWMAEncCallback") && all;
  all = Bind(DiscGrab_SetGetChannelCallback, "DiscGrab_SetGetChannelCallback") && all;
  all = Bind(DiscGrab_SetParams, "DiscGrab_SetParams") && all;
  all = Bind(DiscGrab_GetParams, "DiscGrab_GetParams") && all;
  all = Bind(DiscGrab_ClearTracks, "DiscGrab_ClearTracks") && all;
  all = Bind(DiscGrab_AddTracks, "DiscGrab_AddTracks") && all;
  all = Bind(DiscGrab_RippTrack, "DiscGrab_RippTrack") && all;
  return all;
}

// No pointer into a freed library is kept.
void ForgetAll() {
  DiscGrab_Create = nullptr;
  DiscGrab_Free = nullptr;
  DiscGrab_Ripp = nullptr;
  DiscGrab_StopRipp = nullptr;
  DiscGrab_GetLastError = nullptr;
  DiscGrab_SetProgressCallback = nullptr;
  DiscGrab_SetWMAEncCallback = nullptr;
  DiscGrab_SetGetChannelCallback = nullptr;
  DiscGrab_SetParams = nullptr;
  DiscGrab_GetParams = nullptr;
  DiscGrab_ClearTracks = nullptr;
  DiscGrab_AddTracks = nullptr;
  DiscGrab_RippTrack = nullptr;
}

std::string ProgramFolderLibrary() {
  std::error_code error;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : (self.parent_path() / kLibraryName).string();
}

}  // namespace

bool LoadDiscGrabLibraryFrom(const std::string& path) {
  UnloadDiscGrabLibrary();
  g_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  DiscGrabLoaded = g_library != nullptr && BindAll();
  return DiscGrabLoaded;
}

bool LoadDiscGrabLibrary() {
  const std::string beside = ProgramFolderLibrary();
  if (!beside.empty() && std::filesystem::exists(beside)) return LoadDiscGrabLibraryFrom(beside);
  return LoadDiscGrabLibraryFrom(kLibraryName);
}

bool UnloadDiscGrabLibrary() {
  if (g_library == nullptr || dlclose(g_library) != 0) return false;
  g_library = nullptr;
  DiscGrabLoaded = false;
  ForgetAll();
  return true;
}

}  // namespace DiscGrabDefs
