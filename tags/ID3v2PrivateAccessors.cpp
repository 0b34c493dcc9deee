// Private frames whose identifier the caller chooses: bit rate (SEBR),
// compressed sample cache (SESC), 64-bit counter (SEFC) and album colours.
#include <charconv>

#include "common/TextCodec.h"
#include "tags/Extended80.h"
#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

constexpr std::string_view kSampleCacheMarker = "\x55\x55\x55\x55";
constexpr uint8_t kSampleCacheVersion = 2;
// The marker byte of a counter frame, written and expected.
constexpr uint8_t kCounterMarker = 1;

// Numbers are read and written with "." whatever the locale of the process.
template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

double DecimalOrZero(std::u16string_view text) {
  double value = 0;
  return ParseNumber(qm::text::EncodeUsAscii(text), value) ? value : 0;
}

// General format with at most 15 significant digits; an exponent as in 1E20 or 1.5E-5.
std::string GeneralFormat(double value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  std::string text(buffer, result.ptr);
  const size_t e = text.find('e');
  if (e == std::string::npos) return text;
  std::string exponent = text.substr(e + 1);
  const bool negative = exponent[0] == '-';
  exponent.erase(0, exponent.find_first_not_of("+-0"));
  return text.substr(0, e) + "E" + (negative ? "-" : "") + (exponent.empty() ? "0" : exponent);
}

std::vector<uint8_t> SebrBody(double number, std::string_view text) {
  const std::array<uint8_t, 10> extended = DoubleToExtended80(number);
  return std::move(TBodyWriter().Bytes(std::span<const uint8_t>(extended)).Bytes(text).Result());
}

uint32_t LittleEndian32(std::string_view bytes) {
  uint32_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = value << 8 | static_cast<uint8_t>(bytes[i]);
  return value;
}

TBodyWriter& AppendLittleEndian32(TBodyWriter& body, uint32_t value) {
  for (int i = 0; i < 4; ++i) body.Byte(static_cast<uint8_t>(value >> (8 * i)));
  return body;
}

}  // namespace

std::u16string TID3v2Tag::GetSEBRString(int32_t FrameIndex) const {
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return {};
  TBodyReader body(stream->View());
  body.Skip(10);
  std::string text;
  for (char c : body.Rest()) {
    if (c != 0) text.push_back(c);
  }
  return DecodeLatin1(text);
}

double TID3v2Tag::GetSEBR(int32_t FrameIndex) const {
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return 0;
  TBodyReader body(stream->View());
  std::array<uint8_t, 10> extended{};
  const std::string_view bytes = body.Bytes(10);
  std::copy(bytes.begin(), bytes.end(), extended.begin());
  const double number = Extended80ToDouble(extended);
  if (number != 0) return number;
  const std::u16string text = GetSEBRString(FrameIndex);
  return text.starts_with(u'~') ? DecimalOrZero(std::u16string_view(text).substr(1)) : 0;
}

double TID3v2Tag::GetSEBR(std::u16string_view FrameID) const { return GetSEBR(FrameExists(FrameID)); }

bool TID3v2Tag::SetSEBR(int32_t FrameIndex, std::u16string_view BitRate) {
  const double number = BitRate.starts_with(u'~') ? DecimalOrZero(BitRate.substr(1)) : 0;
  return SetBody(FrameIndex, SebrBody(number, LowBytes(BitRate)));
}

bool TID3v2Tag::SetSEBR(std::u16string_view FrameID, std::u16string_view BitRate) {
  return SetSEBR(FrameIndexForWriting(FrameID), BitRate);
}

bool TID3v2Tag::SetSEBR(int32_t FrameIndex, double BitRate) {
  return SetBody(FrameIndex, SebrBody(BitRate, GeneralFormat(BitRate)));
}

bool TID3v2Tag::SetSEBR(std::u16string_view FrameID, double BitRate) {
  return SetSEBR(FrameIndexForWriting(FrameID), BitRate);
}

TID3v2SampleCache TID3v2Tag::GetSampleCache(int32_t FrameIndex, bool ForceDecompression, uint8_t& Version,
                                            int32_t& Channels) {
  Version = 1;
  Channels = 2;
  if (ReadableBody(FrameIndex) == nullptr) return {};
  TID3v2Frame& frame = *Frames[FrameIndex];
  if (frame.Unsynchronised) frame.RemoveUnsynchronisation();
  if (frame.Compressed || ForceDecompression) frame.DeCompress();
  TBodyReader body(frame.Stream.View());
  if (body.Bytes(4) == kSampleCacheMarker) {
    const int version = body.Byte();
    Version = version < 0 ? 0 : static_cast<uint8_t>(version);
    const uint32_t header_length = LittleEndian32(body.Bytes(4));
    if (Version == kSampleCacheVersion && header_length >= 4) {
      Channels = static_cast<int32_t>(LittleEndian32(body.Bytes(4)));
      body.Skip(header_length - 4);
    }
  } else {
    body.Seek(0);
  }
  const std::string_view cache = body.Rest();
  return TID3v2SampleCache(cache.begin(), cache.end());
}

bool TID3v2Tag::SetSampleCache(int32_t FrameIndex, const TID3v2SampleCache& SESC, int32_t Channels) {
  TBodyWriter body;
  body.Bytes(kSampleCacheMarker).Byte(kSampleCacheVersion);
  AppendLittleEndian32(body, 4);
  AppendLittleEndian32(body, static_cast<uint32_t>(Channels));
  body.Bytes(std::span<const uint8_t>(SESC));
  return SetBody(FrameIndex, std::move(body.Result())) && Frames[FrameIndex]->Compress();
}

int64_t TID3v2Tag::GetSEFC(int32_t FrameIndex) const {
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return -1;
  TBodyReader body(stream->View());
  if (body.Byte() != kCounterMarker) return -1;
  int64_t value = 0;
  return ParseNumber(body.Rest(), value) ? value : 0;
}

bool TID3v2Tag::SetSEFC(int32_t FrameIndex, int64_t SEFC) {
  return SetBody(FrameIndex, TBodyWriter().Byte(kCounterMarker).Bytes(std::to_string(SEFC)).Result());
}

bool TID3v2Tag::GetAlbumColors(int32_t FrameIndex, uint32_t& TitleColor, uint32_t& TextColor) const {
  TitleColor = TextColor = 0;
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr || stream->Size() < 8) return false;
  TBodyReader body(stream->View());
  TitleColor = LittleEndian32(body.Bytes(4));
  TextColor = LittleEndian32(body.Bytes(4));
  return true;
}

bool TID3v2Tag::GetAlbumColors(std::u16string_view FrameID, uint32_t& TitleColor, uint32_t& TextColor) const {
  return GetAlbumColors(FrameExists(FrameID), TitleColor, TextColor);
}

bool TID3v2Tag::SetAlbumColors(int32_t FrameIndex, uint32_t TitleColor, uint32_t TextColor) {
  TBodyWriter body;
  AppendLittleEndian32(body, TitleColor);
  AppendLittleEndian32(body, TextColor);
  return SetBody(FrameIndex, std::move(body.Result()));
}

bool TID3v2Tag::SetAlbumColors(std::u16string_view FrameID, uint32_t TitleColor, uint32_t TextColor) {
  return SetAlbumColors(FrameIndexForWriting(FrameID), TitleColor, TextColor);
}

}  // namespace qm::tags
