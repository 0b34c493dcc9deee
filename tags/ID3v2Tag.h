// ID3v2 tags (versions 2.2 to 2.4 read, 2.3 and 2.4 written) at the start of
// MPEG files and in the tag chunk of RIFF WAVE, RF64 WAVE and AIFF/AIFC files.
//
// The tag is held in memory as a header plus an ordered list of frames whose
// bodies are kept exactly as they stand in the file. Nothing here throws to
// the caller: operations report by result codes, Booleans and -1 indexes.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tags/TagStream.h"

namespace qm::tags {

using TFrameID = std::array<uint8_t, 4>;
using TLanguageID = std::array<uint8_t, 3>;
// A list of lines; its text is the lines joined by CR LF.
using TStringList = std::vector<std::u16string>;
using TID3v2SampleCache = std::vector<uint8_t>;

// Result codes of loading and saving; TagErrorCodeToText gives their texts.
namespace ID3v2Result {
constexpr int32_t Success = 0;
constexpr int32_t NoTagFound = 1;
constexpr int32_t TagIsEmpty = 2;
constexpr int32_t OnlyEmptyFrames = 3;
constexpr int32_t ErrorOpeningFile = 4;
constexpr int32_t ErrorReadingFile = 5;
constexpr int32_t ErrorWritingFile = 6;
constexpr int32_t TagDoesNotFit = 7;
constexpr int32_t NotSupportedVersion = 8;
constexpr int32_t NotSupportedFormat = 9;
constexpr int32_t FileLocked = 10;
constexpr int32_t UnknownError = 0xFFFF;
}  // namespace ID3v2Result

// The largest tag size (without its 10-byte header) that the header's 28-bit
// sync-safe size field states.
constexpr int64_t kMaxTagBodySize = 0x0FFFFFFF;

class TID3v2Frame {
 public:
  TID3v2Frame() = default;
  virtual ~TID3v2Frame() = default;

  TFrameID ID{};
  uint32_t Size = 0;       // header size less the extra bytes read; the body length after reading
  uint32_t CodedSize = 0;  // scratch for the coded size
  TMemoryStream Stream;    // the body, as it stands in the file
  uint16_t Flags = 0;      // the two flag bytes, first byte high
  bool TagAlterPreservation = false;
  bool FileAlterPreservation = false;
  bool ReadOnly = false;
  bool Compressed = false;
  bool Encrypted = false;
  bool GroupingIdentity = false;
  bool Unsynchronised = false;
  bool DataLengthIndicator = false;
  uint8_t GroupIdentifier = 0;
  uint8_t EncryptionMethod = 0;
  uint32_t DataLengthIndicatorValue = 0;  // body length before compression

  void Clear();
  void DecodeFlags3();
  void DecodeFlags4();
  void EncodeFlags3();
  void EncodeFlags4();
  bool Compress();
  bool DeCompress();
  bool RemoveUnsynchronisation();
  bool ApplyUnsynchronisation();
  // Copies everything of `source`; false (after clearing) when it is null.
  bool Assign(TID3v2Frame* source);
};

class TID3v2ExtendedHeader3 {
 public:
  virtual ~TID3v2ExtendedHeader3() = default;

  uint32_t Size = 0;                  // without its own size field: 6 or 10
  std::array<uint8_t, 4> CodedSize{};  // the size bytes as read
  TMemoryStream Data;                 // padding size and, with CRC, the CRC
  uint16_t Flags = 0;                 // first byte high after decoding
  bool CRCPresent = false;

  void DecodeExtendedHeaderSize();
  // `Flags` holds the two bytes as read (first byte low); makes it big-endian.
  void DecodeExtendedHeaderFlags();
};

enum class TID3v2ExtendedHeader4TagSizeRestriction {
  NoMoreThan128FramesAnd1MBTotalTagSize,
  NoMoreThan64FramesAnd128KBTotalTagSize,
  NoMoreThan32FramesAnd40KBTotalTagSize,
  NoMoreThan32FramesAnd4KBTotalTagSize
};
enum class TID3v2ExtendedHeader4TextEncodingRestriction {
  NoTextEncodingRestrictions,
  OnlyEncodedWithISO88591OrUTF8
};
enum class TID3v2ExtendedHeader4TextFieldsSizeRestriction {
  NoTextFieldsSizeRestrictions,
  NoStringIsLongerThan1024Characters,
  NoStringIsLongerThan128Characters,
  NoStringIsLongerThan30Characters
};
enum class TID3v2ExtendedHeader4ImageEncodingRestriction {
  NoImageEncodingRestrictions,
  ImagesAreEncodedOnlyWithPNGOrJPEG
};
enum class TID3v2ExtendedHeader4ImageSizeRestriction {
  NoImageSizeRestrictions,
  AllImagesAre256x256PixelsOrSmaller,
  AllImagesAre64x64PixelsOrSmaller,
  AllImagesAreExactly64x64PixelsUnlessRequiredOtherwise
};

class TID3v2ExtendedHeader4 {
 public:
  virtual ~TID3v2ExtendedHeader4() = default;

