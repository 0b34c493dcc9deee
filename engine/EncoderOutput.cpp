// The two encoder writers: a command-line encoder fed through a pipe, and a WMA file.
#include <string>

#include "common/TextCodec.h"
#include "engine/TDiscGrab.h"
#include "platform/MessagePump.h"

namespace qm::engine {
namespace {

void ReplaceAll(std::u16string& text, std::u16string_view placeholder, const std::u16string& value) {
  for (size_t at = text.find(placeholder); at != std::u16string::npos;
       at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
}

std::u16string Decimal(uint32_t value) { return text::DecodeUtf8(std::to_string(value)); }

}  // namespace

// "{o}" first, then "{s}", then "{c}", each on the whole text: a file name that holds
// "{s}" or "{c}" gets them replaced too.
std::u16string TDiscGrab::ExpandCmdLine(const std::u16string& SaveFileName) const {
  std::u16string line = EncCmdLine;
  ReplaceAll(line, u"{o}", SaveFileName);
  ReplaceAll(line, u"{s}", Decimal(OutputRate()));
  ReplaceAll(line, u"{c}", Decimal(OutputChannels()));
  return line;
}

bool TDiscGrab::StartEncoder(DWORD channel, const std::u16string& commandLine) {
  RipExtEnc = BASS_Encode_Start(channel, commandLine.c_str(), BASS_ENCODE_NOHEAD | BASS_UNICODE,
                                nullptr, nullptr);
  if (RipExtEnc == 0) {
    LastError = DG_ERROR_ENCODER;
    return false;
  }
  // The start result names the encoder process.
  SetPriorityClass(static_cast<DWORD>(RipExtEnc), EncoderPriority);
  return true;
}

HWMENCODE TDiscGrab::OpenWma(const std::u16string& file) {
  const HWMENCODE wma = BASS_WMA_EncodeOpenFile(OutputRate(), OutputChannels(),
                                                WMAEncFlags | BASS_UNICODE,
                                                static_cast<DWORD>(WMAQuality), file.c_str());
  if (wma == 0) LastError = DG_ERROR_ENCODER;
  return wma;
}

bool TDiscGrab::Stream2Enc(const std::u16string& SaveFileName, DWORD BASS_Channel) {
  if (!StartEncoder(BASS_Channel, ExpandCmdLine(SaveFileName))) return false;
  uint8_t buffer[kBlockSize];
  while (BASS_ChannelIsActive(BASS_Channel) != BASS_ACTIVE_STOPPED) {
    // Reading the channel is what feeds the encoder.
    BASS_ChannelGetData(BASS_Channel, buffer, kBlockSize);
    platform::PumpMessages();
    if (StopRipp) break;
    ReportTrackProgress(BASS_Channel);
  }
  BASS_Encode_Stop(BASS_Channel);
  RipExtEnc = 0;
  return true;
}

bool TDiscGrab::Stream2WMA(const std::u16string& SaveFileName, DWORD BASS_Channel) {
  const HWMENCODE wma = OpenWma(SaveFileName);
  if (wma == 0) return false;
  try {
    if (WMAEncBefore != nullptr) WMAEncBefore(Handle(), wma, Counter);
    EncodeToWma(wma, BASS_Channel);
  } catch (...) {
    // Nothing else holds the handle: the file is closed before the error ends the rip.
    BASS_WMA_EncodeClose(wma);
    throw;
  }
  return BASS_WMA_EncodeClose(wma) != 0;
}

void TDiscGrab::EncodeToWma(HWMENCODE wma, DWORD BASS_Channel) {
  uint8_t buffer[kBlockSize];
  while (BASS_ChannelIsActive(BASS_Channel) != BASS_ACTIVE_STOPPED) {
    const DWORD got = BASS_ChannelGetData(BASS_Channel, buffer, kBlockSize);
    if (got != DWORD(-1)) BASS_WMA_EncodeWrite(wma, buffer, got);
    platform::PumpMessages();
    if (StopRipp) break;
    ReportTrackProgress(BASS_Channel);
  }
}

}  // namespace qm::engine
