// URL links (W***) and user-defined URL links (WXXX).
#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {

std::u16string TID3v2Tag::GetURL(int32_t FrameIndex) const {
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return {};
  TBodyReader body(stream->View());
  return DecodeLatin1(body.Rest());
}

std::u16string TID3v2Tag::GetURL(std::u16string_view FrameID) const { return GetURL(FrameExists(FrameID)); }

bool TID3v2Tag::SetURL(int32_t FrameIndex, std::u16string_view URL) {
  return SetBody(FrameIndex, TBodyWriter().Bytes(LowBytes(URL)).Result());
}

bool TID3v2Tag::SetURL(std::u16string_view FrameID, std::u16string_view URL) {
  return SetURL(FrameIndexForWriting(FrameID), URL);
}

std::u16string TID3v2Tag::GetUnicodeUserDefinedURLLink(int32_t FrameIndex, std::u16string& Description) const {
  Description.clear();
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return {};
  TBodyReader body(stream->View());
  const int encoding = body.Byte();
  Description = body.TerminatedText(static_cast<uint8_t>(encoding), TEightBit::Latin1);
  return DecodeLatin1(body.ToZeroByte());
}

std::u16string TID3v2Tag::GetUnicodeUserDefinedURLLink(std::u16string_view FrameID,
                                                       std::u16string& Description) const {
  return GetUnicodeUserDefinedURLLink(FrameExists(FrameID), Description);
}

bool TID3v2Tag::SetUserDefinedURLLink(int32_t FrameIndex, std::u16string_view URL, std::u16string_view Description) {
  return SetBody(FrameIndex, DescribedLowBytesBody(Description, URL));
}

bool TID3v2Tag::SetUserDefinedURLLink(std::u16string_view FrameID, std::u16string_view URL,
                                      std::u16string_view Description) {
  return SetUserDefinedURLLink(FrameIndexForWriting(FrameID), URL, Description);
}

bool TID3v2Tag::SetUTF8UserDefinedURLLink(int32_t FrameIndex, std::u16string_view URL,
                                          std::u16string_view Description) {
  return SetBody(FrameIndex, DescribedUtf8Body(Description, URL));
}

bool TID3v2Tag::SetUTF8UserDefinedURLLink(std::u16string_view FrameID, std::u16string_view URL,
                                          std::u16string_view Description) {
  return SetUTF8UserDefinedURLLink(FrameIndexForWriting(FrameID), URL, Description);
}

bool TID3v2Tag::SetUnicodeUserDefinedURLLink(int32_t FrameIndex, std::u16string_view URL,
                                             std::u16string_view Description) {
  return SetBody(FrameIndex,
                 TBodyWriter().Byte(kUtf16).Utf16WithBom(Description).Zeros(2).Bytes(LowBytes(URL)).Result());
}

bool TID3v2Tag::SetUnicodeUserDefinedURLLink(std::u16string_view FrameID, std::u16string_view URL,
                                             std::u16string_view Description) {
  return SetUnicodeUserDefinedURLLink(FrameIndexForWriting(FrameID), URL, Description);
}

int32_t TID3v2Tag::FindUnicodeUserDefinedURLLinkByDescription(std::u16string_view Description,
                                                              std::u16string& URL) const {
  URL.clear();
  const TFrameID wxxx = StringToFrameID(u"WXXX");
  for (int32_t i = 0; i < FrameCount; ++i) {
    if (!SameFrameID(Frames[i]->ID, wxxx)) continue;
    std::u16string description;
    std::u16string url = GetUnicodeUserDefinedURLLink(i, description);
    if (description == Description) {
      URL = std::move(url);
      return i;
    }
  }
  return -1;
}

bool TID3v2Tag::SetUnicodeUserDefinedURLLinkByDescription(std::u16string_view Description,
                                                          std::u16string_view URL) {
  std::u16string ignored;
  int32_t index = FindUnicodeUserDefinedURLLinkByDescription(Description, ignored);
  if (index < 0) index = AddFrame(u"WXXX");
  return SetUnicodeUserDefinedURLLink(index, URL, Description);
}

}  // namespace qm::tags