  uint32_t Size = 0;  // whole extended header
  std::array<uint8_t, 4> CodedSize{};
  uint8_t FlagBytes = 0;
  uint8_t Flags = 0;
  uint32_t ExtendedFlagsDataSize = 0;
  std::vector<uint8_t> ExtendedFlagsData;
  bool TagIsAnUpdate = false;
  bool CRCPresent = false;
  bool TagRestrictions = false;
  // The restriction byte is kept in ExtendedFlagsData; these stay at their first values.
  TID3v2ExtendedHeader4TagSizeRestriction TagRestrictionsData{};
  TID3v2ExtendedHeader4TextEncodingRestriction TextEncodingRestrictions{};
  TID3v2ExtendedHeader4TextFieldsSizeRestriction TextFieldsSizeRestriction{};
  TID3v2ExtendedHeader4ImageEncodingRestriction ImageEncodingRestriction{};
  TID3v2ExtendedHeader4ImageSizeRestriction ImageSizeRestriction{};

  void DecodeExtendedHeaderSize();
  void DecodeExtendedHeaderFlags();
  void CalculateExtendedFlagsDataSize();
  void DecodeExtendedHeaderFlagData() {}
};

class TID3v2Tag {
 public:
  TID3v2Tag();
  virtual ~TID3v2Tag() = default;
  TID3v2Tag(const TID3v2Tag&) = delete;
  TID3v2Tag& operator=(const TID3v2Tag&) = delete;

  std::u16string FileName;  // file of the last load that gave 0 or 8
  bool Loaded = false;
  uint8_t MajorVersion = 3;
  uint8_t MinorVersion = 0;
  uint8_t Flags = 0;
  bool Unsynchronised = false;
  bool Compressed = false;  // version 2.2 header flag
  bool ExtendedHeader = false;
  bool Experimental = false;
  bool FooterPresent = false;
  uint32_t Size = 0;  // whole tag: decoded header size plus 10
  std::vector<std::unique_ptr<TID3v2Frame>> Frames;
  int32_t FrameCount = 0;  // always Frames.size()
  std::unique_ptr<TID3v2ExtendedHeader3> ExtendedHeader3;
  std::unique_ptr<TID3v2ExtendedHeader4> ExtendedHeader4;
  uint32_t PaddingSize = 0;       // padding of the last SaveToStream
  uint32_t PaddingToWrite = 4096;  // padding of a rewritten file or a new or grown chunk

  void Clear();

  // Frame list. Identifiers given as strings go through StringToFrameID.
  int32_t AddFrame(const TFrameID& FrameID);
  int32_t AddFrame(std::u16string_view FrameID);
  int32_t InsertFrame(const TFrameID& FrameID, int32_t Position);
  int32_t InsertFrame(std::u16string_view FrameID, int32_t Position);
  bool DeleteFrame(int32_t FrameIndex);
  bool DeleteFrame(const TFrameID& FrameID);
  bool DeleteFrame(std::u16string_view FrameID);
  void DeleteAllFrames();
  int32_t FrameExists(const TFrameID& FrameID) const;
  int32_t FrameExists(std::u16string_view FrameID) const;
  int32_t FrameTypeCount(const TFrameID& FrameID) const;
  int32_t FrameTypeCount(std::u16string_view FrameID) const;
  bool RemoveUnsynchronisationOnAllFrames();
  bool ApplyUnsynchronisationOnAllFrames();
  void Assign(const TID3v2Tag& ID3v2Tag);

  // Reading.
  int32_t LoadFromFile(const std::filesystem::path& FileName);
  int32_t LoadFromStream(TStream& TagStream);

