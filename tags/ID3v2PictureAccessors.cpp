// Attached pictures (APIC).
#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {

bool TID3v2Tag::SetUnicodeCoverPictureFromStream(int32_t FrameIndex,
                                                 std::u16string_view Description,
                                                 TStream& PictureStream,
                                                 std::u16string_view MIMEType, int32_t CoverType) {
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

bool TID3v2Tag::SetUnicodeCoverPictureFromStream(std::u16string_view FrameID,
                                                 std::u16string_view Description,
                                                 TStream& PictureStream,
                                                 std::u16string_view MIMEType, int32_t CoverType) {
  return SetUnicodeCoverPictureFromStream(FrameIndexForWriting(FrameID), Description,
                                          PictureStream, MIMEType, CoverType);
}

}  // namespace qm::tags
