#include "platform/audio/SampleConversion.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qm::audio {
namespace {

float SampleAt(const uint8_t* in, size_t index, DWORD flags) {
  if (flags & BASS_SAMPLE_FLOAT) {
    float value;
    std::memcpy(&value, in + index * 4, 4);
    return value;
  }
  if (flags & BASS_SAMPLE_8BITS) return (static_cast<int>(in[index]) - 128) / 128.0f;
  const auto value = static_cast<int16_t>(in[index * 2] | in[index * 2 + 1] << 8);
  return value / 32768.0f;
}

}  // namespace

void AddAsFloat(const uint8_t* in, const SampleFormat& from, size_t frames, float* out,
                DWORD outChans) {
  const DWORD inChans = from.chans;
  for (size_t f = 0; f < frames; ++f) {
    const size_t base = f * inChans;
    float* frame = out + f * outChans;
    if (inChans == outChans) {
      for (DWORD c = 0; c < outChans; ++c) frame[c] += SampleAt(in, base + c, from.flags);
    } else if (inChans == 1) {
      const float value = SampleAt(in, base, from.flags);
      for (DWORD c = 0; c < outChans; ++c) frame[c] += value;
    } else if (outChans == 1) {
      float sum = 0;
      for (DWORD c = 0; c < inChans; ++c) sum += SampleAt(in, base + c, from.flags);
      frame[0] += sum / static_cast<float>(inChans);
    } else {
      for (DWORD c = 0; c < std::min(inChans, outChans); ++c) {
        frame[c] += SampleAt(in, base + c, from.flags);
      }
    }
  }
}

void StoreFromFloat(const float* in, size_t samples, DWORD flags, uint8_t* out) {
  if (flags & BASS_SAMPLE_FLOAT) {
    std::memcpy(out, in, samples * 4);
    return;
  }
  for (size_t i = 0; i < samples; ++i) {
    if (flags & BASS_SAMPLE_8BITS) {
      const long value = std::lrint(std::clamp(in[i] * 128.0f, -128.0f, 127.0f));
      out[i] = static_cast<uint8_t>(value + 128);
    } else {
      const auto value = static_cast<int16_t>(std::lrint(std::clamp(in[i] * 32768.0f, -32768.0f, 32767.0f)));
      out[i * 2] = static_cast<uint8_t>(value & 0xFF);
      out[i * 2 + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
    }
  }
}

}  // namespace qm::audio