  // Writing.
  uint32_t FullFrameSize(uint32_t FrameIndex) const;
  int64_t CalculateTotalFramesSize() const;
  int64_t CalculateTagSize(int64_t PaddingSize) const;
  int32_t SaveToStream(TStream& TagStream, int64_t PaddingSizeToWrite);
  int32_t SaveToFile(const std::filesystem::path& FileName);
  uint32_t CalculateTagCRC32();

  // Accessors. Each comes in a FrameIndex form and, where it makes sense, a
  // FrameID form: the getter uses the first frame with that identifier, the
  // setter that frame or a new one appended. Getters give their empty result
  // for an invalid index or an empty body; setters replace the whole body.

  // Text frames (T***).
  std::u16string GetUnicodeText(int32_t FrameIndex, bool ReturnNativeText = false) const;
  std::u16string GetUnicodeText(std::u16string_view FrameID, bool ReturnNativeText = false) const;
  bool SetUnicodeText(int32_t FrameIndex, std::u16string_view Text);
  bool SetUnicodeText(std::u16string_view FrameID, std::u16string_view Text);
  bool SetText(int32_t FrameIndex, std::u16string_view Text);
  bool SetText(std::u16string_view FrameID, std::u16string_view Text);
  bool SetRawText(int32_t FrameIndex, std::u16string_view Text);
  bool SetRawText(std::u16string_view FrameID, std::u16string_view Text);
  bool SetUTF8Text(int32_t FrameIndex, std::u16string_view Text);
  bool SetUTF8Text(std::u16string_view FrameID, std::u16string_view Text);
  bool GetUnicodeTextMultiple(int32_t FrameIndex, TStringList& List) const;
  bool GetUnicodeTextMultiple(std::u16string_view FrameID, TStringList& List) const;
  bool SetUnicodeTextMultiple(int32_t FrameIndex, const TStringList& List);
  bool SetUnicodeTextMultiple(std::u16string_view FrameID, const TStringList& List);

  // Content frames: comments, lyrics and frames of the same layout.
  std::u16string GetUnicodeContent(int32_t FrameIndex, TLanguageID& LanguageID,
                                   std::u16string& Description) const;
  std::u16string GetUnicodeContent(std::u16string_view FrameID, TLanguageID& LanguageID,
                                   std::u16string& Description) const;
  std::u16string GetUnicodeComment(int32_t FrameIndex, TLanguageID& LanguageID,
                                   std::u16string& Description) const;
  std::u16string GetUnicodeComment(std::u16string_view FrameID, TLanguageID& LanguageID,
                                   std::u16string& Description) const;
  std::u16string GetUnicodeLyrics(int32_t FrameIndex, TLanguageID& LanguageID,
                                  std::u16string& Description) const;
  std::u16string GetUnicodeLyrics(std::u16string_view FrameID, TLanguageID& LanguageID,
                                  std::u16string& Description) const;
  bool SetUnicodeContent(int32_t FrameIndex, std::u16string_view Content, const TLanguageID& LanguageID,
                         std::u16string_view Description);
  bool SetUnicodeContent(std::u16string_view FrameID, std::u16string_view Content,
                         const TLanguageID& LanguageID, std::u16string_view Description);
  bool SetUnicodeComment(int32_t FrameIndex, std::u16string_view Comment, const TLanguageID& LanguageID,
                         std::u16string_view Description);
  bool SetUnicodeComment(std::u16string_view FrameID, std::u16string_view Comment,
                         const TLanguageID& LanguageID, std::u16string_view Description);
  bool SetUnicodeLyrics(int32_t FrameIndex, std::u16string_view Lyrics, const TLanguageID& LanguageID,
                        std::u16string_view Description);
  bool SetUnicodeLyrics(std::u16string_view FrameID, std::u16string_view Lyrics,
                        const TLanguageID& LanguageID, std::u16string_view Description);
  bool SetContent(int32_t FrameIndex, std::u16string_view Content, const TLanguageID& LanguageID,
                  std::u16string_view Description);
  bool SetContent(std::u16string_view FrameID, std::u16string_view Content, const TLanguageID& LanguageID,
                  std::u16string_view Description);
  bool SetUTF8Content(int32_t FrameIndex, std::u16string_view Content, const TLanguageID& LanguageID,
                      std::u16string_view Description);
  bool SetUTF8Content(std::u16string_view FrameID, std::u16string_view Content,
                      const TLanguageID& LanguageID, std::u16string_view Description);
  int32_t FindUnicodeCommentByDescription(std::u16string_view Description, TLanguageID& LanguageID,
                                          std::u16string& Comment) const;
  bool SetUnicodeCommentByDescription(std::u16string_view Description, const TLanguageID& LanguageID,
                                      std::u16string_view Comment);

