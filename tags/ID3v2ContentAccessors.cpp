// Content frames: comments (COMM), unsynchronised lyrics (USLT) and any frame
// with a language, a description and a content.
#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

std::vector<uint8_t> ContentBody(uint8_t encoding, const TLanguageID& language, std::string_view description,
                                 std::string_view content) {
  return std::move(TBodyWriter()
                       .Byte(encoding)
                       .Bytes(std::span<const uint8_t>(language))
                       .Bytes(description)
                       .Byte(0)
                       .Bytes(content)
                       .Byte(0)
                       .Result());
}

}  // namespace

std::u16string TID3v2Tag::GetUnicodeContent(int32_t FrameIndex, TLanguageID& LanguageID,
                                            std::u16string& Description) const {
  LanguageID = {};
  Description.clear();
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return {};
  TBodyReader body(stream->View());
  const int encoding = body.Byte();
  const std::string_view language = body.Bytes(3);
  for (size_t i = 0; i < language.size() && i < LanguageID.size(); ++i) {
    LanguageID[i] = static_cast<uint8_t>(language[i]);
  }
  switch (encoding) {
    case kLatin:
    case kUtf8:
    case kUtf16BE:
      Description = body.TerminatedText(static_cast<uint8_t>(encoding), TEightBit::Windows1252);
      return body.TerminatedText(static_cast<uint8_t>(encoding), TEightBit::Windows1252);
    case kUtf16:
      Description = body.TerminatedText(kUtf16, TEightBit::Windows1252);
      if (!body.SkipPastByteOrderMark()) return {};
      return body.ToZeroUnit(false);
    default:
      return {};
  }
}

std::u16string TID3v2Tag::GetUnicodeContent(std::u16string_view FrameID, TLanguageID& LanguageID,
                                            std::u16string& Description) const {
  return GetUnicodeContent(FrameExists(FrameID), LanguageID, Description);
}

std::u16string TID3v2Tag::GetUnicodeComment(int32_t FrameIndex, TLanguageID& LanguageID,
                                            std::u16string& Description) const {
  return GetUnicodeContent(FrameIndex, LanguageID, Description);
}

std::u16string TID3v2Tag::GetUnicodeComment(std::u16string_view FrameID, TLanguageID& LanguageID,
                                            std::u16string& Description) const {
  return GetUnicodeContent(FrameID, LanguageID, Description);
}

std::u16string TID3v2Tag::GetUnicodeLyrics(int32_t FrameIndex, TLanguageID& LanguageID,
                                           std::u16string& Description) const {
  return GetUnicodeContent(FrameIndex, LanguageID, Description);
}

std::u16string TID3v2Tag::GetUnicodeLyrics(std::u16string_view FrameID, TLanguageID& LanguageID,
                                           std::u16string& Description) const {
  return GetUnicodeContent(FrameID, LanguageID, Description);
}

bool TID3v2Tag::SetUnicodeContent(int32_t FrameIndex, std::u16string_view Content, const TLanguageID& LanguageID,
                                  std::u16string_view Description) {
  return SetBody(FrameIndex, TBodyWriter()
                                 .Byte(kUtf16)
                                 .Bytes(std::span<const uint8_t>(LanguageID))
                                 .Utf16WithBom(Description)
                                 .Zeros(2)
                                 .Utf16WithBom(Content)
                                 .Zeros(2)
                                 .Result());
}

bool TID3v2Tag::SetUnicodeContent(std::u16string_view FrameID, std::u16string_view Content,
                                  const TLanguageID& LanguageID, std::u16string_view Description) {
  return SetUnicodeContent(FrameIndexForWriting(FrameID), Content, LanguageID, Description);
}

bool TID3v2Tag::SetUnicodeComment(int32_t FrameIndex, std::u16string_view Comment, const TLanguageID& LanguageID,
                                  std::u16string_view Description) {
  return SetUnicodeContent(FrameIndex, Comment, LanguageID, Description);
}

bool TID3v2Tag::SetUnicodeComment(std::u16string_view FrameID, std::u16string_view Comment,
                                  const TLanguageID& LanguageID, std::u16string_view Description) {
  return SetUnicodeContent(FrameID, Comment, LanguageID, Description);
}

bool TID3v2Tag::SetUnicodeLyrics(int32_t FrameIndex, std::u16string_view Lyrics, const TLanguageID& LanguageID,
                                 std::u16string_view Description) {
  return SetUnicodeContent(FrameIndex, Lyrics, LanguageID, Description);
}

bool TID3v2Tag::SetUnicodeLyrics(std::u16string_view FrameID, std::u16string_view Lyrics,
                                 const TLanguageID& LanguageID, std::u16string_view Description) {
  return SetUnicodeContent(FrameID, Lyrics, LanguageID, Description);
}

bool TID3v2Tag::SetContent(int32_t FrameIndex, std::u16string_view Content, const TLanguageID& LanguageID,
                           std::u16string_view Description) {
  return SetBody(FrameIndex, ContentBody(kLatin, LanguageID, qm::text::EncodeUsAscii(Description),
                                         qm::text::EncodeUsAscii(Content)));
}

bool TID3v2Tag::SetContent(std::u16string_view FrameID, std::u16string_view Content,
                           const TLanguageID& LanguageID, std::u16string_view Description) {
  return SetContent(FrameIndexForWriting(FrameID), Content, LanguageID, Description);
}

bool TID3v2Tag::SetUTF8Content(int32_t FrameIndex, std::u16string_view Content, const TLanguageID& LanguageID,
                               std::u16string_view Description) {
  return SetBody(FrameIndex, ContentBody(kUtf8, LanguageID, qm::text::EncodeUtf8(Description),
                                         qm::text::EncodeUtf8(Content)));
}

bool TID3v2Tag::SetUTF8Content(std::u16string_view FrameID, std::u16string_view Content,
                               const TLanguageID& LanguageID, std::u16string_view Description) {
  return SetUTF8Content(FrameIndexForWriting(FrameID), Content, LanguageID, Description);
}

int32_t TID3v2Tag::FindUnicodeCommentByDescription(std::u16string_view Description, TLanguageID& LanguageID,
                                                   std::u16string& Comment) const {
  LanguageID = {};
  Comment.clear();
  const TFrameID comm = StringToFrameID(u"COMM");
  const std::u16string wanted = UpperAsciiLetters(Description);
  for (int32_t i = 0; i < FrameCount; ++i) {
    if (!SameFrameID(Frames[i]->ID, comm)) continue;
    TLanguageID language{};
    std::u16string description;
    std::u16string content = GetUnicodeContent(i, language, description);
    if (UpperAsciiLetters(description) == wanted) {
      LanguageID = language;
      Comment = std::move(content);
      return i;
    }
  }
  return -1;
}

bool TID3v2Tag::SetUnicodeCommentByDescription(std::u16string_view Description, const TLanguageID& LanguageID,
                                               std::u16string_view Comment) {
  TLanguageID ignored_language{};
  std::u16string ignored_comment;
  int32_t index = FindUnicodeCommentByDescription(Description, ignored_language, ignored_comment);
  if (index < 0) index = AddFrame(u"COMM");
  return SetUnicodeComment(index, Comment, LanguageID, Description);
}

}  // namespace qm::tags
