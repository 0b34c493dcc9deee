// Windows priority classes mapped to Unix niceness for the encoder process.
#include <sys/resource.h>

#include "platform/audio.h"
#include "platform/audio/LastError.h"
#include "platform/audio/Registry.h"

using namespace qm::audio;

namespace {

bool NicenessOf(DWORD priorityClass, int& niceness) {
  switch (priorityClass) {
    case IDLE_PRIORITY_CLASS: niceness = 19; return true;
    case BELOW_NORMAL_PRIORITY_CLASS: niceness = 10; return true;
    case NORMAL_PRIORITY_CLASS: niceness = 0; return true;
    case ABOVE_NORMAL_PRIORITY_CLASS: niceness = -5; return true;
    case HIGH_PRIORITY_CLASS: niceness = -10; return true;
    case REALTIME_PRIORITY_CLASS: niceness = -15; return true;
    default: return false;
  }
}

}  // namespace

BOOL SetPriorityClass(DWORD handle, DWORD priorityClass) {
  int niceness = 0;
  if (!NicenessOf(priorityClass, niceness)) return Fail(BASS_ERROR_ILLPARAM, 0);
  const auto encoder = Encoders().Find(handle);
  if (!encoder || !encoder->Running()) return Fail(BASS_ERROR_HANDLE, 0);
  // Raising the priority needs privileges the program may lack: then it stays as it is.
  setpriority(PRIO_PROCESS, static_cast<id_t>(encoder->pid()), niceness);
  SetLastError(BASS_OK);
  return 1;
}