  // Attached pictures (APIC).
  bool GetUnicodeCoverPictureStream(int32_t FrameIndex, TStream& PictureStream, std::u16string& MIMEType,
                                    std::u16string& Description, int32_t& CoverType) const;
  bool GetUnicodeCoverPictureStream(std::u16string_view FrameID, TStream& PictureStream,
                                    std::u16string& MIMEType, std::u16string& Description,
                                    int32_t& CoverType) const;
  bool GetUnicodeCoverPictureInfo(int32_t FrameIndex, std::u16string& MIMEType,
                                  std::u16string& Description, int32_t& CoverType) const;
  bool GetUnicodeCoverPictureInfo(std::u16string_view FrameID, std::u16string& MIMEType,
                                  std::u16string& Description, int32_t& CoverType) const;
  bool SetUnicodeCoverPictureFromStream(int32_t FrameIndex, std::u16string_view Description,
                                        TStream& PictureStream, std::u16string_view MIMEType,
                                        int32_t CoverType);
  bool SetUnicodeCoverPictureFromStream(std::u16string_view FrameID,
                                        std::u16string_view Description, TStream& PictureStream,
                                        std::u16string_view MIMEType, int32_t CoverType);
  bool SetUnicodeCoverPictureFromFile(int32_t FrameIndex, std::u16string_view Description,
                                      const std::filesystem::path& PictureFileName,
                                      std::u16string_view MIMEType, int32_t CoverType);
  bool SetUnicodeCoverPictureFromFile(std::u16string_view FrameID, std::u16string_view Description,
                                      const std::filesystem::path& PictureFileName,
                                      std::u16string_view MIMEType, int32_t CoverType);

  // URL links (W***) and user-defined URL links (WXXX).
  std::u16string GetURL(int32_t FrameIndex) const;
  std::u16string GetURL(std::u16string_view FrameID) const;
  bool SetURL(int32_t FrameIndex, std::u16string_view URL);
  bool SetURL(std::u16string_view FrameID, std::u16string_view URL);
  std::u16string GetUnicodeUserDefinedURLLink(int32_t FrameIndex, std::u16string& Description) const;
  std::u16string GetUnicodeUserDefinedURLLink(std::u16string_view FrameID,
                                              std::u16string& Description) const;
  bool SetUserDefinedURLLink(int32_t FrameIndex, std::u16string_view URL, std::u16string_view Description);
  bool SetUserDefinedURLLink(std::u16string_view FrameID, std::u16string_view URL,
                             std::u16string_view Description);
  bool SetUTF8UserDefinedURLLink(int32_t FrameIndex, std::u16string_view URL,
                                 std::u16string_view Description);
  bool SetUTF8UserDefinedURLLink(std::u16string_view FrameID, std::u16string_view URL,
                                 std::u16string_view Description);
  bool SetUnicodeUserDefinedURLLink(int32_t FrameIndex, std::u16string_view URL,
                                    std::u16string_view Description);
  bool SetUnicodeUserDefinedURLLink(std::u16string_view FrameID, std::u16string_view URL,
                                    std::u16string_view Description);
  int32_t FindUnicodeUserDefinedURLLinkByDescription(std::u16string_view Description,
                                                     std::u16string& URL) const;
  bool SetUnicodeUserDefinedURLLinkByDescription(std::u16string_view Description, std::u16string_view URL);

