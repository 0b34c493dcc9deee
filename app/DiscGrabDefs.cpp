#include "app/DiscGrabDefs.h"

#include <dlfcn.h>

#include <filesystem>

namespace DiscGrabDefs {

bool DiscGrabLoaded = false;

// Every export, in the order the program has always bound them.
#define DISCGRAB_EXPORTS(X)                                                                 \
  X(DiscGrab_Create) X(DiscGrab_Free) X(DiscGrab_Ripp) X(DiscGrab_StopRipp)                \
  X(DiscGrab_GetLastError) X(DiscGrab_SetProgressCallback) X(DiscGrab_SetWMAEncCallback) \
  X(DiscGrab_SetGetChannelCallback) X(DiscGrab_SetParams) X(DiscGrab_GetParams)          \
  X(DiscGrab_ClearTracks) X(DiscGrab_AddTracks) X(DiscGrab_RippTrack)

#define DEFINE_POINTER(name) t_##name name = nullptr;
DISCGRAB_EXPORTS(DEFINE_POINTER)
#undef DEFINE_POINTER

namespace {

constexpr const char* kLibraryName = "libDiscGrab.so";
void* g_library = nullptr;

template <typename Fn>
bool Bind(Fn& pointer, const char* name) {
  pointer = reinterpret_cast<Fn>(dlsym(g_library, name));
  return pointer != nullptr;
}

// Looks every export up; true when all were found.
bool BindAll() {
  bool all = true;
#define BIND(name) all = Bind(name, #name) && all;
  DISCGRAB_EXPORTS(BIND)
#undef BIND
  return all;
}

// No pointer into a freed library is kept.
void ForgetAll() {
#define FORGET(name) name = nullptr;
  DISCGRAB_EXPORTS(FORGET)
#undef FORGET
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
