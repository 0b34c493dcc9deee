// Reading a tag of version 2.2, 2.3 or 2.4 from a file or stream.
#include <algorithm>
#include <cstring>
#include <map>

#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

constexpr std::string_view kSignature = "ID3";

bool ReadSignature(TStream& stream, std::string_view expected) {
  char bytes[4] = {};
  return stream.ReadExact(bytes, expected.size()) &&
         std::string_view(bytes, expected.size()) == expected;
}

// Finds the tag chunk of a container file starting at `start`; false when the
// stream is no known container or holds no tag chunk.
bool SeekContainerChunk(TStream& stream, int64_t start) {
  using Search = uint32_t (*)(TStream&);
  static constexpr std::pair<std::string_view, Search> kContainers[] = {
      {"RIFF", FindRIFFID3Chunk}, {"FORM", FindAIFFID3Chunk}, {"RF64", FindRF64ID3Chunk}};
  for (const auto& [signature, search] : kContainers) {
    stream.Seek(start);
    if (ReadSignature(stream, signature)) return search(stream) != 0;
  }
  return false;
}

uint32_t BigEndian(const uint8_t* bytes, int count) {
  uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = value << 8 | bytes[i];
  return value;
}

// Copies `size` bytes of the stream into the frame body when the stream holds them.
bool ReadBody(TStream& stream, TID3v2Frame& frame, uint32_t size) {
  if (size > stream.Remaining()) return false;
  std::vector<uint8_t> body(size);
  if (!stream.ReadExact(body.data(), size)) return false;
  frame.Stream.Assign(std::move(body));
  return true;
}

// Reads one extra byte that follows the frame header, counting it off `size`.
bool ReadExtraByte(TStream& stream, uint8_t& value, uint32_t& size) {
  if (size < 1 || !stream.ReadExact(&value, 1)) return false;
  size -= 1;
  return true;
}

bool ReadExtraSyncSafe(TStream& stream, uint32_t& value, uint32_t& size) {
  uint8_t bytes[4];
  if (size < 4 || !stream.ReadExact(bytes, 4)) return false;
  value = SyncSafeToInt(bytes, 4);
  size -= 4;
  return true;
}