  // User-defined text (TXXX and frames of the same layout).
  std::u16string GetUnicodeUserDefinedTextInformation(int32_t FrameIndex, std::u16string& Description) const;
  bool GetUnicodeUserDefinedTextInformationMultiple(int32_t FrameIndex, std::u16string& Description,
                                                    TStringList& List) const;
  bool GetUnicodeUserDefinedTextInformationMultiple(std::u16string_view FrameID,
                                                    std::u16string& Description, TStringList& List) const;
  bool SetUserDefinedTextInformation(int32_t FrameIndex, std::u16string_view Description,
                                     std::u16string_view Text);
  bool SetUserDefinedTextInformation(std::u16string_view FrameID, std::u16string_view Description,
                                     std::u16string_view Text);
  bool SetUTF8UserDefinedTextInformation(int32_t FrameIndex, std::u16string_view Description,
                                         std::u16string_view Text);
  bool SetUTF8UserDefinedTextInformation(std::u16string_view FrameID, std::u16string_view Description,
                                         std::u16string_view Text);
  bool SetUnicodeUserDefinedTextInformation(int32_t FrameIndex, std::u16string_view Description,
                                            std::u16string_view Text);
  bool SetUnicodeUserDefinedTextInformation(std::u16string_view FrameID, std::u16string_view Description,
                                            std::u16string_view Text);
  bool SetUnicodeUserDefinedTextInformationMultiple(int32_t FrameIndex, std::u16string_view Description,
                                                    const TStringList& List);
  bool SetUnicodeUserDefinedTextInformationMultiple(std::u16string_view FrameID,
                                                    std::u16string_view Description, const TStringList& List);
  bool SetUnicodeTXXX(int32_t Index, std::u16string_view Description, std::u16string_view Text);
  int32_t FindCustomFrame(std::u16string_view FrameID, std::u16string_view Description) const;
  int32_t FindTXXXByDescription(std::u16string_view Description, std::u16string& Text) const;
  int32_t FindTXXXByDescriptionMultiple(std::u16string_view Description, TStringList& List) const;
  bool SetUnicodeTXXXByDescription(std::u16string_view Description, std::u16string_view Text);
  bool SetUnicodeTXXXByDescriptionMultiple(std::u16string_view Description, const TStringList& List);

  // Unique file identifiers (UFID).
  std::u16string GetUFID(int32_t FrameIndex, std::u16string& OwnerIdentifier) const;
  std::u16string GetUFID(std::u16string_view FrameID, std::u16string& OwnerIdentifier) const;
  bool SetUFID(int32_t FrameIndex, std::u16string_view OwnerIdentifier, std::u16string_view Identifier);
  bool SetUFID(std::u16string_view FrameID, std::u16string_view OwnerIdentifier,
               std::u16string_view Identifier);
  int32_t FindUFIDByOwnerIdentifier(std::u16string_view OwnerIdentifier, std::u16string& Identifier) const;
  bool SetUFIDByOwnerIdentifier(std::u16string_view OwnerIdentifier, std::u16string_view Identifier);

  // Popularimeter (POPM), play counter (PCNT), length (TLEN).
  bool GetPopularimeter(int32_t FrameIndex, std::u16string& Email, uint8_t& Rating,
                        uint32_t& PlayCounter) const;
  bool SetPopularimeter(int32_t FrameIndex, std::u16string_view Email, uint8_t Rating, uint32_t PlayCounter);
  int32_t FindPopularimeter(std::u16string_view Email, uint8_t& Rating, uint32_t& PlayCounter) const;
  bool SetPopularimeterByEmail(std::u16string_view Email, uint8_t Rating, uint32_t PlayCounter);
  uint32_t GetPlayCount(int32_t FrameIndex) const;
  uint32_t GetPlayCount(std::u16string_view FrameID) const;
  bool SetPlayCount(int32_t FrameIndex, uint32_t PlayCount);
  bool SetPlayCount(std::u16string_view FrameID, uint32_t PlayCount);
  bool SetTLEN(int32_t FrameIndex, int32_t TLEN);
  bool SetTLEN(std::u16string_view FrameID, int32_t TLEN);

  // Time frames; a date-time counts days since 1899-12-30, the time as the fraction.
  double GetTime(int32_t FrameIndex) const;
  double GetTime(std::u16string_view FrameID) const;
  bool SetTime(int32_t FrameIndex, double DateTime);
  bool SetTime(std::u16string_view FrameID, double DateTime);

  // List frames (TIPL and frames of the same layout), as name=value lines.
  bool GetUnicodeListFrame(int32_t FrameIndex, TStringList& List) const;
  bool GetUnicodeListFrame(std::u16string_view FrameID, TStringList& List) const;
  bool SetUnicodeListFrame(int32_t Index, const TStringList& List);
  bool SetUnicodeListFrame(std::u16string_view FrameID, const TStringList& List);

