// Frame accessors: the bodies the setters write, byte for byte, and what the
// getters make of bodies written here and elsewhere, odd ones included.
#include <gtest/gtest.h>

#include "tags/tests/TagTestUtil.h"

namespace qm::tags::test {
namespace {

Bytes U16(std::u16string_view text) {
  Bytes out;
  for (char16_t c : text) out.push_back(static_cast<uint8_t>(c & 0xFF)), out.push_back(static_cast<uint8_t>(c >> 8));
  return out;
}

const TLanguageID kEng = {'e', 'n', 'g'};

// A tag with one frame holding `body`.
struct OneFrame {
  TID3v2Tag tag;
  explicit OneFrame(const Bytes& body, const std::string& id = "TXXX") { AddFrameWithBody(tag, id, body); }
};

TEST(ID3v2TextFrames, SettersWriteTheseBodies) {
  struct Case { std::string name; std::function<bool(TID3v2Tag&)> set; Bytes body; };
  const std::vector<Case> cases = {
      {"unicode A", [](TID3v2Tag& t) { return t.SetUnicodeText(0, u"A"); }, B({1, 0xFF, 0xFE, 0x41, 0, 0, 0})},
      {"unicode empty", [](TID3v2Tag& t) { return t.SetUnicodeText(0, u""); }, B({1, 0xFF, 0xFE, 0, 0})},
      {"8-bit", [](TID3v2Tag& t) { return t.SetText(0, u"caf\u00E9"); }, Cat({B({0}), B("cafe"), B({0})})},
      {"raw", [](TID3v2Tag& t) { return t.SetRawText(0, u"\u65E5x"); }, Cat({B({0}), B("?x"), B({0})})},
      {"utf-8", [](TID3v2Tag& t) { return t.SetUTF8Text(0, u"\u00E9"); }, B({3, 0xC3, 0xA9, 0})},
      {"several", [](TID3v2Tag& t) { return t.SetUnicodeTextMultiple(0, {u"a", u"b"}); },
       B({1, 0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0, 0, 0})},
  };
  for (const Case& c : cases) {
    OneFrame f(B("old"), "TIT2");
    ASSERT_TRUE(c.set(f.tag)) << c.name;
    EXPECT_EQ(Body(*f.tag.Frames[0]), c.body) << c.name;
  }
  TID3v2Tag empty;
  EXPECT_FALSE(empty.SetUnicodeText(0, u"x"));
  EXPECT_FALSE(empty.SetUnicodeText(-1, u"x"));
}

TEST(ID3v2TextFrames, GettersReadEveryEncoding) {
  struct Case { std::string name; Bytes body; std::u16string text; bool native = false; };
  const Case cases[] = {
      {"utf-16", B({1, 0xFF, 0xFE, 0x41, 0, 0, 0}), u"A"},
      {"utf-16 empty", B({1, 0xFF, 0xFE, 0, 0}), u""},
      {"8-bit values", B({0, 'a', 0, 'b', 0}), u"a\r\nb"},
      {"windows-1252", B({0, 0x80, 0xE9}), u"\u20AC\u00E9"},
      {"big-endian mark", B({1, 0xFE, 0xFF, 0, 'A', 0, 0}), u""},
      {"no mark", B({1, 'A', 0}), u""},
      {"no encoding byte", B({'T', 'i', 't'}), u"Tit"},
      {"utf-16 values", Cat({B({1, 0xFF, 0xFE}), U16(u"x"), B({0, 0}), U16(u"y\uFEFFz"), B({0, 0})}), u"x\r\ny\uFEFFz"},
      {"odd utf-16 length", B({1, 0xFF, 0xFE, 'A', 0, 'B'}), u"A"},
      {"unterminated utf-16", B({1, 0xFF, 0xFE, 'A', 0}), u"A"},
      {"utf-16 big-endian", B({2, 0, 'A', 0x00, 0xE9, 0, 0}), u"A\u00E9"},
      {"utf-8", B({3, 0xC3, 0xA9, 0}), u"\u00E9"},
      {"utf-8 native", B({3, 0xC3, 0xA9, 0}), u"??", true},
      {"utf-8 invalid", B({3, 0xC3}), u"\uFFFD"},
  };
  for (const Case& c : cases) {
    OneFrame f(c.body, "TIT2");
    EXPECT_EQ(f.tag.GetUnicodeText(0, c.native), c.text) << c.name;
    EXPECT_EQ(f.tag.GetUnicodeText(u"TIT2", c.native), c.text) << c.name;
  }
  OneFrame values(B({0, 'a', 0, 'b', 0}), "TIT2");
  TStringList list = {u"stale"};
  EXPECT_TRUE(values.tag.GetUnicodeTextMultiple(0, list));
  EXPECT_EQ(list, (TStringList{u"a", u"b"}));
  EXPECT_FALSE(values.tag.GetUnicodeTextMultiple(u"TPE1", list));
  EXPECT_TRUE(list.empty());
  OneFrame empty(Bytes{}, "TIT2");
  EXPECT_EQ(empty.tag.GetUnicodeText(0), u"");
  EXPECT_EQ(empty.tag.GetUnicodeText(5), u"");
}

TEST(ID3v2TextFrames, IdentifierFormsReuseTheFirstFrame) {
  TID3v2Tag tag;
  EXPECT_TRUE(tag.SetUnicodeText(u"TIT2", u"one"));
  EXPECT_TRUE(tag.SetUnicodeText(u"TIT2", u"two"));
  EXPECT_EQ(tag.FrameCount, 1);
  EXPECT_EQ(tag.GetUnicodeText(u"TIT2"), u"two");
  EXPECT_EQ(tag.GetUnicodeText(u"TPE1"), u"");
  EXPECT_EQ(tag.FrameCount, 1);  // getters add nothing
  tag.SetUnicodeTextMultiple(u"TCOM", {u"x", u"y"});
  TStringList list;
  EXPECT_TRUE(tag.GetUnicodeTextMultiple(u"TCOM", list));
  EXPECT_EQ(list, (TStringList{u"x", u"y"}));
}

TEST(ID3v2ContentFrames, BodiesAndRoundTrips) {
  TID3v2Tag tag;
  const int32_t comm = tag.AddFrame(u"COMM");
  ASSERT_TRUE(tag.SetUnicodeComment(comm, u"hi", kEng, u""));
  EXPECT_EQ(Body(*tag.Frames[comm]), Cat({B({1}), B("eng"), B({0xFF, 0xFE, 0, 0, 0xFF, 0xFE}), U16(u"hi"), B({0, 0})}));
  TLanguageID language{};
  std::u16string description = u"stale";
  EXPECT_EQ(tag.GetUnicodeComment(comm, language, description), u"hi");
  EXPECT_EQ(language, kEng);
  EXPECT_EQ(description, u"");

  ASSERT_TRUE(tag.SetContent(comm, u"cr\u00E9\u00E9", StringToLanguageID(u"fra"), u"d"));
  EXPECT_EQ(Body(*tag.Frames[comm]), Cat({B({0}), B("fra"), B("d"), B({0}), B("cree"), B({0})}));
  ASSERT_TRUE(tag.SetUTF8Content(comm, u"\u00E9", kEng, u"\u00E8"));
  EXPECT_EQ(Body(*tag.Frames[comm]), Cat({B({3}), B("eng"), B({0xC3, 0xA8, 0, 0xC3, 0xA9, 0})}));
  EXPECT_EQ(tag.GetUnicodeLyrics(comm, language, description), u"\u00E9");
  EXPECT_EQ(description, u"\u00E8");

  ASSERT_TRUE(tag.SetUnicodeLyrics(u"USLT", u"la la", kEng, u"verse"));
  EXPECT_EQ(tag.GetUnicodeContent(u"USLT", language, description), u"la la");
  EXPECT_EQ(description, u"verse");
}

TEST(ID3v2ContentFrames, OddBodies) {
  struct Case { std::string name; Bytes body; std::u16string description, content; TLanguageID language; };
  const Case cases[] = {
      {"8-bit in windows-1252", Cat({B({0}), B("eng"), B({0x80, 0, 0xE9, 0})}), u"\u20AC", u"\u00E9", kEng},
      {"utf-16 without content mark", Cat({B({1}), B("eng"), B({0xFF, 0xFE, 'd', 0, 0, 0, 'x', 0})}), u"d", u"", kEng},
      {"big-endian", Cat({B({2}), B("eng"), B({0, 'd', 0, 0, 0, 'c'})}), u"d", u"c", kEng},
      {"encoding 4", Cat({B({4}), B("eng"), B("abc")}), u"", u"", kEng},
      {"ends in the language", B({0, 'e'}), u"", u"", {'e', 0, 0}},
      {"unterminated", Cat({B({0}), B("eng"), B("desc")}), u"desc", u"", kEng},
  };
  for (const Case& c : cases) {
    OneFrame f(c.body, "COMM");
    TLanguageID language{'x', 'x', 'x'};
    std::u16string description;
    EXPECT_EQ(f.tag.GetUnicodeComment(0, language, description), c.content) << c.name;
    EXPECT_EQ(description, c.description) << c.name;
    EXPECT_EQ(language, c.language) << c.name;
  }
}

TEST(ID3v2ContentFrames, FindAndSetByDescription) {
  TID3v2Tag tag;
  tag.SetUnicodeComment(tag.AddFrame(u"COMM"), u"first", kEng, u"ABC");
  tag.SetUnicodeComment(tag.AddFrame(u"COMM"), u"accent", StringToLanguageID(u"fra"), u"\u00C9t\u00E9");
  TLanguageID language{};
  std::u16string comment;
  EXPECT_EQ(tag.FindUnicodeCommentByDescription(u"abc", language, comment), 0);
  EXPECT_EQ(comment, u"first");
  EXPECT_EQ(tag.FindUnicodeCommentByDescription(u"\u00C9T\u00E9", language, comment), 1);
  EXPECT_EQ(language, StringToLanguageID(u"fra"));
  EXPECT_EQ(tag.FindUnicodeCommentByDescription(u"\u00E9t\u00E9", language, comment), -1);
  EXPECT_EQ(comment, u"");
  EXPECT_EQ(language, TLanguageID{});
  EXPECT_TRUE(tag.SetUnicodeCommentByDescription(u"abc", kEng, u"changed"));
  EXPECT_TRUE(tag.SetUnicodeCommentByDescription(u"new", kEng, u"added"));
  EXPECT_EQ(tag.FrameCount, 3);
  EXPECT_EQ(tag.FindUnicodeCommentByDescription(u"ABC", language, comment), 0);
  EXPECT_EQ(comment, u"changed");
}

TEST(ID3v2Pictures, StreamRoundTripAndFile) {
  TID3v2Tag tag;
  const int32_t apic = tag.AddFrame(u"APIC");
  Bytes picture(1000);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = static_cast<uint8_t>(i);
  TMemoryStream source(picture);
  ASSERT_TRUE(tag.SetUnicodeCoverPictureFromStream(apic, u"Cover", source, u"image/jpeg", 3));
  EXPECT_EQ(tag.Frames[apic]->Stream.Size(), 1027);
  const Bytes body = Body(*tag.Frames[apic]);
  EXPECT_EQ(Bytes(body.begin(), body.begin() + 27),
            Cat({B({1}), B("image/jpeg"), B({0, 3, 0xFF, 0xFE}), U16(u"Cover"), B({0, 0})}));
  TMemoryStream out(Bytes(2000, 0xAA));  // neither created nor truncated by the getter
  std::u16string mime, description;
  int32_t type = -1;
  ASSERT_TRUE(tag.GetUnicodeCoverPictureStream(apic, out, mime, description, type));
  EXPECT_EQ(mime, u"image/jpeg");
  EXPECT_EQ(description, u"Cover");
  EXPECT_EQ(type, 3);
  EXPECT_EQ(out.Position(), 0);
  EXPECT_EQ(Bytes(out.Bytes().begin(), out.Bytes().begin() + 1000), picture);
  EXPECT_EQ(out.Size(), 2000);
  ASSERT_TRUE(tag.GetUnicodeCoverPictureInfo(u"APIC", mime, description, type));
  EXPECT_EQ(description, u"Cover");

  const Bytes before = Body(*tag.Frames[apic]);
  EXPECT_FALSE(tag.SetUnicodeCoverPictureFromFile(apic, u"x", "/nonexistent/cover.jpg", u"image/jpeg", 3));
  EXPECT_EQ(Body(*tag.Frames[apic]), before);
  EXPECT_FALSE(tag.GetUnicodeCoverPictureInfo(u"PIC2", mime, description, type));
  EXPECT_EQ(mime, u"");
  EXPECT_EQ(type, 0);
}

TEST(ID3v2Pictures, DescriptionEncodingsAndShortBodies) {
  struct Case { Bytes body; std::u16string mime, description; int32_t type; size_t picture; };
  const Case cases[] = {
      {Cat({B({0}), B("image/png"), B({0, 4, 0xE9, 0}), B("PNG")}), u"image/png", u"\u00E9", 4, 3},
      {Cat({B({2}), B("i"), B({0, 5, 0, 'd', 0, 0}), B("P")}), u"i", u"d", 5, 1},
      {Cat({B({3}), B("i"), B({0, 6, 0xC3, 0xA9, 0}), B("P")}), u"i", u"\u00E9", 6, 1},
      {Cat({B({1}), B("image/jp")}), u"image/jp", u"", 0, 0},
  };
  for (const Case& c : cases) {
    OneFrame f(c.body, "APIC");
    TMemoryStream out;
    std::u16string mime, description;
    int32_t type = -1;
    ASSERT_TRUE(f.tag.GetUnicodeCoverPictureStream(0, out, mime, description, type));
    EXPECT_EQ(mime, c.mime);
    EXPECT_EQ(description, c.description);
    EXPECT_EQ(type, c.type);
    EXPECT_EQ(out.Size(), static_cast<int64_t>(c.picture));
  }
}

TEST(ID3v2Links, UrlAndUserUrl) {
  TID3v2Tag tag;
  ASSERT_TRUE(tag.SetURL(u"WOAR", u"http://a/\u00E9"));
  EXPECT_EQ(Body(*tag.Frames[0]), Cat({B("http://a/"), B({0xE9})}));
  EXPECT_EQ(tag.GetURL(u"WOAR"), u"http://a/\u00E9");
  OneFrame zeros(B({'a', 0, 'b'}), "WCOM");
  EXPECT_EQ(zeros.tag.GetURL(0), std::u16string(u"a\0b", 3));

  struct Case { std::string name; std::function<bool(TID3v2Tag&)> set; Bytes body; std::u16string description, url; };
  const std::vector<Case> cases = {
      {"8-bit", [](TID3v2Tag& t) { return t.SetUserDefinedURLLink(0, u"u", u"d"); }, B({0, 'd', 0, 'u'}), u"d", u"u"},
      {"utf-16", [](TID3v2Tag& t) { return t.SetUnicodeUserDefinedURLLink(0, u"u", u"\u00E9"); },
       B({1, 0xFF, 0xFE, 0xE9, 0, 0, 0, 'u'}), u"\u00E9", u"u"},
      {"utf-8", [](TID3v2Tag& t) { return t.SetUTF8UserDefinedURLLink(0, u"u", u"\u00E9"); },
       B({3, 0xC3, 0xA9, 0, 'u', 0}), u"\u00E9", u"u"},
  };
  for (const Case& c : cases) {
    OneFrame f(Bytes{}, "WXXX");
    ASSERT_TRUE(c.set(f.tag)) << c.name;
    EXPECT_EQ(Body(*f.tag.Frames[0]), c.body) << c.name;
    std::u16string description;
    EXPECT_EQ(f.tag.GetUnicodeUserDefinedURLLink(0, description), c.url) << c.name;
    EXPECT_EQ(description, c.description) << c.name;
  }

  TID3v2Tag links;
  links.SetUnicodeUserDefinedURLLinkByDescription(u"Home", u"http://h");
  links.SetUnicodeUserDefinedURLLinkByDescription(u"home", u"http://other");
  links.SetUnicodeUserDefinedURLLinkByDescription(u"Home", u"http://h2");
  EXPECT_EQ(links.FrameCount, 2);  // the comparison is exact
  std::u16string url = u"stale";
  EXPECT_EQ(links.FindUnicodeUserDefinedURLLinkByDescription(u"Home", url), 0);
  EXPECT_EQ(url, u"http://h2");
  EXPECT_EQ(links.FindUnicodeUserDefinedURLLinkByDescription(u"HOME", url), -1);
  EXPECT_EQ(url, u"");
}

TEST(ID3v2UserText, BodiesGettersAndFinders) {
  struct Case { std::string name; std::function<bool(TID3v2Tag&)> set; Bytes body; std::u16string text; };
  const std::vector<Case> cases = {
      {"8-bit", [](TID3v2Tag& t) { return t.SetUserDefinedTextInformation(0, u"d", u"t\u00E9"); }, B({0, 'd', 0, 't', 0xE9}), u"t\u00E9"},
      {"utf-16", [](TID3v2Tag& t) { return t.SetUnicodeUserDefinedTextInformation(0, u"d", u"t"); },
       B({1, 0xFF, 0xFE, 'd', 0, 0, 0, 0xFF, 0xFE, 't', 0, 0, 0}), u"t"},
      {"TXXX", [](TID3v2Tag& t) { return t.SetUnicodeTXXX(0, u"d", u"t"); },
       B({1, 0xFF, 0xFE, 'd', 0, 0, 0, 0xFF, 0xFE, 't', 0, 0, 0}), u"t"},
      {"utf-8", [](TID3v2Tag& t) { return t.SetUTF8UserDefinedTextInformation(0, u"d", u"\u00E9"); }, B({3, 'd', 0, 0xC3, 0xA9, 0}), u"\u00E9"},
      {"several", [](TID3v2Tag& t) { return t.SetUnicodeUserDefinedTextInformationMultiple(0, u"d", {u"a", u"b"}); },
       B({1, 0xFF, 0xFE, 'd', 0, 0, 0, 0xFF, 0xFE, 'a', 0, 0, 0, 'b', 0, 0, 0}), u"a\r\nb"},
  };
  for (const Case& c : cases) {
    OneFrame f(Bytes{});
    ASSERT_TRUE(c.set(f.tag)) << c.name;
    EXPECT_EQ(Body(*f.tag.Frames[0]), c.body) << c.name;
    std::u16string description;
    EXPECT_EQ(f.tag.GetUnicodeUserDefinedTextInformation(0, description), c.text) << c.name;
    EXPECT_EQ(description, u"d") << c.name;
  }
  OneFrame big_endian(B({2, 0, 'd', 0, 0, 0, 'a', 0, 0, 0, 'b'}));
  std::u16string description;
  TStringList list;
  EXPECT_TRUE(big_endian.tag.GetUnicodeUserDefinedTextInformationMultiple(u"TXXX", description, list));
  EXPECT_EQ(list, (TStringList{u"a", u"b"}));

  TID3v2Tag tag;
  tag.SetUnicodeTXXXByDescription(u"Key", u"one");
  tag.SetUnicodeTXXXByDescription(u"KEY", u"two");  // the same frame: letters compare without case
  tag.SetUnicodeTXXXByDescriptionMultiple(u"list", {u"x", u"y"});
  EXPECT_EQ(tag.FrameCount, 2);
  std::u16string text;
  EXPECT_EQ(tag.FindTXXXByDescription(u"key", text), 0);
  EXPECT_EQ(text, u"two");
  EXPECT_EQ(tag.FindTXXXByDescriptionMultiple(u"LIST", list), 1);
  EXPECT_EQ(list, (TStringList{u"x", u"y"}));
  EXPECT_EQ(tag.FindCustomFrame(u"TXXX", u"KEY"), 1 - 1);  // stored as "KEY" by the last writer
  EXPECT_EQ(tag.FindCustomFrame(u"TXXX", u"Key"), -1);
  EXPECT_EQ(tag.FindTXXXByDescription(u"none", text), -1);
  EXPECT_EQ(text, u"");
  // The identifier form writes its description into the first frame of that identifier.
  tag.SetUnicodeUserDefinedTextInformation(u"TXXX", u"other", u"z");
  EXPECT_EQ(tag.FrameCount, 2);
  EXPECT_EQ(tag.FindCustomFrame(u"TXXX", u"other"), 0);
}

TEST(ID3v2IdentifierFrames, UfidPopmPcntTlen) {
  TID3v2Tag tag;
  ASSERT_TRUE(tag.SetUFIDByOwnerIdentifier(u"http://owner", u"id-1"));
  EXPECT_EQ(Body(*tag.Frames[0]), Cat({B("http://owner"), B({0}), B("id-1")}));
  ASSERT_TRUE(tag.SetUFIDByOwnerIdentifier(u"HTTP://OWNER", u"id-2"));
  EXPECT_EQ(tag.FrameCount, 1);
  std::u16string identifier;
  EXPECT_EQ(tag.FindUFIDByOwnerIdentifier(u"http://OWNER", identifier), 0);
  EXPECT_EQ(identifier, u"id-2");
  OneFrame zeros(Cat({B("o"), B({0}), B({'a', 0, 'b'})}), "UFID");
  std::u16string owner;
  EXPECT_EQ(zeros.tag.GetUFID(u"UFID", owner), u"ab");
  EXPECT_EQ(owner, u"o");

  TID3v2Tag popm;
  const int32_t p = popm.AddFrame(u"POPM");
  ASSERT_TRUE(popm.SetPopularimeter(p, u"a", 255, 0));
  EXPECT_EQ(Body(*popm.Frames[p]), B({'a', 0, 0xFF}));
  ASSERT_TRUE(popm.SetPopularimeter(p, u"a", 255, 1));
  EXPECT_EQ(Body(*popm.Frames[p]), B({'a', 0, 0xFF, 0, 0, 0, 1}));
  popm.SetPopularimeterByEmail(u"b@x", 10, 70000);
  uint8_t rating = 0;
  uint32_t counter = 0;
  EXPECT_EQ(popm.FindPopularimeter(u"b@x", rating, counter), 1);
  EXPECT_EQ(rating, 10);
  EXPECT_EQ(counter, 70000u);
  EXPECT_EQ(popm.FindPopularimeter(u"B@X", rating, counter), -1);
  for (const Bytes& body : {B({'a', 0, 5}), B({'a', 0, 5, 1, 2}), B({'a'})}) {  // no counter, or a short one
    OneFrame f(body, "POPM");
    std::u16string email;
    ASSERT_TRUE(f.tag.GetPopularimeter(0, email, rating, counter));
    EXPECT_EQ(email, u"a");
    EXPECT_EQ(counter, 0u);
  }

  struct Count { Bytes body; uint32_t value; };
  for (const Count& c : {Count{B({1, 0, 0, 0, 0}), 0}, Count{B({0, 0, 1, 0}), 256}, Count{B({7}), 7}}) {
    OneFrame f(c.body, "PCNT");
    EXPECT_EQ(f.tag.GetPlayCount(0), c.value);
  }
  TID3v2Tag count;
  EXPECT_EQ(count.GetPlayCount(u"PCNT"), 0u);
  ASSERT_TRUE(count.SetPlayCount(u"PCNT", 0x01020304));
  EXPECT_EQ(Body(*count.Frames[0]), B({1, 2, 3, 4}));
  ASSERT_TRUE(count.SetTLEN(u"TLEN", -1234));
  EXPECT_EQ(Body(*count.Frames[1]), Cat({B({0}), B("-1234")}));
  EXPECT_EQ(count.GetUnicodeText(u"TLEN"), u"-1234");
}

TEST(ID3v2TimeFrames, TextAndDateTimes) {
  // 2011-03-04 05:06:07 is day 40606 since 1899-12-30.
  const double date_time = 40606 + (5 * 3600 + 6 * 60 + 7) / 86400.0;
  EXPECT_EQ(DateTimeToTimeText(date_time), u"2011-03-04T05:06:07");
  EXPECT_EQ(DateTimeToTimeText(0), u"1899-12-30T00:00:00");
  EXPECT_EQ(DateTimeToTimeText(-692132), u"05-01-01T00:00:00");  // year 5
  // The years 1 to 9999 and nothing beyond: year 0 or 10000 gives no text.
  EXPECT_EQ(DateTimeToTimeText(-693593), u"01-01-01T00:00:00");
  EXPECT_EQ(DateTimeToTimeText(2958465.5), u"9999-12-31T12:00:00");
  EXPECT_EQ(DateTimeToTimeText(-693594), u"");
  EXPECT_EQ(DateTimeToTimeText(2958466), u"");
  TID3v2Tag tag;
  ASSERT_TRUE(tag.SetTime(u"TDRC", date_time));
  EXPECT_EQ(Body(*tag.Frames[0]), Cat({B({0}), B("2011-03-04T05:06:07"), B({0})}));
  EXPECT_NEAR(tag.GetTime(u"TDRC"), date_time, 1e-9);

  struct Case { std::string name; Bytes body; double value; };
  const Case cases[] = {
      {"year only", Cat({B({0}), B("2011")}), 40544},
      {"utf-8", Cat({B({3}), B("2011-03-04")}), 40606},
      {"utf-16", Cat({B({1, 0xFF, 0xFE}), U16(u"2011-03-04"), B({0, 0})}), 40606},
      {"big-endian", B({2, 0, '2', 0, '0', 0, '1', 0, '1'}), 40544},
      {"no encoding byte", B("2011-03-04"), 40606},
      {"month 13", Cat({B({0}), B("2011-13-01")}), 0},
      {"hour 25", Cat({B({0}), B("2011-01-01T25:00:00")}), 0},
      {"February 30", Cat({B({0}), B("2011-02-30")}), 0},
      {"not a number", Cat({B({0}), B("abcd-ef")}), 36526},  // year 0 -> 2000
  };
  for (const Case& c : cases) {
    OneFrame f(c.body, "TDRC");
    EXPECT_NEAR(f.tag.GetTime(0), c.value, 1e-9) << c.name;
  }
  EXPECT_EQ(tag.GetTime(u"TDOR"), 0);
}

TEST(ID3v2ListFrames, NameValuePairs) {
  TID3v2Tag tag;
  ASSERT_TRUE(tag.SetUnicodeListFrame(u"TIPL", {u"producer=A", u"mix=B"}));
  EXPECT_EQ(Body(*tag.Frames[0]), Cat({B({1, 0xFF, 0xFE}), U16(u"producer"), B({0, 0}), U16(u"A"), B({0, 0}),
                                       U16(u"mix"), B({0, 0}), U16(u"B"), B({0, 0})}));
  TStringList list;
  ASSERT_TRUE(tag.GetUnicodeListFrame(u"TIPL", list));
  EXPECT_EQ(list, (TStringList{u"producer=A", u"mix=B"}));
  struct Case { Bytes body; TStringList lines; };
  const Case cases[] = {
      {Cat({B({0}), B("a"), B({0}), B("1"), B({0}), B("b")}), {u"a=1", u"b="}},
      {Cat({B({3}), B({0xC3, 0xA9, 0}), B("x")}), {u"\u00E9=x"}},
      {B({2, 0, 'n', 0, 0, 0, 'v', 0}), {u"n=v"}},
      {B({1}), {}},
  };
  for (const Case& c : cases) {
    OneFrame f(c.body, "TIPL");
    EXPECT_EQ(f.tag.GetUnicodeListFrame(0, list), !c.lines.empty());
    EXPECT_EQ(list, c.lines);
  }
}

TEST(ID3v2PrivateFrames, BitRate) {
  TID3v2Tag tag;
  ASSERT_TRUE(tag.SetSEBR(u"SEBR", u"~128"));
  // 128 as x87 extended: mantissa 0x8000000000000000, exponent 16383 + 7.
  EXPECT_EQ(Body(*tag.Frames[0]), Cat({B({0, 0, 0, 0, 0, 0, 0, 0x80, 0x06, 0x40}), B("~128")}));
  EXPECT_EQ(tag.GetSEBR(u"SEBR"), 128);
  EXPECT_EQ(tag.GetSEBRString(0), u"~128");
  ASSERT_TRUE(tag.SetSEBR(0, 192.5));
  EXPECT_EQ(tag.GetSEBRString(0), u"192.5");
  EXPECT_EQ(tag.GetSEBR(0), 192.5);
  ASSERT_TRUE(tag.SetSEBR(0, 128.0));
  EXPECT_EQ(tag.GetSEBRString(0), u"128");
  ASSERT_TRUE(tag.SetSEBR(0, u"VBR"));
  EXPECT_EQ(tag.GetSEBR(0), 0);
  OneFrame text_only(Cat({Bytes(10, 0), B("~96.5")}), "SEBR");
  EXPECT_EQ(text_only.tag.GetSEBR(0), 96.5);
  for (double value : {1.0, -3.25, 1e300, 5e-324, 0.1}) {
    TID3v2Tag t;
    t.SetSEBR(u"SEBR", value);
    EXPECT_EQ(t.GetSEBR(u"SEBR"), value);
  }
}

TEST(ID3v2PrivateFrames, SampleCacheCounterColours) {
  TID3v2Tag tag;
  const TID3v2SampleCache cache = B(std::string(500, 'q') + "end");
  const int32_t sesc = tag.AddFrame(u"SESC");
  ASSERT_TRUE(tag.SetSampleCache(sesc, cache, 6));
  EXPECT_TRUE(tag.Frames[sesc]->Compressed);
  TID3v2Tag loaded;
  ASSERT_EQ(LoadBytes(loaded, SaveBytes(tag, 0)), 0);
  uint8_t version = 0;
  int32_t channels = 0;
  EXPECT_EQ(loaded.GetSampleCache(0, false, version, channels), cache);
  EXPECT_EQ(version, 2);
  EXPECT_EQ(channels, 6);
  EXPECT_FALSE(loaded.Frames[0]->Compressed);  // the getter decompressed the frame for good
  OneFrame raw(B("plain"), "SESC");
  EXPECT_EQ(raw.tag.GetSampleCache(0, false, version, channels), B("plain"));
  EXPECT_EQ(version, 1);
  EXPECT_EQ(channels, 2);

  ASSERT_TRUE(tag.SetSEFC(tag.AddFrame(u"SEFC"), 9000000000LL));
  EXPECT_EQ(Body(*tag.Frames[1]), Cat({B({1}), B("9000000000")}));
  EXPECT_EQ(tag.GetSEFC(1), 9000000000LL);
  for (const auto& [body, value] : {std::pair{B({0, '5'}), -1LL}, std::pair{B({1, 'x'}), 0LL}, std::pair{Bytes{}, -1LL}}) {
    OneFrame f(body, "SEFC");
    EXPECT_EQ(f.tag.GetSEFC(0), value);
  }

  uint32_t title = 1, text = 1;
  EXPECT_FALSE(tag.GetAlbumColors(u"SECL", title, text));
  EXPECT_EQ(tag.FrameCount, 2);
  ASSERT_TRUE(tag.SetAlbumColors(u"SECL", 0x00FF0000, 0x12345678));
  EXPECT_EQ(Body(*tag.Frames[2]), B({0, 0, 0xFF, 0, 0x78, 0x56, 0x34, 0x12}));
  ASSERT_TRUE(tag.GetAlbumColors(u"SECL", title, text));
  EXPECT_EQ(title, 0x00FF0000u);
  EXPECT_EQ(text, 0x12345678u);
}

}  // namespace
}  // namespace qm::tags::test
