// The WMA file functions.
#include <string>

#include "common/TextCodec.h"
#include "platform/audio.h"
#include "platform/audio/HandleTable.h"
#include "platform/audio/LastError.h"
#include "platform/audio/WmaWriter.h"

using namespace qm::audio;

namespace {

HandleTable<WmaWriter>& Writers() {
  static HandleTable<WmaWriter> table;
  return table;
}

}  // namespace

// `flags` may hold BASS_SAMPLE_8BITS or BASS_SAMPLE_FLOAT (the input's sample type)
// and BASS_UNICODE (`file` is UTF-16); other flags are not used.
HWMENCODE BASS_WMA_EncodeOpenFile(DWORD freq, DWORD chans, DWORD flags, DWORD bitrate,
                                  const void* file) {
  if (file == nullptr) return Fail(BASS_ERROR_ILLPARAM, 0u);
  if (!ValidFormat(freq, chans, flags)) return Fail(BASS_ERROR_FORMAT, 0u);
  const std::string path = (flags & BASS_UNICODE)
                               ? qm::text::EncodeUtf8(static_cast<const char16_t*>(file))
                               : std::string(static_cast<const char*>(file));
  const SampleFormat input{freq, chans, flags & (BASS_SAMPLE_8BITS | BASS_SAMPLE_FLOAT)};
  int32_t error = BASS_OK;
  std::unique_ptr<WmaWriter> writer = WmaWriter::Open(path, input, bitrate, error);
  if (!writer) return Fail(error, 0u);
  const HWMENCODE handle = Writers().Add(std::move(writer));
  SetLastError(BASS_OK);
  return handle;
}

BOOL BASS_WMA_EncodeWrite(HWMENCODE handle, const void* buffer, DWORD length) {
  const auto writer = Writers().Find(handle);
  if (!writer) return Fail(BASS_ERROR_HANDLE, 0);
  if (buffer == nullptr && length > 0) return Fail(BASS_ERROR_ILLPARAM, 0);
  if (!writer->Write(static_cast<const uint8_t*>(buffer), length)) return Fail(BASS_ERROR_UNKNOWN, 0);
  SetLastError(BASS_OK);
  return 1;
}

BOOL BASS_WMA_EncodeClose(HWMENCODE handle) {
  const auto writer = Writers().Remove(handle);
  if (!writer) return Fail(BASS_ERROR_HANDLE, 0);
  if (!writer->Close()) return Fail(BASS_ERROR_UNKNOWN, 0);
  SetLastError(BASS_OK);
  return 1;
}