  // Private frames whose identifier the caller chooses: bit rate, sample
  // cache, counter, album colours.
  double GetSEBR(int32_t FrameIndex) const;
  double GetSEBR(std::u16string_view FrameID) const;
  std::u16string GetSEBRString(int32_t FrameIndex) const;
  bool SetSEBR(int32_t FrameIndex, std::u16string_view BitRate);
  bool SetSEBR(std::u16string_view FrameID, std::u16string_view BitRate);
  bool SetSEBR(int32_t FrameIndex, double BitRate);
  bool SetSEBR(std::u16string_view FrameID, double BitRate);
  TID3v2SampleCache GetSampleCache(int32_t FrameIndex, bool ForceDecompression, uint8_t& Version,
                                   int32_t& Channels);
  bool SetSampleCache(int32_t FrameIndex, const TID3v2SampleCache& SESC, int32_t Channels);
  int64_t GetSEFC(int32_t FrameIndex) const;
  bool SetSEFC(int32_t FrameIndex, int64_t SEFC);
  bool GetAlbumColors(int32_t FrameIndex, uint32_t& TitleColor, uint32_t& TextColor) const;
  bool GetAlbumColors(std::u16string_view FrameID, uint32_t& TitleColor, uint32_t& TextColor) const;
  bool SetAlbumColors(int32_t FrameIndex, uint32_t TitleColor, uint32_t TextColor);
  bool SetAlbumColors(std::u16string_view FrameID, uint32_t TitleColor, uint32_t TextColor);

 private:
  bool ValidIndex(int32_t FrameIndex) const { return FrameIndex >= 0 && FrameIndex < FrameCount; }
  // The body of the frame at that index, or nullptr for an invalid index or an empty body.
  const TMemoryStream* ReadableBody(int32_t FrameIndex) const;
  // Replaces the body of the frame at that index; false for an invalid index.
  bool SetBody(int32_t FrameIndex, std::vector<uint8_t> body);
  // The first frame with that identifier, or a new one appended; -1 on failure.
  int32_t FrameIndexForWriting(std::u16string_view FrameID);
  // True for a frame that saving writes: valid identifier and a non-empty body.
  bool FrameIsWritten(const TID3v2Frame& frame) const;

  bool SetUnsynchronisationOnAllFrames(bool unsynchronised);
  void DecodeTagFlags();
  void DecodeTagSize();
  void ReadExtendedHeader(TStream& stream);
  bool ReadFrame(TStream& stream);
  void ReadFrameData(TStream& stream, TID3v2Frame& frame);
  void ConvertV22FrameID(int32_t FrameIndex);
  bool ConvertPICToAPIC(int32_t FrameIndex);

  void EncodeTagFlags();
  void EncodeTagSize();
  bool WriteTagHeader(TStream& stream);
  bool WriteFrames(TStream& stream);
  int32_t SaveToOpenFile(TFileStream& file, const std::filesystem::path& FileName,
                         bool exclusive);
  int32_t SaveToMpegFile(TFileStream& file, const std::filesystem::path& FileName,
                         bool exclusive);
  int32_t RewriteFile(TFileStream& file, const std::filesystem::path& FileName, int64_t oldSize);

  std::array<uint8_t, 4> CodedSize{};
};

// Sync-safe integers: `count` bytes, most significant first, 7 bits each.
uint32_t SyncSafeToInt(const uint8_t* bytes, int count);
void IntToSyncSafe(uint32_t value, uint8_t* bytes, int count);

TFrameID StringToFrameID(std::u16string_view text);
TLanguageID StringToLanguageID(std::u16string_view text);
bool ValidFrameID(const TFrameID& FrameID);
bool ValidFrameID22(const TFrameID& FrameID);
bool SameFrameID(const TFrameID& a, const TFrameID& b);

// Copy `count` bytes from `source` to `destination` removing or applying
// unsynchronisation; false when a read or write fails.
bool RemoveUnsynchronisationFromStream(TStream& source, TStream& destination, int64_t count);
bool ApplyUnsynchronisationToStream(TStream& source, TStream& destination, int64_t count);

// Container chunk searches; the stream stands just after the 4-byte signature.
// Each returns the size of the tag chunk with the stream at its first data
// byte, or 0 when there is none.
uint32_t FindRIFFID3Chunk(TStream& stream);
uint32_t FindAIFFID3Chunk(TStream& stream);
uint32_t FindRF64ID3Chunk(TStream& stream);

std::u16string TagErrorCodeToText(int32_t code);

// yyyy-MM-ddTHH:mm:ss of a date-time, and back (0 for a text that gives no valid date and time).
std::u16string DateTimeToTimeText(double DateTime);
double TimeTextToDateTime(std::u16string_view TimeText);

}  // namespace qm::tags
