// Text frames (T***) and user-defined text (TXXX).
#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

// Description and text of a user-defined text body.
struct TUserText {
  std::u16string description;
  std::u16string text;
};

TUserText ReadUserText(std::span<const uint8_t> bytes) {
  TBodyReader body(bytes);
  const int encoding = body.Byte();
  TUserText out;
  if (encoding < kLatin || encoding > kUtf8) return out;
  out.description = body.TerminatedText(static_cast<uint8_t>(encoding), TEightBit::Latin1);
  if (encoding == kUtf16 && !body.SkipPastByteOrderMark()) return out;
  out.text = body.TextToEnd(static_cast<uint8_t>(encoding), TEightBit::Latin1);
  return out;
}

}  // namespace

const TMemoryStream* TID3v2Tag::ReadableBody(int32_t FrameIndex) const {
  if (!ValidIndex(FrameIndex) || Frames[FrameIndex]->Stream.Size() == 0) return nullptr;
  return &Frames[FrameIndex]->Stream;
}

bool TID3v2Tag::SetBody(int32_t FrameIndex, std::vector<uint8_t> body) {
  if (!ValidIndex(FrameIndex)) return false;
  Frames[FrameIndex]->Stream.Assign(std::move(body));
  return true;
}

std::u16string TID3v2Tag::GetUnicodeText(int32_t FrameIndex, bool ReturnNativeText) const {
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return {};
  TBodyReader body(stream->View());
  int encoding = body.Byte();
  if (encoding > kUtf8) {
    // No encoding byte: the whole body is 8-bit text.
    body.Seek(0);
    encoding = kLatin;
  }
  if (encoding == kUtf16 && body.Bytes(2) != "\xFF\xFE") return {};
  if (encoding == kUtf8 && ReturnNativeText) return body.TextToEnd(kLatin, TEightBit::UsAscii);
  return body.TextToEnd(static_cast<uint8_t>(encoding), TEightBit::Windows1252);
}

std::u16string TID3v2Tag::GetUnicodeText(std::u16string_view FrameID, bool ReturnNativeText) const {
  return GetUnicodeText(FrameExists(FrameID), ReturnNativeText);
}

bool TID3v2Tag::SetUnicodeText(int32_t FrameIndex, std::u16string_view Text) {
  return SetBody(FrameIndex, TBodyWriter().Byte(kUtf16).Utf16WithBom(Text).Zeros(2).Result());
}

bool TID3v2Tag::SetUnicodeText(std::u16string_view FrameID, std::u16string_view Text) {
  return SetUnicodeText(FrameIndexForWriting(FrameID), Text);
}

bool TID3v2Tag::SetText(int32_t FrameIndex, std::u16string_view Text) {
  return SetBody(FrameIndex, TBodyWriter().Byte(kLatin).Bytes(qm::text::EncodeUsAscii(Text)).Byte(0).Result());
}

bool TID3v2Tag::SetText(std::u16string_view FrameID, std::u16string_view Text) {
  return SetText(FrameIndexForWriting(FrameID), Text);
}

bool TID3v2Tag::SetRawText(int32_t FrameIndex, std::u16string_view Text) { return SetText(FrameIndex, Text); }

bool TID3v2Tag::SetRawText(std::u16string_view FrameID, std::u16string_view Text) {
  return SetText(FrameID, Text);
}

bool TID3v2Tag::SetUTF8Text(int32_t FrameIndex, std::u16string_view Text) {
  return SetBody(FrameIndex, TBodyWriter().Byte(kUtf8).Bytes(qm::text::EncodeUtf8(Text)).Byte(0).Result());
}

bool TID3v2Tag::SetUTF8Text(std::u16string_view FrameID, std::u16string_view Text) {
  return SetUTF8Text(FrameIndexForWriting(FrameID), Text);
}

bool TID3v2Tag::GetUnicodeTextMultiple(int32_t FrameIndex, TStringList& List) const {
  List = SplitLines(GetUnicodeText(FrameIndex, false));
  return !List.empty();
}

bool TID3v2Tag::GetUnicodeTextMultiple(std::u16string_view FrameID, TStringList& List) const {
  return GetUnicodeTextMultiple(FrameExists(FrameID), List);
}

bool TID3v2Tag::SetUnicodeTextMultiple(int32_t FrameIndex, const TStringList& List) {
  TBodyWriter body;
  body.Byte(kUtf16).Byte(0xFF).Byte(0xFE);
  for (const auto& value : List) body.Utf16(value).Zeros(2);
  return SetBody(FrameIndex, std::move(body.Result()));
}

bool TID3v2Tag::SetUnicodeTextMultiple(std::u16string_view FrameID, const TStringList& List) {
  return SetUnicodeTextMultiple(FrameIndexForWriting(FrameID), List);
}

std::u16string TID3v2Tag::GetUnicodeUserDefinedTextInformation(int32_t FrameIndex,
                                                               std::u16string& Description) const {
  Description.clear();
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return {};
  TUserText user_text = ReadUserText(stream->View());
  Description = std::move(user_text.description);
  return user_text.text;
}

