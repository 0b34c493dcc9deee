// Reading and building frame bodies: a bounded cursor over a body and the
// text encodings of ID3v2 (0 8-bit, 1 UTF-16 with byte-order mark, 2 UTF-16
// big-endian, 3 UTF-8).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm::tags {

enum TTextEncoding : uint8_t { kLatin = 0, kUtf16 = 1, kUtf16BE = 2, kUtf8 = 3 };

// How the bytes of encoding 0 become characters.
enum class TEightBit { Latin1, Windows1252, UsAscii };

std::u16string DecodeEightBit(std::string_view bytes, TEightBit kind);
// One character per byte, with the byte's code.
std::u16string DecodeLatin1(std::string_view bytes);
// The low 8 bits of each UTF-16 unit.
std::string LowBytes(std::u16string_view text);

// Upper-cases the letters a to z only.
std::u16string UpperAsciiLetters(std::u16string_view text);
// Cuts a text into lines at CR LF, CR or LF; a break at the very end starts no further line.
std::vector<std::u16string> SplitLines(std::u16string_view text);

// Bodies of a description and a value: encoding 0 with the low 8 bits of
// each character and no final terminator, or encoding 3 (UTF-8) with one.
std::vector<uint8_t> DescribedLowBytesBody(std::u16string_view description, std::u16string_view value);
std::vector<uint8_t> DescribedUtf8Body(std::u16string_view description, std::u16string_view value);

// A cursor over a body; reads never pass its end.
class TBodyReader {
 public:
  explicit TBodyReader(std::span<const uint8_t> body) : body_(body) {}

  bool AtEnd() const { return pos_ >= body_.size(); }
  size_t Remaining() const { return body_.size() - pos_; }
  void Seek(size_t pos) { pos_ = pos < body_.size() ? pos : body_.size(); }
  void Skip(size_t count) { Seek(pos_ + count); }
  // The next byte, or -1 at the end.
  int Byte();
  // Up to `count` bytes (fewer at the end).
  std::string_view Bytes(size_t count);
  std::string_view Rest() { return Bytes(Remaining()); }
  // Bytes up to a zero byte or the end; the zero byte is passed over.
  std::string_view ToZeroByte();
  // 16-bit units up to a zero unit or the end; the zero unit is passed over.
  // A lone last byte is passed over too.
  std::u16string ToZeroUnit(bool big_endian);
  // Passes over bytes until the pair FF FE has been read; false when there is none.
  bool SkipPastByteOrderMark();
  // A string terminated as its encoding requires; in encoding 1 the first unit
  // (the byte-order mark) is dropped. Unknown encodings give an empty string.
  std::u16string TerminatedText(uint8_t encoding, TEightBit eight_bit);
  // The rest of the body as text in a byte encoding (0, 3) or a unit encoding
  // (1, 2: no byte-order mark handling): a terminator that is not the last
  // one becomes CR LF, a last terminator is dropped. Unknown encodings give
  // an empty string.
  std::u16string TextToEnd(uint8_t encoding, TEightBit eight_bit);

 private:
  std::span<const uint8_t> body_;
  size_t pos_ = 0;
};

// Appends to a body being built.
class TBodyWriter {
 public:
  TBodyWriter& Byte(uint8_t b);
  TBodyWriter& Bytes(std::string_view bytes);
  TBodyWriter& Bytes(std::span<const uint8_t> bytes);
  TBodyWriter& Zeros(size_t count);
  // FF FE then the units little-endian.
  TBodyWriter& Utf16WithBom(std::u16string_view text);
  TBodyWriter& Utf16(std::u16string_view text);
  std::vector<uint8_t>& Result() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};

}  // namespace qm::tags
