// Attached pictures (APIC).
#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

// Reads MIME type, picture type and description of a picture body and gives
// the picture data; false (the outputs emptied) when there is no body.
bool ReadPicture(const TMemoryStream* stream, std::u16string& MIMEType, std::u16string& Description,
                 int32_t& CoverType, std::string_view& picture) {
  MIMEType.clear();
  Description.clear();
  CoverType = 0;
  if (stream == nullptr) return false;
  TBodyReader body(stream->View());
  const int encoding = body.Byte();
  MIMEType = DecodeLatin1(body.ToZeroByte());
  const int type = body.Byte();
  CoverType = type < 0 ? 0 : type;
  Description = body.TerminatedText(static_cast<uint8_t>(encoding), TEightBit::Windows1252);
  picture = body.Rest();
  return true;
}

}  // namespace

bool TID3v2Tag::GetUnicodeCoverPictureInfo(int32_t FrameIndex, std::u16string& MIMEType,
                                           std::u16string& Description, int32_t& CoverType) const {
  std::string_view picture;
  return ReadPicture(ReadableBody(FrameIndex), MIMEType, Description, CoverType, picture);
}

bool TID3v2Tag::GetUnicodeCoverPictureInfo(std::u16string_view FrameID, std::u16string& MIMEType,
                                           std::u16string& Description, int32_t& CoverType) const {
  return GetUnicodeCoverPictureInfo(FrameExists(FrameID), MIMEType, Description, CoverType);
}

bool TID3v2Tag::GetUnicodeCoverPictureStream(int32_t FrameIndex, TStream& PictureStream,
                                             std::u16string& MIMEType, std::u16string& Description,
                                             int32_t& CoverType) const {
  std::string_view picture;
  if (!ReadPicture(ReadableBody(FrameIndex), MIMEType, Description, CoverType, picture)) return false;
  const bool written = PictureStream.Seek(0) && PictureStream.Write(picture.data(), picture.size());
  PictureStream.Seek(0);
  return written;
}

bool TID3v2Tag::GetUnicodeCoverPictureStream(std::u16string_view FrameID, TStream& PictureStream,
                                             std::u16string& MIMEType, std::u16string& Description,
                                             int32_t& CoverType) const {
  return GetUnicodeCoverPictureStream(FrameExists(FrameID), PictureStream, MIMEType, Description, CoverType);
}

bool TID3v2Tag::SetUnicodeCoverPictureFromStream(int32_t FrameIndex, std::u16string_view Description,
                                                 TStream& PictureStream, std::u16string_view MIMEType,
                                                 int32_t CoverType) {
  if (!ValidIndex(FrameIndex)) return false;
  try {
    TBodyWriter body;
    body.Byte(kUtf16).Bytes(qm::text::EncodeUsAscii(MIMEType)).Byte(0);
    body.Byte(static_cast<uint8_t>(CoverType & 0xFF)).Utf16WithBom(Description).Zeros(2);
    TMemoryStream& stream = Frames[FrameIndex]->Stream;
    stream.Assign(std::move(body.Result()));
    stream.Seek(stream.Size());
    if (!PictureStream.Seek(0) || !stream.CopyFrom(PictureStream, PictureStream.Size())) return false;
    stream.Seek(0);
    return true;
  } catch (...) {
    return false;
  }
}

bool TID3v2Tag::SetUnicodeCoverPictureFromStream(std::u16string_view FrameID, std::u16string_view Description,
                                                 TStream& PictureStream, std::u16string_view MIMEType,
                                                 int32_t CoverType) {
  return SetUnicodeCoverPictureFromStream(FrameIndexForWriting(FrameID), Description, PictureStream, MIMEType,
                                          CoverType);
}

bool TID3v2Tag::SetUnicodeCoverPictureFromFile(int32_t FrameIndex, std::u16string_view Description,
                                               const std::filesystem::path& PictureFileName,
                                               std::u16string_view MIMEType, int32_t CoverType) {
  if (!ValidIndex(FrameIndex)) return false;
  auto file = TFileStream::Open(PictureFileName, TFileAccess::Read, TFileShare::DenyWrite);
  if (!file) return false;
  return SetUnicodeCoverPictureFromStream(FrameIndex, Description, *file, MIMEType, CoverType);
}

bool TID3v2Tag::SetUnicodeCoverPictureFromFile(std::u16string_view FrameID, std::u16string_view Description,
                                               const std::filesystem::path& PictureFileName,
                                               std::u16string_view MIMEType, int32_t CoverType) {
  return SetUnicodeCoverPictureFromFile(FrameIndexForWriting(FrameID), Description, PictureFileName, MIMEType,
                                        CoverType);
}

}  // namespace qm::tags
