// ID3v1 (1.0 and 1.1) tags in the last 128 bytes of a file, and the Lyrics3 v2
// block that may stand just before them. Nothing here throws to the caller.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "tags/TagStream.h"

namespace qm::tags {

// Result codes of the ID3v1 and Lyrics3 operations.
namespace ID3v1Result {
constexpr int32_t Success = 0;
constexpr int32_t FileNotFound = 3;  // load: no such file; save: neither opened nor created
constexpr int32_t ReadError = 4;
constexpr int32_t WriteError = 5;
constexpr int32_t NoTag = 0xFFFF;  // no tag or block found, or an unexpected error
}  // namespace ID3v1Result

// One field of a Lyrics3 v2 block.
class TID3LyricsFrame {
 public:
  virtual ~TID3LyricsFrame() = default;
  std::u16string ID;    // 3-character field identifier
  std::u16string Data;  // field content
};

class TID3v1Tag {
 public:
  TID3v1Tag();
  virtual ~TID3v1Tag() = default;
  TID3v1Tag(const TID3v1Tag&) = delete;
  TID3v1Tag& operator=(const TID3v1Tag&) = delete;

  std::u16string FileName;
  bool Loaded = false;
  bool Revision1 = false;  // the loaded tag carries a track number (1.1)
  std::u16string Title;
  std::u16string Artist;
  std::u16string Album;
  std::u16string Year;
  std::u16string Comment;
  uint8_t Track = 0;
  std::u16string Genre;  // a name of the genre table
  std::vector<std::unique_ptr<TID3LyricsFrame>> LyricsFrames;
  bool LyricsHasTimeStamp = false;
  bool InhibitTracksForRandomSelection = false;

  // Empties the texts, Loaded, Revision1 and the lyrics fields; Track and the
  // two indicator flags stay.
  void Clear();

  int32_t LoadFromFile(const std::filesystem::path& FileName);
  // Reads the 128 bytes at the stream's position.
  int32_t LoadFromStream(TStream& TagStream);
  int32_t SaveToFile(const std::filesystem::path& FileName, bool WriteLyricsTag);
  // Writes the tag over a tag that starts at the stream's position, or at the stream's end.
  int32_t SaveToStream(TStream& TagStream);

  // Lyrics3 v2.
  int32_t LoadLyricsTag(TStream& TagStream);
  int32_t LyricsTagSaveToStream(TStream& TagStream);
  TID3LyricsFrame* AddLyricsFrame(std::u16string_view ID);
  TID3LyricsFrame* FindLyricsFrame(std::u16string_view ID) const;
  bool DeleteLyricsFrame(int32_t Index);
  std::u16string GetLyrics() const;
  void SetLyrics(std::u16string_view Text);

 private:
  enum class TLyricsRead { Found, NotFound, Malformed };
  TLyricsRead ReadLyricsTag(TStream& stream);
  void ApplyLyricsFrame(const TID3LyricsFrame& frame);
  // The bytes of the block that LyricsTagSaveToStream writes; empty when a
  // content does not fit its size field.
  std::string LyricsBlock() const;
};

std::u16string GenreIndexToName(uint8_t index);
uint8_t GenreNameToIndex(std::u16string_view name);

// A fixed-width text field: up to its first zero byte, Windows-1252.
std::u16string ReadTagText(std::string_view field);
// Fills `field` (already zero-filled) with the text in US-ASCII, cut to its width.
void WriteTagText(std::u16string_view text, char* field, size_t width);

// Removes a Lyrics3 v2 block and the ID3v1 tag after it from the end of a file.
int32_t RemoveTagsFromFile(const std::filesystem::path& FileName);

}  // namespace qm::tags
