#include "platform/audio/WmaWriter.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <vector>

#include "platform/audio.h"
#include "platform/audio/SampleConversion.h"

namespace qm::audio {

struct WmaWriter::State {
  SampleFormat input;
  AVFormatContext* container = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  std::vector<float> pending;    // interleaved samples not yet encoded
  std::vector<uint8_t> partial;  // the bytes of an input frame cut by a block boundary
  int64_t nextPts = 0;

  ~State() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&codec);
    if (container != nullptr) {
      if (container->pb != nullptr) avio_closep(&container->pb);
      avformat_free_context(container);
    }
  }

  size_t PendingFrames() const { return pending.size() / input.chans; }
};

uint32_t WmaWriter::BitrateFor(uint32_t bitrateOrQuality, uint32_t chans) {
  constexpr uint32_t kMinimum = 24000;
  uint32_t bitrate = bitrateOrQuality;
  if (bitrateOrQuality <= 100) bitrate = chans * (16000 + 1440 * bitrateOrQuality);
  return std::max(bitrate, kMinimum);
}

namespace {

bool OpenEncoder(AVCodecContext* codec, const AVCodec* encoder, const SampleFormat& input,
                 uint32_t bitrate, bool globalHeader) {
  codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
  codec->sample_rate = static_cast<int>(input.freq);
  av_channel_layout_default(&codec->ch_layout, static_cast<int>(input.chans));
  codec->bit_rate = bitrate;
  codec->time_base = {1, codec->sample_rate};
  if (globalHeader) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  return avcodec_open2(codec, encoder, nullptr) >= 0;
}

bool PrepareFrame(AVFrame* frame, const AVCodecContext* codec) {
  frame->format = codec->sample_fmt;
  frame->nb_samples = codec->frame_size;
  frame->sample_rate = codec->sample_rate;
  return av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout) >= 0 &&
         av_frame_get_buffer(frame, 0) >= 0;
}

}  // namespace

std::unique_ptr<WmaWriter> WmaWriter::Open(const std::string& path, const SampleFormat& input,
                                           uint32_t bitrateOrQuality, int32_t& error) {
  error = BASS_ERROR_FORMAT;
  if (input.chans < 1 || input.chans > 2 || input.freq < 8000 || input.freq > 48000) {
    return nullptr;
  }
  const AVCodec* encoder = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  auto state = std::make_unique<State>();
  state->input = input;
  if (encoder == nullptr ||
      avformat_alloc_output_context2(&state->container, nullptr, "asf", path.c_str()) < 0) {
    error = BASS_ERROR_NOTAVAIL;
    return nullptr;
  }
  state->codec = avcodec_alloc_context3(encoder);
  state->stream = avformat_new_stream(state->container, nullptr);
  state->frame = av_frame_alloc();
  state->packet = av_packet_alloc();
  if (!state->codec || !state->stream || !state->frame || !state->packet) {
    error = BASS_ERROR_MEM;
    return nullptr;
  }
  const bool globalHeader = (state->container->oformat->flags & AVFMT_GLOBALHEADER) != 0;
  if (!OpenEncoder(state->codec, encoder, input, BitrateFor(bitrateOrQuality, input.chans),
                   globalHeader) ||
      avcodec_parameters_from_context(state->stream->codecpar, state->codec) < 0 ||
      !PrepareFrame(state->frame, state->codec)) {
    return nullptr;
  }
  state->stream->time_base = state->codec->time_base;
  error = BASS_ERROR_CREATE;
  if (avio_open(&state->container->pb, path.c_str(), AVIO_FLAG_WRITE) < 0 ||
      avformat_write_header(state->container, nullptr) < 0) {
    return nullptr;
  }
  error = BASS_OK;
  return std::unique_ptr<WmaWriter>(new WmaWriter(std::move(state)));
}

WmaWriter::WmaWriter(std::unique_ptr<State> state) : state_(std::move(state)) {}
WmaWriter::~WmaWriter() = default;

bool WmaWriter::Write(const uint8_t* data, size_t size) {
  State& s = *state_;
  const size_t frameBytes = s.input.FrameBytes();
  const DWORD chans = s.input.chans;
  auto append = [&](const uint8_t* bytes, size_t frames) {
    s.pending.resize(s.pending.size() + frames * chans, 0.0f);
    AddAsFloat(bytes, s.input, frames, s.pending.data() + s.pending.size() - frames * chans, chans);
  };
  if (!s.partial.empty()) {
    const size_t take = std::min(size, frameBytes - s.partial.size());
    s.partial.insert(s.partial.end(), data, data + take);
    data += take, size -= take;
    if (s.partial.size() < frameBytes) return true;
    append(s.partial.data(), 1);
    s.partial.clear();
  }
  append(data, size / frameBytes);
  s.partial.assign(data + size - size % frameBytes, data + size);
  const auto frameSize = static_cast<size_t>(s.codec->frame_size);
  while (s.PendingFrames() >= frameSize) {
    if (!EncodeFrame(frameSize)) return false;
  }
  return true;
}

// Encodes the first `frames` pending frames as one codec frame, padded with silence.
bool WmaWriter::EncodeFrame(size_t frames) {
  State& s = *state_;
  const DWORD chans = s.input.chans;
  const auto frameSize = static_cast<size_t>(s.codec->frame_size);
  if (av_frame_make_writable(s.frame) < 0) return false;
  for (DWORD c = 0; c < chans; ++c) {
    auto* plane = reinterpret_cast<float*>(s.frame->data[c]);
    for (size_t i = 0; i < frameSize; ++i) plane[i] = i < frames ? s.pending[i * chans + c] : 0.0f;
  }
  s.pending.erase(s.pending.begin(), s.pending.begin() + static_cast<ptrdiff_t>(frames * chans));
  s.frame->pts = s.nextPts;
  s.nextPts += static_cast<int64_t>(frameSize);
  return avcodec_send_frame(s.codec, s.frame) >= 0 && Drain();
}

// Moves every packet the encoder has ready into the file.
bool WmaWriter::Drain() {
  State& s = *state_;
  for (;;) {
    const int rc = avcodec_receive_packet(s.codec, s.packet);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return true;
    if (rc < 0) return false;
    av_packet_rescale_ts(s.packet, s.codec->time_base, s.stream->time_base);
    s.packet->stream_index = s.stream->index;
    if (av_interleaved_write_frame(s.container, s.packet) < 0) return false;
  }
}

bool WmaWriter::Close() {
  State& s = *state_;
  bool ok = s.PendingFrames() == 0 || EncodeFrame(s.PendingFrames());
  ok = avcodec_send_frame(s.codec, nullptr) >= 0 && Drain() && ok;
  ok = av_write_trailer(s.container) >= 0 && ok;
  ok = avio_closep(&s.container->pb) >= 0 && ok;
  return ok;
}

}  // namespace qm::audio
