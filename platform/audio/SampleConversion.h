// Conversions between the sample formats a channel may carry (unsigned 8-bit,
// signed 16-bit little-endian, 32-bit float; interleaved) and interleaved float,
// with the channel mapping the mixer applies: equal counts map one to one, a mono
// source feeds every output channel, a mono output takes the average of the source
// channels, and otherwise channel i feeds channel i (missing ones stay silent).
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/audio/Channel.h"

namespace qm::audio {

// Adds `frames` frames of `in` (format `from`) to `out`, which has `outChans` channels.
void AddAsFloat(const uint8_t* in, const SampleFormat& from, size_t frames, float* out,
                DWORD outChans);

// Writes `samples` float samples as the sample type of `flags`, clipped to its range.
void StoreFromFloat(const float* in, size_t samples, DWORD flags, uint8_t* out);

}  // namespace qm::audio
