// Time frames and the conversion between date-times and yyyy-MM-ddTHH:mm:ss.
//
// A date-time is a number of days since 1899-12-30 with the time of day as
// the fraction; before that day the whole part counts back and the fraction
// still counts forward from midnight (as the system's date-times do).
#include <cmath>
#include <cstdio>

#include "common/TextCodec.h"
#include "tags/FrameBody.h"
#include "tags/ID3v2Tag.h"

namespace qm::tags {
namespace {

constexpr int64_t kDaysFrom1970To1899 = -25569;  // 1899-12-30 relative to 1970-01-01
constexpr int64_t kMillisecondsPerDay = 86400000;

// Days since 1970-01-01 of a civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

bool IsLeapYear(int64_t y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(int64_t y, unsigned m) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeapYear(y) ? 29 : kDays[m - 1];
}

// The number in characters [from, from + count) of the text (1-based); 0 when
// they are missing or not a number.
int64_t NumberAt(std::u16string_view text, size_t from, size_t count) {
  if (from > text.size()) return 0;
  const std::u16string_view part = text.substr(from - 1, count);
  if (part.empty()) return 0;
  size_t i = part[0] == u'-' || part[0] == u'+' ? 1 : 0;
  if (i == part.size()) return 0;
  int64_t value = 0;
  for (; i < part.size(); ++i) {
    if (part[i] < u'0' || part[i] > u'9') return 0;
    value = value * 10 + (part[i] - u'0');
  }
  return part[0] == u'-' ? -value : value;
}

}  // namespace

std::u16string DateTimeToTimeText(double DateTime) {
  if (!std::isfinite(DateTime) || std::fabs(DateTime) > 3e6) return {};
  const double whole = std::trunc(DateTime);
  auto milliseconds = static_cast<int64_t>(std::llround(std::fabs(DateTime - whole) * kMillisecondsPerDay));
  auto days = static_cast<int64_t>(whole);
  if (milliseconds >= kMillisecondsPerDay) milliseconds = kMillisecondsPerDay - 1;
  int64_t year = 0;
  unsigned month = 0, day = 0;
  CivilFromDays(days + kDaysFrom1970To1899, year, month, day);
  // Only the years that the text and its reader describe.
  if (year < 1 || year > 9999) return {};
  const int64_t seconds = milliseconds / 1000;
  char text[64];
  std::snprintf(text, sizeof text, "%02lld-%02u-%02uT%02lld:%02lld:%02lld", static_cast<long long>(year), month,
                day, static_cast<long long>(seconds / 3600), static_cast<long long>(seconds / 60 % 60),
                static_cast<long long>(seconds % 60));
  return qm::text::DecodeUsAscii(text);
}

double TimeTextToDateTime(std::u16string_view TimeText) {
  int64_t year = NumberAt(TimeText, 1, 4), month = NumberAt(TimeText, 6, 2), day = NumberAt(TimeText, 9, 2);
  const int64_t hour = NumberAt(TimeText, 12, 2), minute = NumberAt(TimeText, 15, 2),
                second = NumberAt(TimeText, 18, 2);
  if (year == 0) year = 2000;
  if (month == 0) month = 1;
  if (day == 0) day = 1;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, static_cast<unsigned>(month)) || hour < 0 || hour > 23 || minute < 0 ||
      minute > 59 || second < 0 || second > 59) {
    return 0;
  }
  const int64_t days = DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                       kDaysFrom1970To1899;
  const double time = static_cast<double>(hour * 3600 + minute * 60 + second) / 86400.0;
  // Before 1899-12-30 the fraction still counts forward from midnight.
  return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

double TID3v2Tag::GetTime(int32_t FrameIndex) const {
  const TMemoryStream* stream = ReadableBody(FrameIndex);
  if (stream == nullptr) return 0;
  TBodyReader body(stream->View());
  const int encoding = body.Byte();
  std::u16string text;
  switch (encoding) {
    case kLatin: text = DecodeLatin1(body.Rest()); break;
    case kUtf16:
      body.Skip(2);
      text = body.ToZeroUnit(false);
      break;
    case kUtf16BE: text = body.ToZeroUnit(true); break;
    case kUtf8: text = qm::text::DecodeUtf8(body.Rest()); break;
    default:
      body.Seek(0);
      text = DecodeLatin1(body.Rest());
  }
  return TimeTextToDateTime(text);
}

double TID3v2Tag::GetTime(std::u16string_view FrameID) const { return GetTime(FrameExists(FrameID)); }

bool TID3v2Tag::SetTime(int32_t FrameIndex, double DateTime) {
  return SetBody(FrameIndex, TBodyWriter()
                                 .Byte(kLatin)
                                 .Bytes(qm::text::EncodeUsAscii(DateTimeToTimeText(DateTime)))
                                 .Byte(0)
                                 .Result());
}

bool TID3v2Tag::SetTime(std::u16string_view FrameID, double DateTime) {
  return SetTime(FrameIndexForWriting(FrameID), DateTime);
}

}  // namespace qm::tags