const std::map<std::string_view, std::string_view>& V22Identifiers() {
  static const std::map<std::string_view, std::string_view> table = {
      {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"CRM", "ENCR"},
      {"EQU", "EQUA"}, {"ETC", "ETCO"}, {"GEO", "GEOB"}, {"IPL", "TIPL"}, {"LNK", "LINK"},
      {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"},
      {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"}, {"TCM", "TCOM"},
      {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDR", "TRDA"}, {"TDY", "TDLY"},
      {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"},
      {"TLE", "TLEN"}, {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"},
      {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"},
      {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"}, {"TRD", "TRDA"},
      {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"},
      {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
      {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"},
      {"WCP", "WCOP"}, {"WPB", "WPUB"}, {"WXX", "WXXX"}, {"PIC", "APIC"}};
  return table;
}

std::u16string PictureFormatToMIMEType(std::string_view format) {
  std::string upper;
  for (char c : format) {
    if (c != 0) upper.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c);
  }
  if (upper == "JPG") return u"image/jpeg";
  if (upper == "PNG") return u"image/png";
  if (upper == "GIF") return u"image/gif";
  if (upper == "BMP") return u"image/bmp";
  return DecodeLatin1(upper);
}

}  // namespace

int32_t TID3v2Tag::LoadFromFile(const std::filesystem::path& FileName) {
  Clear();
  try {
    auto file = TFileStream::Open(FileName, TFileAccess::Read, TFileShare::DenyWrite);
    if (!file) return ID3v2Result::ErrorOpeningFile;
    const int32_t result = LoadFromStream(*file);
    if (result == ID3v2Result::Success || result == ID3v2Result::NotSupportedVersion) {
      this->FileName = FileNameText(FileName);
    }
    return result;
  } catch (...) {
    return ID3v2Result::UnknownError;
  }
}

int32_t TID3v2Tag::LoadFromStream(TStream& TagStream) {
  try {
    Clear();
    const int64_t start = TagStream.Position();
    if (!ReadSignature(TagStream, kSignature)) {
      if (!SeekContainerChunk(TagStream, start) || !ReadSignature(TagStream, kSignature)) {
        return ID3v2Result::NoTagFound;
      }
    }
    uint8_t header[7];
    if (!TagStream.ReadExact(header, 2)) return ID3v2Result::UnknownError;
    MajorVersion = header[0];
    MinorVersion = header[1];
    if (MajorVersion < 2 || MajorVersion > 4) return ID3v2Result::NotSupportedVersion;
    if (!TagStream.ReadExact(header + 2, 5)) return ID3v2Result::UnknownError;
    Flags = header[2];
    DecodeTagFlags();
    std::memcpy(CodedSize.data(), header + 3, 4);
    DecodeTagSize();
    const int64_t tag_start = TagStream.Position() - 10;
    if (ExtendedHeader) ReadExtendedHeader(TagStream);
    while (ReadFrame(TagStream) && TagStream.Position() < tag_start + Size) {
    }
    Loaded = true;
    return ID3v2Result::Success;
  } catch (...) {
    return ID3v2Result::UnknownError;
  }
}

void TID3v2Tag::DecodeTagFlags() {
  Unsynchronised = Flags & 0x80;
  if (MajorVersion == 2) {
    Compressed = Flags & 0x40;
    return;
  }
  ExtendedHeader = Flags & 0x40;
  Experimental = Flags & 0x20;
  FooterPresent = Flags & 0x10;
}

void TID3v2Tag::DecodeTagSize() { Size = SyncSafeToInt(CodedSize.data(), 4) + 10; }

void TID3v2Tag::ReadExtendedHeader(TStream& stream) {
  TFrameID probe{};
  if (!stream.ReadExact(probe.data(), 4)) return;
  if (ValidFrameID(probe)) {
    // The flag was wrong: the frames start here.
    ExtendedHeader = false;
    stream.Skip(-4);
    return;
  }
  stream.Skip(-4);
  if (MajorVersion == 3) {
    auto& header = *ExtendedHeader3;
    uint8_t flags[2];
    if (!stream.ReadExact(header.CodedSize.data(), 4)) return;
    header.DecodeExtendedHeaderSize();
    if (!stream.ReadExact(flags, 2)) return;
    header.Flags = static_cast<uint16_t>(flags[1] << 8 | flags[0]);
    header.DecodeExtendedHeaderFlags();
    if (header.Size < 2) return;
    TMemoryStream data;
    if (!data.CopyFrom(stream, std::min<int64_t>(header.Size - 2, stream.Remaining()))) return;
    data.Seek(0);
    if (Unsynchronised) {
      TMemoryStream plain;
      if (!RemoveUnsynchronisationFromStream(data, plain, data.Size())) return;
      data = std::move(plain);
    }
    header.Data = std::move(data);
    header.Data.Seek(0);
    return;
  }
  if (MajorVersion == 4) {
    auto& header = *ExtendedHeader4;
    if (!stream.ReadExact(header.CodedSize.data(), 4)) return;
    header.DecodeExtendedHeaderSize();
    if (!stream.ReadExact(&header.FlagBytes, 1) || !stream.ReadExact(&header.Flags, 1)) return;
    header.DecodeExtendedHeaderFlags();
    header.CalculateExtendedFlagsDataSize();
    header.ExtendedFlagsData.resize(header.ExtendedFlagsDataSize);
    const size_t n = stream.Read(header.ExtendedFlagsData.data(), header.ExtendedFlagsDataSize);
    header.ExtendedFlagsData.resize(n);
  }
}

bool TID3v2Tag::ReadFrame(TStream& stream) {
  TFrameID id{};
  const bool v22 = MajorVersion == 2;
  stream.Read(id.data(), v22 ? 3 : 4);
  if (!(v22 ? ValidFrameID22(id) : ValidFrameID(id))) {
    // Second chance: skip 4 bytes of something that is not a frame.
    id = {};
    stream.Read(id.data(), 4);
    if (!ValidFrameID(id)) return false;
  }
  const int32_t index = AddFrame(id);
  if (index < 0) return false;
  ReadFrameData(stream, *Frames[index]);
  if (v22 && Frames[index]->Stream.Size() > 0) ConvertV22FrameID(index);
  return true;
}

void TID3v2Tag::ReadFrameData(TStream& stream, TID3v2Frame& frame) {
  if (MajorVersion == 2) {
    uint8_t size[3];
    if (!stream.ReadExact(size, 3)) return;
    frame.Size = BigEndian(size, 3);
    if (frame.Size == 0 || frame.Size > Size) return;
    frame.Unsynchronised = Unsynchronised;
    ReadBody(stream, frame, frame.Size);
    return;
  }
  uint8_t header[6];
  if (!stream.ReadExact(header, 6)) return;
  frame.Size = MajorVersion == 3 ? BigEndian(header, 4) : SyncSafeToInt(header, 4);
  if (frame.Size == 0 || frame.Size > Size) return;
  frame.Flags = static_cast<uint16_t>(header[4] << 8 | header[5]);
  if (MajorVersion == 3) {
    frame.DecodeFlags3();
    frame.Unsynchronised = Unsynchronised;
    if (frame.Compressed) {
      if (!ReadExtraSyncSafe(stream, frame.DataLengthIndicatorValue, frame.Size)) return;
      frame.DataLengthIndicator = true;
    }
    if (frame.Encrypted && !ReadExtraByte(stream, frame.EncryptionMethod, frame.Size)) return;
    if (frame.GroupingIdentity && !ReadExtraByte(stream, frame.GroupIdentifier, frame.Size)) return;
  } else {
    frame.DecodeFlags4();
    if (frame.GroupingIdentity && !ReadExtraByte(stream, frame.GroupIdentifier, frame.Size)) return;
    if (frame.Encrypted && !ReadExtraByte(stream, frame.EncryptionMethod, frame.Size)) return;
    if (frame.DataLengthIndicator &&
        !ReadExtraSyncSafe(stream, frame.DataLengthIndicatorValue, frame.Size)) {
      return;
    }
  }
  ReadBody(stream, frame, frame.Size);
}

void TID3v2Tag::ConvertV22FrameID(int32_t FrameIndex) {
  TID3v2Frame& frame = *Frames[FrameIndex];
  const std::string old_id(frame.ID.begin(), frame.ID.begin() + 3);
  const auto found = V22Identifiers().find(old_id);
  if (found == V22Identifiers().end()) return;
  std::memcpy(frame.ID.data(), found->second.data(), 4);
  if (old_id == "PIC") ConvertPICToAPIC(FrameIndex);
}

bool TID3v2Tag::ConvertPICToAPIC(int32_t FrameIndex) {
  TBodyReader body(Frames[FrameIndex]->Stream.View());
  const int encoding = body.Byte();
  const std::u16string mime_type = PictureFormatToMIMEType(body.Bytes(3));
  const int picture_type = body.Byte();
  const std::u16string description =
      body.TerminatedText(static_cast<uint8_t>(encoding), TEightBit::Latin1);
  const std::string_view picture = body.Rest();
  TMemoryStream picture_stream(std::vector<uint8_t>(picture.begin(), picture.end()));
  return SetUnicodeCoverPictureFromStream(FrameIndex, description, picture_stream, mime_type,
                                          picture_type < 0 ? 0 : picture_type);
}

}  // namespace qm::tags