bool TID3v2Tag::GetUnicodeUserDefinedTextInformationMultiple(int32_t FrameIndex, std::u16string& Description,
                                                             TStringList& List) const {
  List = SplitLines(GetUnicodeUserDefinedTextInformation(FrameIndex, Description));
  return !List.empty();
}

bool TID3v2Tag::GetUnicodeUserDefinedTextInformationMultiple(std::u16string_view FrameID,
                                                             std::u16string& Description,
                                                             TStringList& List) const {
  return GetUnicodeUserDefinedTextInformationMultiple(FrameExists(FrameID), Description, List);
}

bool TID3v2Tag::SetUserDefinedTextInformation(int32_t FrameIndex, std::u16string_view Description,
                                              std::u16string_view Text) {
  return SetBody(FrameIndex, DescribedLowBytesBody(Description, Text));
}

bool TID3v2Tag::SetUserDefinedTextInformation(std::u16string_view FrameID, std::u16string_view Description,
                                              std::u16string_view Text) {
  return SetUserDefinedTextInformation(FrameIndexForWriting(FrameID), Description, Text);
}

bool TID3v2Tag::SetUTF8UserDefinedTextInformation(int32_t FrameIndex, std::u16string_view Description,
                                                  std::u16string_view Text) {
  return SetBody(FrameIndex, DescribedUtf8Body(Description, Text));
}

bool TID3v2Tag::SetUTF8UserDefinedTextInformation(std::u16string_view FrameID,
                                                  std::u16string_view Description, std::u16string_view Text) {
  return SetUTF8UserDefinedTextInformation(FrameIndexForWriting(FrameID), Description, Text);
}

bool TID3v2Tag::SetUnicodeUserDefinedTextInformation(int32_t FrameIndex, std::u16string_view Description,
                                                     std::u16string_view Text) {
  return SetUnicodeUserDefinedTextInformationMultiple(FrameIndex, Description, TStringList{std::u16string(Text)});
}

bool TID3v2Tag::SetUnicodeUserDefinedTextInformation(std::u16string_view FrameID,
                                                     std::u16string_view Description, std::u16string_view Text) {
  return SetUnicodeUserDefinedTextInformation(FrameIndexForWriting(FrameID), Description, Text);
}

bool TID3v2Tag::SetUnicodeUserDefinedTextInformationMultiple(int32_t FrameIndex, std::u16string_view Description,
                                                             const TStringList& List) {
  TBodyWriter body;
  body.Byte(kUtf16).Utf16WithBom(Description).Zeros(2).Byte(0xFF).Byte(0xFE);
  for (const auto& value : List) body.Utf16(value).Zeros(2);
  return SetBody(FrameIndex, std::move(body.Result()));
}

bool TID3v2Tag::SetUnicodeUserDefinedTextInformationMultiple(std::u16string_view FrameID,
                                                             std::u16string_view Description,
                                                             const TStringList& List) {
  return SetUnicodeUserDefinedTextInformationMultiple(FrameIndexForWriting(FrameID), Description, List);
}

bool TID3v2Tag::SetUnicodeTXXX(int32_t Index, std::u16string_view Description, std::u16string_view Text) {
  return SetUnicodeUserDefinedTextInformation(Index, Description, Text);
}

int32_t TID3v2Tag::FindCustomFrame(std::u16string_view FrameID, std::u16string_view Description) const {
  const TFrameID id = StringToFrameID(FrameID);
  for (int32_t i = 0; i < FrameCount; ++i) {
    std::u16string description;
    if (!SameFrameID(Frames[i]->ID, id)) continue;
    GetUnicodeUserDefinedTextInformation(i, description);
    if (description == Description) return i;
  }
  return -1;
}

int32_t TID3v2Tag::FindTXXXByDescription(std::u16string_view Description, std::u16string& Text) const {
  Text.clear();
  const TFrameID txxx = StringToFrameID(u"TXXX");
  const std::u16string wanted = UpperAsciiLetters(Description);
  for (int32_t i = 0; i < FrameCount; ++i) {
    if (!SameFrameID(Frames[i]->ID, txxx)) continue;
    std::u16string description;
    std::u16string text = GetUnicodeUserDefinedTextInformation(i, description);
    if (UpperAsciiLetters(description) == wanted) {
      Text = std::move(text);
      return i;
    }
  }
  return -1;
}

int32_t TID3v2Tag::FindTXXXByDescriptionMultiple(std::u16string_view Description, TStringList& List) const {
  std::u16string text;
  const int32_t index = FindTXXXByDescription(Description, text);
  List = SplitLines(text);
  return index;
}

bool TID3v2Tag::SetUnicodeTXXXByDescription(std::u16string_view Description, std::u16string_view Text) {
  std::u16string ignored;
  int32_t index = FindTXXXByDescription(Description, ignored);
  if (index < 0) index = AddFrame(u"TXXX");
  return SetUnicodeTXXX(index, Description, Text);
}

bool TID3v2Tag::SetUnicodeTXXXByDescriptionMultiple(std::u16string_view Description, const TStringList& List) {
  std::u16string ignored;
  int32_t index = FindTXXXByDescription(Description, ignored);
  if (index < 0) index = AddFrame(u"TXXX");
  return SetUnicodeUserDefinedTextInformationMultiple(index, Description, List);
}

}  // namespace qm::tags
