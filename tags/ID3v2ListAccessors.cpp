// List frames (TIPL and frames of the same layout): pairs of name and value.
#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {

bool TID3v2Tag::GetUnicodeListFrame(int32_t FrameIndex, TStringList& List) const {
  List.clear();
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return false;
  TBodyReader body(stream->View());
  const int encoding = body.Byte();
  if (encoding < kLatin || encoding > kUtf8) return false;
  if (encoding == kUtf16) body.Skip(2);
  auto read = [&] {
    switch (encoding) {
      case kLatin: return DecodeLatin1(body.ToZeroByte());
      case kUtf8: return qm::text::DecodeUtf8(body.ToZeroByte());
      default: return body.ToZeroUnit(encoding == kUtf16BE);
    }
  };
  while (!body.AtEnd()) {
    std::u16string name = read();
    std::u16string value = read();
    List.push_back(name + u"=" + value);
  }
  return !List.empty();
}

bool TID3v2Tag::GetUnicodeListFrame(std::u16string_view FrameID, TStringList& List) const {
  return GetUnicodeListFrame(FrameExists(FrameID), List);
}

bool TID3v2Tag::SetUnicodeListFrame(int32_t Index, const TStringList& List) {
  TBodyWriter body;
  body.Byte(kUtf16).Byte(0xFF).Byte(0xFE);
  for (const std::u16string& line : List) {
    const size_t equals = line.find(u'=');
    const std::u16string_view entry(line);
    body.Utf16(entry.substr(0, equals)).Zeros(2);
    body.Utf16(equals == std::u16string::npos ? std::u16string_view() : entry.substr(equals + 1)).Zeros(2);
  }
  return SetBody(Index, std::move(body.Result()));
}

bool TID3v2Tag::SetUnicodeListFrame(std::u16string_view FrameID, const TStringList& List) {
  return SetUnicodeListFrame(FrameIndexForWriting(FrameID), List);
}

}  // namespace qm::tags
