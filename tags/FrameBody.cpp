#include "tags/FrameBody.h"

#include "common/TextCodec.h"

namespace qm::tags {

std::u16string DecodeLatin1(std::string_view bytes) {
  std::u16string out(bytes.size(), u'\0');
  for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<uint8_t>(bytes[i]);
  return out;
}

std::u16string DecodeEightBit(std::string_view bytes, TEightBit kind) {
  switch (kind) {
    case TEightBit::Latin1: return DecodeLatin1(bytes);
    case TEightBit::Windows1252: return qm::text::DecodeWindows1252(bytes);
    case TEightBit::UsAscii: return qm::text::DecodeUsAscii(bytes);
  }
  return {};
}

std::string LowBytes(std::u16string_view text) {
  std::string out(text.size(), '\0');
  for (size_t i = 0; i < text.size(); ++i) out[i] = static_cast<char>(text[i] & 0xFF);
  return out;
}

std::u16string UpperAsciiLetters(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
  }
  return out;
}

std::vector<std::u16string> SplitLines(std::u16string_view text) {
  std::vector<std::u16string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != u'\r' && text[i] != u'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<uint8_t> DescribedLowBytesBody(std::u16string_view description, std::u16string_view value) {
  return std::move(TBodyWriter().Byte(kLatin).Bytes(LowBytes(description)).Byte(0).Bytes(LowBytes(value)).Result());
}

std::vector<uint8_t> DescribedUtf8Body(std::u16string_view description, std::u16string_view value) {
  return std::move(TBodyWriter()
                       .Byte(kUtf8)
                       .Bytes(qm::text::EncodeUtf8(description))
                       .Byte(0)
                       .Bytes(qm::text::EncodeUtf8(value))
                       .Byte(0)
                       .Result());
}

int TBodyReader::Byte() { return AtEnd() ? -1 : body_[pos_++]; }

std::string_view TBodyReader::Bytes(size_t count) {
  const size_t n = count < Remaining() ? count : Remaining();
  std::string_view out(reinterpret_cast<const char*>(body_.data()) + pos_, n);
  pos_ += n;
  return out;
}

std::string_view TBodyReader::ToZeroByte() {
  const size_t start = pos_;
  while (pos_ < body_.size() && body_[pos_] != 0) ++pos_;
  std::string_view out(reinterpret_cast<const char*>(body_.data()) + start, pos_ - start);
  if (pos_ < body_.size()) ++pos_;
  return out;
}

std::u16string TBodyReader::ToZeroUnit(bool big_endian) {
  std::u16string out;
  while (Remaining() >= 2) {
    const uint8_t a = body_[pos_], b = body_[pos_ + 1];
    pos_ += 2;
    const char16_t unit = big_endian ? static_cast<char16_t>(a << 8 | b)
                                     : static_cast<char16_t>(b << 8 | a);
    if (unit == 0) return out;
    out.push_back(unit);
  }
  pos_ = body_.size();
  return out;
}

bool TBodyReader::SkipPastByteOrderMark() {
  int previous = -1;
  while (!AtEnd()) {
    const int b = Byte();
    if (previous == 0xFF && b == 0xFE) return true;
    previous = b;
  }
  return false;
}

std::u16string TBodyReader::TerminatedText(uint8_t encoding, TEightBit eight_bit) {
  switch (encoding) {
    case kLatin: return DecodeEightBit(ToZeroByte(), eight_bit);
    case kUtf16: {
      std::u16string text = ToZeroUnit(false);
      if (!text.empty()) text.erase(0, 1);
      return text;
    }
    case kUtf16BE: return ToZeroUnit(true);
    case kUtf8: return qm::text::DecodeUtf8(ToZeroByte());
    default: return {};
  }
}

std::u16string TBodyReader::TextToEnd(uint8_t encoding, TEightBit eight_bit) {
  if (encoding == kLatin || encoding == kUtf8) {
    const std::string_view rest = Rest();
    std::string bytes;
    for (char c : rest) {
      if (c == 0) bytes += "\r\n";
      else bytes.push_back(c);
    }
    if (!rest.empty() && rest.back() == 0) bytes.resize(bytes.size() - 2);
    return encoding == kUtf8 ? qm::text::DecodeUtf8(bytes) : DecodeEightBit(bytes, eight_bit);
  }
  if (encoding != kUtf16 && encoding != kUtf16BE) return {};
  std::u16string text;
  bool last_was_terminator = false;
  while (Remaining() >= 2) {
    const uint8_t a = body_[pos_], b = body_[pos_ + 1];
    pos_ += 2;
    const auto unit = static_cast<char16_t>(encoding == kUtf16BE ? (a << 8 | b) : (b << 8 | a));
    last_was_terminator = unit == 0;
    if (unit == 0) text += u"\r\n";
    else text.push_back(unit);
  }
  pos_ = body_.size();
  if (last_was_terminator) text.resize(text.size() - 2);
  return text;
}

TBodyWriter& TBodyWriter::Byte(uint8_t b) {
  bytes_.push_back(b);
  return *this;
}

TBodyWriter& TBodyWriter::Bytes(std::string_view bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

TBodyWriter& TBodyWriter::Bytes(std::span<const uint8_t> bytes) {
  bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
  return *this;
}

TBodyWriter& TBodyWriter::Zeros(size_t count) {
  bytes_.insert(bytes_.end(), count, 0);
  return *this;
}

TBodyWriter& TBodyWriter::Utf16WithBom(std::u16string_view text) {
  return Byte(0xFF).Byte(0xFE).Utf16(text);
}

TBodyWriter& TBodyWriter::Utf16(std::u16string_view text) {
  for (char16_t unit : text) Byte(static_cast<uint8_t>(unit & 0xFF)).Byte(static_cast<uint8_t>(unit >> 8));
  return *this;
}

}  // namespace qm::tags
