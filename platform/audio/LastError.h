// The error code that BASS_ErrorGetCode reports: one per thread, set by every call.
#pragma once

#include <cstdint>

namespace qm::audio {

void SetLastError(int32_t code);
int32_t LastError();

// Records `code` and returns `result`, for the failure path of an API function.
template <typename T>
T Fail(int32_t code, T result) {
  SetLastError(code);
  return result;
}

}  // namespace qm::audio
