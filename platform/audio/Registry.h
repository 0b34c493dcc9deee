// The process-wide tables of live channels and encoders, and the BASS_Init state.
#pragma once

#include "platform/audio/Channel.h"
#include "platform/audio/EncoderProcess.h"
#include "platform/audio/HandleTable.h"

namespace qm::audio {

HandleTable<Channel>& Channels();
HandleTable<EncoderProcess>& Encoders();

// True between a successful BASS_Init and BASS_Free.
bool Initialized();

// Registers a new channel and returns its handle.
DWORD AddChannel(std::shared_ptr<Channel> channel);

}  // namespace qm::audio
