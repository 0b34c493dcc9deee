// Writing the tag to a stream: sizes, header, frames, padding and the CRC-32.
#include <zlib.h>

#include <cstring>

#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

void AppendBigEndian(TMemoryStream& out, uint32_t value) {
  const uint8_t b[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                        static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  out.Write(b, 4);
}

void AppendSyncSafe(TMemoryStream& out, uint32_t value) {
  uint8_t b[4];
  IntToSyncSafe(value, b, 4);
  out.Write(b, 4);
}

}  // namespace

bool TID3v2Tag::FrameIsWritten(const TID3v2Frame& frame) const {
  return ValidFrameID(frame.ID) && frame.Stream.Size() > 0;
}

uint32_t TID3v2Tag::FullFrameSize(uint32_t FrameIndex) const {
  if (FrameIndex >= Frames.size()) return 0;
  const TID3v2Frame& frame = *Frames[FrameIndex];
  const auto length = static_cast<uint32_t>(frame.Stream.Size());
  const uint32_t extras = (frame.Encrypted ? 1 : 0) + (frame.GroupingIdentity ? 1 : 0);
  switch (MajorVersion) {
    case 2: return length;
    // Version 2.3 has no flag for a data length indicator of its own: the 4
    // bytes go with compression only, so that a reader finds them.
    case 3: return length + extras + (frame.Compressed ? 4 : 0);
    case 4: return length + extras + (frame.DataLengthIndicator ? 4 : 0);
    default: return 0;
  }
}

int64_t TID3v2Tag::CalculateTotalFramesSize() const {
  int64_t total = 0;
  for (const auto& frame : Frames) {
    if (ValidFrameID(frame->ID)) total += frame->Stream.Size();
  }
  return total;
}

int64_t TID3v2Tag::CalculateTagSize(int64_t PaddingSize) const {
  int64_t total = 10 + PaddingSize;
  if (MajorVersion != 3 && MajorVersion != 4) return total;
  for (uint32_t i = 0; i < Frames.size(); ++i) {
    if (FrameIsWritten(*Frames[i])) total += 10 + FullFrameSize(i);
  }
  return total;
}

void TID3v2Tag::EncodeTagFlags() {
  Flags = (Unsynchronised ? 0x80 : 0) | (Experimental ? 0x20 : 0);
}

void TID3v2Tag::EncodeTagSize() {
  IntToSyncSafe(static_cast<uint32_t>(CalculateTagSize(PaddingSize) - 10), CodedSize.data(), 4);
}

bool TID3v2Tag::WriteTagHeader(TStream& stream) {
  const uint8_t header[10] = {'I', 'D', '3', MajorVersion, MinorVersion, Flags,
                              CodedSize[0], CodedSize[1], CodedSize[2], CodedSize[3]};
  return stream.Write(header, sizeof header);
}

bool TID3v2Tag::WriteFrames(TStream& stream) {
  // The frames are put together in memory and handed to the stream at once.
  TMemoryStream out;
  for (uint32_t i = 0; i < Frames.size(); ++i) {
    TID3v2Frame& frame = *Frames[i];
    if (!FrameIsWritten(frame)) continue;
    out.Write(frame.ID.data(), 4);
    const uint32_t size = FullFrameSize(i);
    if (MajorVersion == 3) {
      AppendBigEndian(out, size);
      frame.EncodeFlags3();
    } else {
      AppendSyncSafe(out, size);
      frame.EncodeFlags4();
    }
    const uint8_t flags[2] = {static_cast<uint8_t>(frame.Flags >> 8),
                              static_cast<uint8_t>(frame.Flags)};
    out.Write(flags, 2);
    if (MajorVersion == 3) {
      if (frame.Compressed) AppendSyncSafe(out, frame.DataLengthIndicatorValue);
      if (frame.Encrypted) out.Write(&frame.EncryptionMethod, 1);
      if (frame.GroupingIdentity) out.Write(&frame.GroupIdentifier, 1);
    } else {
      if (frame.GroupingIdentity) out.Write(&frame.GroupIdentifier, 1);
      if (frame.Encrypted) out.Write(&frame.EncryptionMethod, 1);
      if (frame.DataLengthIndicator) AppendSyncSafe(out, frame.DataLengthIndicatorValue);
    }
    const auto body = frame.Stream.View();
    out.Write(body.data(), body.size());
  }
  return stream.Write(out.View().data(), out.View().size());
}

int32_t TID3v2Tag::SaveToStream(TStream& TagStream, int64_t PaddingSizeToWrite) {
  try {
    if (MajorVersion == 2) MajorVersion = 3;
    if (MajorVersion != 3 && MajorVersion != 4) return ID3v2Result::NotSupportedVersion;
    PaddingSizeToWrite = std::max<int64_t>(PaddingSizeToWrite, 0);
    if (CalculateTagSize(PaddingSizeToWrite) - 10 > kMaxTagBodySize) {
      return ID3v2Result::TagDoesNotFit;
    }
    PaddingSize = static_cast<uint32_t>(PaddingSizeToWrite);
    EncodeTagSize();
    EncodeTagFlags();
    if (!WriteTagHeader(TagStream) || !WriteFrames(TagStream) || !TagStream.WriteZeros(PaddingSize)) {
      return ID3v2Result::ErrorWritingFile;
    }
    return ID3v2Result::Success;
  } catch (...) {
    return ID3v2Result::UnknownError;
  }
}

uint32_t TID3v2Tag::CalculateTagCRC32() {
  const bool was_unsynchronised = Unsynchronised;
  if (was_unsynchronised) RemoveUnsynchronisationOnAllFrames();
  uint32_t crc = 0;
  try {
    TMemoryStream frames;
    if (WriteFrames(frames) && frames.Size() > 0) {
      const auto bytes = frames.View();
      crc = static_cast<uint32_t>(crc32(0L, bytes.data(), static_cast<uInt>(bytes.size())));
    }
  } catch (...) {
    crc = 0;
  }
  if (was_unsynchronised) ApplyUnsynchronisationOnAllFrames();
  return crc;
}

}  // namespace qm::tags
