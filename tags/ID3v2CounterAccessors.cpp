// Unique file identifiers (UFID), popularimeter (POPM), play counter (PCNT)
// and length (TLEN).
#include <string>

#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

TBodyWriter& BigEndian32(TBodyWriter& body, uint32_t value) {
  return body.Byte(static_cast<uint8_t>(value >> 24))
      .Byte(static_cast<uint8_t>(value >> 16))
      .Byte(static_cast<uint8_t>(value >> 8))
      .Byte(static_cast<uint8_t>(value));
}

uint32_t BigEndianLow32(std::string_view bytes) {
  uint32_t value = 0;
  for (char c : bytes) value = value << 8 | static_cast<uint8_t>(c);
  return value;
}

}  // namespace

std::u16string TID3v2Tag::GetUFID(int32_t FrameIndex, std::u16string& OwnerIdentifier) const {
  OwnerIdentifier.clear();
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return {};
  TBodyReader body(stream->View());
  OwnerIdentifier = DecodeLatin1(body.ToZeroByte());
  std::string identifier;
  for (char c : body.Rest()) {
    if (c != 0) identifier.push_back(c);
  }
  return DecodeLatin1(identifier);
}

std::u16string TID3v2Tag::GetUFID(std::u16string_view FrameID, std::u16string& OwnerIdentifier) const {
  return GetUFID(FrameExists(FrameID), OwnerIdentifier);
}

bool TID3v2Tag::SetUFID(int32_t FrameIndex, std::u16string_view OwnerIdentifier, std::u16string_view Identifier) {
  return SetBody(FrameIndex,
                 TBodyWriter().Bytes(LowBytes(OwnerIdentifier)).Byte(0).Bytes(LowBytes(Identifier)).Result());
}

bool TID3v2Tag::SetUFID(std::u16string_view FrameID, std::u16string_view OwnerIdentifier,
                        std::u16string_view Identifier) {
  return SetUFID(FrameIndexForWriting(FrameID), OwnerIdentifier, Identifier);
}

int32_t TID3v2Tag::FindUFIDByOwnerIdentifier(std::u16string_view OwnerIdentifier, std::u16string& Identifier) const {
  Identifier.clear();
  const TFrameID ufid = StringToFrameID(u"UFID");
  const std::u16string wanted = UpperAsciiLetters(OwnerIdentifier);
  for (int32_t i = 0; i < FrameCount; ++i) {
    if (!SameFrameID(Frames[i]->ID, ufid)) continue;
    std::u16string owner;
    std::u16string identifier = GetUFID(i, owner);
    if (UpperAsciiLetters(owner) == wanted) {
      Identifier = std::move(identifier);
      return i;
    }
  }
  return -1;
}

bool TID3v2Tag::SetUFIDByOwnerIdentifier(std::u16string_view OwnerIdentifier, std::u16string_view Identifier) {
  std::u16string ignored;
  int32_t index = FindUFIDByOwnerIdentifier(OwnerIdentifier, ignored);
  if (index < 0) index = AddFrame(u"UFID");
  return SetUFID(index, OwnerIdentifier, Identifier);
}

bool TID3v2Tag::GetPopularimeter(int32_t FrameIndex, std::u16string& Email, uint8_t& Rating,
                                 uint32_t& PlayCounter) const {
  Email.clear();
  Rating = 0;
  PlayCounter = 0;
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return false;
  TBodyReader body(stream->View());
  Email = DecodeLatin1(body.ToZeroByte());
  const int rating = body.Byte();
  Rating = rating < 0 ? 0 : static_cast<uint8_t>(rating);
  // A counter needs 4 bytes; fewer count as none.
  if (body.Remaining() >= 4) PlayCounter = BigEndianLow32(body.Bytes(4));
  return true;
}

bool TID3v2Tag::SetPopularimeter(int32_t FrameIndex, std::u16string_view Email, uint8_t Rating,
                                 uint32_t PlayCounter) {
  TBodyWriter body;
  body.Bytes(LowBytes(Email)).Byte(0).Byte(Rating);
  if (PlayCounter != 0) BigEndian32(body, PlayCounter);
  return SetBody(FrameIndex, std::move(body.Result()));
}

int32_t TID3v2Tag::FindPopularimeter(std::u16string_view Email, uint8_t& Rating, uint32_t& PlayCounter) const {
  const TFrameID popm = StringToFrameID(u"POPM");
  for (int32_t i = 0; i < FrameCount; ++i) {
    if (!SameFrameID(Frames[i]->ID, popm)) continue;
    std::u16string email;
    if (GetPopularimeter(i, email, Rating, PlayCounter) && email == Email) return i;
  }
  Rating = 0;
  PlayCounter = 0;
  return -1;
}

bool TID3v2Tag::SetPopularimeterByEmail(std::u16string_view Email, uint8_t Rating, uint32_t PlayCounter) {
  uint8_t ignored_rating = 0;
  uint32_t ignored_counter = 0;
  int32_t index = FindPopularimeter(Email, ignored_rating, ignored_counter);
  if (index < 0) index = AddFrame(u"POPM");
  return SetPopularimeter(index, Email, Rating, PlayCounter);
}

uint32_t TID3v2Tag::GetPlayCount(int32_t FrameIndex) const {
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return 0;
  TBodyReader body(stream->View());
  return BigEndianLow32(body.Rest());
}

uint32_t TID3v2Tag::GetPlayCount(std::u16string_view FrameID) const { return GetPlayCount(FrameExists(FrameID)); }

bool TID3v2Tag::SetPlayCount(int32_t FrameIndex, uint32_t PlayCount) {
  TBodyWriter body;
  return SetBody(FrameIndex, std::move(BigEndian32(body, PlayCount).Result()));
}

bool TID3v2Tag::SetPlayCount(std::u16string_view FrameID, uint32_t PlayCount) {
  return SetPlayCount(FrameIndexForWriting(FrameID), PlayCount);
}

bool TID3v2Tag::SetTLEN(int32_t FrameIndex, int32_t TLEN) {
  return SetBody(FrameIndex, TBodyWriter().Byte(kLatin).Bytes(std::to_string(TLEN)).Result());
}

bool TID3v2Tag::SetTLEN(std::u16string_view FrameID, int32_t TLEN) {
  return SetTLEN(FrameIndexForWriting(FrameID), TLEN);
}

}  // namespace qm::tags
