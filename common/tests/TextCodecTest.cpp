#include "common/TextCodec.h"

#include <gtest/gtest.h>

namespace qm::text {
namespace {

TEST(Windows1252, DecodesEveryByteAndRoundTrips) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::u16string decoded = DecodeWindows1252(all);
  ASSERT_EQ(decoded.size(), 256u);
  EXPECT_EQ(decoded[0x80], u'\u20AC');
  EXPECT_EQ(decoded[0x9C], u'\u0153');
  EXPECT_EQ(decoded[0x81], u'\u0081');
  EXPECT_EQ(decoded[0xE9], u'\u00E9');
  EXPECT_EQ(EncodeWindows1252(decoded), all);
}

TEST(Substitution, AccentedLettersFallBackToBaseLetterElseQuestionMark) {
  struct Case {
    std::u16string in;
    std::string ascii;
    std::string cp1252;
  };
  const Case cases[] = {
      {u"Été 85", "Ete 85", "\xC9t\xE9 85"},
      {u"\u0100\u0161", "As", "A\x9A"},
      {u"\u4E2D", "?", "?"},
      {u"a\U0001F600b", "a?b", "a?b"},  // a surrogate pair is one character
      {u"\u20AC", "?", "\x80"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeUsAscii(c.in), c.ascii);
    EXPECT_EQ(EncodeWindows1252(c.in), c.cp1252);
  }
  EXPECT_EQ(DecodeUsAscii("a\xE9z"), u"a?z");
}

TEST(Utf8, RoundTripsAndReplacesIllFormedBytes) {
  const std::u16string text = u"Été \u4E2D \U0001F600";
  EXPECT_EQ(DecodeUtf8(EncodeUtf8(text)), text);
  EXPECT_EQ(EncodeUtf8(u"\u00E9"), "\xC3\xA9");
  EXPECT_EQ(DecodeUtf8("\xE9"), u"\uFFFD");                 // lone Latin-1 byte
  EXPECT_EQ(DecodeUtf8("a\xE2\x82"), u"a\uFFFD");           // truncated sequence
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
  EXPECT_EQ(DecodeUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");       // overlong form
  EXPECT_EQ(EncodeUtf8(std::u16string(1, char16_t{0xD800})), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace qm::text
