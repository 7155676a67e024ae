#include "formats/nmea_sentence.h"

#include <charconv>

#include "formats/chart_line_reader.h"
#include "formats/decimal_scanner.h"
#include "formats/device_point_line.h"
#include "formats/gpx/gpx_time.h"
#include "formats/line_reader.h"
#include "formats/unicode_text_stream.h"

namespace tessaline::nmea {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }



int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool IsAddressCharacter(char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }

// "*hh" after `body`: None, or why not.
Rejection CheckSum(std::string_view suffix, unsigned sum) {
  if (suffix.size() < 2) return Rejection::Truncated;
  const int high = HexValue(suffix[0]), low = HexValue(suffix[1]);
  if (suffix.size() > 2 || high < 0 || low < 0) return Rejection::Unreadable;
  return static_cast<unsigned>(high * 16 + low) == sum ? Rejection::None : Rejection::Checksum;
}

// Tag blocks "\...*hh\" before the sentence, each with its own checksum;
// `line` is left at what follows them.
Rejection SkipTagBlocks(std::string_view& line) {
  while (!line.empty() && line.front() == '\\') {
    const std::size_t end = line.find('\\', 1);
    if (end == std::string_view::npos) return Rejection::Truncated;
    const std::string_view block = line.substr(1, end - 1);
    const std::size_t star = block.rfind('*');
    if (star == std::string_view::npos) return Rejection::Unreadable;
    unsigned sum = 0;
    for (const char c : block.substr(0, star)) sum ^= static_cast<unsigned char>(c);
    if (const Rejection checked = CheckSum(block.substr(star + 1), sum); checked != Rejection::None) return checked;
    line.remove_prefix(end + 1);
  }
  return Rejection::None;
}

SentenceType TypeOf(std::string_view type) {
  // Three letters as one number: one comparison each.
  auto code = [](const char* letters) {
    return static_cast<unsigned>(static_cast<unsigned char>(letters[0])) << 16 |
           static_cast<unsigned>(static_cast<unsigned char>(letters[1])) << 8 |
           static_cast<unsigned>(static_cast<unsigned char>(letters[2]));
  };
  switch (code(type.data())) {
    case 'R' << 16 | 'M' << 8 | 'C': return SentenceType::Rmc;
    case 'G' << 16 | 'G' << 8 | 'A': return SentenceType::Gga;
    case 'G' << 16 | 'L' << 8 | 'L': return SentenceType::Gll;
    case 'G' << 16 | 'N' << 8 | 'S': return SentenceType::Gns;
    case 'Z' << 16 | 'D' << 8 | 'A': return SentenceType::Zda;
    case 'W' << 16 | 'P' << 8 | 'L': return SentenceType::Wpl;
    case 'R' << 16 | 'T' << 8 | 'E': return SentenceType::Rte;
    default: return SentenceType::Other;
  }
}

// Whole `text` as digits, at most 18 of them.
std::optional<std::uint64_t> Digits(std::string_view text) {
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::uint64_t value = 0;
  for (const char c : text) {
    if (!IsDigit(c)) return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value;
}

std::uint64_t PowerOfTen(std::size_t exponent) {
  std::uint64_t power = 1;
  while (exponent-- > 0) power *= 10;
  return power;
}

// Digits written into a buffer of 24.
struct DigitBuffer {
  char* at;
  std::size_t size;
  void Append(char c) {
    if (size < 24) at[size++] = c;
  }
  // `value` in at least `width` digits, zeros before.
  void Number(std::uint64_t value, int width) {
    char digits[20];
    const char* end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    for (auto n = end - digits; n < width; ++n) Append('0');
    for (const char* c = digits; c != end; ++c) Append(*c);
  }
};

// Fields of each type, up to the last one read.
constexpr std::size_t kRmcFields = 9, kGgaFields = 9, kGllFields = 6, kGnsFields = 9;

// An altitude as written, or Unreadable.
Rejection CheckAltitude(std::string_view text) {
  return text.empty() || ScanDecimal(text) ? Rejection::None : Rejection::Unreadable;
}

// First of two checks that fail, in the order given.
Rejection Either(Rejection first, Rejection second) { return first != Rejection::None ? first : second; }

// A line the device file's reader takes apart: no log line may be one.
bool IsDevicePoint(std::string_view line) {
  DevicePointFields fields;
  return ReadDevicePointLine(line, fields) == DeviceLineProblem::None;
}

}  // namespace

LogLine ReadLogLine(std::string_view line) {
  LogLine read;
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  if (line.empty()) return read;
  if (line.front() == '#') {
    read.kind = LineKind::Comment;
    return read;
  }
  read.kind = LineKind::Sentence;
  if (const Rejection tags = SkipTagBlocks(line); tags != Rejection::None) {
    read.rejection = tags;
    return read;
  }
  // A recorder's prefix ends in a blank before the sentence.
  std::size_t start = 0;
  if (line.empty() || (line.front() != '$' && line.front() != '!')) {
    start = std::string_view::npos;
    for (std::size_t at = 1; at < line.size(); ++at) {
      if ((line[at] == '$' || line[at] == '!') && IsBlank(line[at - 1])) {
        start = at;
        break;
      }
    }
    if (start == std::string_view::npos) {
      read.kind = LineKind::Other;
      read.rejection = Rejection::Unreadable;
      return read;
    }
  }
  const std::string_view sentence = line.substr(start);
  // One pass: the bytes checked and summed up to the "*". The usual
  // sentence ends in "*hh" and holds nothing else to look at: summed at once.
  unsigned sum = 0;
  std::size_t star = std::string_view::npos;
  bool second_start = false;
  if (sentence.size() >= 4 && sentence[sentence.size() - 3] == '*') {
    unsigned special = 0;
    const std::size_t end = sentence.size() - 3;
    for (std::size_t at = 1; at < end; ++at) {
      const auto c = static_cast<unsigned char>(sentence[at]);
      sum ^= c;
      // Comparisons, not a table: the loop then runs on whole vectors.
      special |= static_cast<unsigned>(static_cast<unsigned char>(c - 0x20) > 0x5E) |
                 static_cast<unsigned>(c == '$') | static_cast<unsigned>(c == '*');
    }
    if (special == 0) {
      star = end;
    } else {
      sum = 0;
    }
  }
  for (std::size_t at = star == std::string_view::npos ? 1 : sentence.size(); at < sentence.size(); ++at) {
    const char c = sentence[at];
    if (c < 0x20 || c > 0x7E) {
      read.rejection = Rejection::Unreadable;
      return read;
    }
    if (c == '$') second_start = true;
    if (c == '*' && star == std::string_view::npos) star = at;
    if (star == std::string_view::npos) sum ^= static_cast<unsigned char>(c);
  }
  if (second_start) {
    read.rejection = Rejection::Truncated;
    return read;
  }
  std::string_view body = sentence.substr(1, star == std::string_view::npos ? std::string_view::npos : star - 1);
  if (star != std::string_view::npos) {
    read.checksummed = true;
    read.rejection = CheckSum(sentence.substr(star + 1), sum);
    if (read.rejection != Rejection::None) return read;
  }
  const std::size_t comma = body.find(',');
  read.address = body.substr(0, comma);
  read.fields = comma == std::string_view::npos ? std::string_view() : body.substr(comma + 1);
  if (read.address.empty()) {
    read.rejection = Rejection::Unreadable;
    return read;
  }
  for (const char c : read.address) {
    if (!IsAddressCharacter(c)) {
      read.rejection = Rejection::Unreadable;
      return read;
    }
  }
  read.proprietary = read.address.front() == 'P';
  if (read.proprietary) return read;
  if (read.address.size() != 5) {
    read.rejection = Rejection::Unreadable;
    return read;
  }
  read.type = TypeOf(read.address.substr(2));
  return read;
}

Fields::Fields(std::string_view fields) : text_(fields) {
  starts_[0] = 0;
  for (std::size_t at = 0; at < fields.size(); ++at) {
    if (fields[at] == ',' && count_ + 1 < kMost) starts_[++count_] = static_cast<std::uint32_t>(at + 1);
  }
  starts_[++count_] = static_cast<std::uint32_t>(fields.size() + 1);
}

Rejection ReadAngle(std::string_view value, std::string_view hemisphere, bool latitude, Angle& out) {
  if (value.empty() || hemisphere.empty()) return Rejection::NotValid;
  const std::optional<ScannedDecimal> decimal = ScanDecimal(value);
  if (!decimal || decimal->sign != 0 || decimal->whole.size() < 3 || decimal->whole.size() > 5) {
    return Rejection::Unreadable;
  }
  const char letter = hemisphere.size() == 1 ? hemisphere.front() : 0;
  const bool negative = latitude ? letter == 'S' : letter == 'W';
  if (!(latitude ? letter == 'N' || letter == 'S' : letter == 'E' || letter == 'W')) return Rejection::Unreadable;
  const std::string_view whole = decimal->whole;
  // Twelve decimals of a minute are far below a millimetre; more are dropped.
  const std::string_view fraction = decimal->fraction.substr(0, 12);
  const std::uint64_t degrees = *Digits(whole.substr(0, whole.size() - 2));
  const std::uint64_t scale = PowerOfTen(fraction.size());
  // The minutes in units of 10^-fraction, exact.
  const std::uint64_t minutes =
      *Digits(whole.substr(whole.size() - 2)) * scale + (fraction.empty() ? 0 : *Digits(fraction));
  const std::uint64_t limit = latitude ? 90 : 180;
  if (minutes >= 60 * scale || degrees > limit || (degrees == limit && minutes > 0)) return Rejection::OutOfRange;
  const std::uint64_t divisor = 60 * scale;
  out.degrees_ = degrees;
  out.minutes_ = minutes;
  out.divisor_ = divisor;
  out.negative_ = negative;
  out.size_ = 0;
  const double number = static_cast<double>(degrees) + static_cast<double>(minutes) / static_cast<double>(divisor);
  out.number = negative ? -number : number;
  return Rejection::None;
}

std::string_view Angle::Text() const {
  if (size_ != 0) return std::string_view(digits_.data(), size_);
  // degrees + minutes / divisor to nine decimals: with at most nine
  // decimals of a minute, one division by 60 of the minutes scaled to
  // 10^-9; else digit by digit.
  std::uint64_t rest = 0, ninths = 0, divisor = 60;
  if (divisor_ <= 60000000000) {
    const std::uint64_t scaled = minutes_ * (60000000000 / divisor_);
    ninths = scaled / 60;
    rest = scaled % 60;
  } else {
    divisor = divisor_;
    rest = minutes_;
    for (int digit = 0; digit < 9; ++digit) {
      rest *= 10;
      ninths = ninths * 10 + rest / divisor;
      rest %= divisor;
    }
  }
  std::uint64_t whole_degrees = degrees_;
  if (2 * rest >= divisor && ++ninths == 1000000000) {
    ninths = 0;
    ++whole_degrees;
  }
  DigitBuffer out{digits_.data(), 0};
  if (negative_ && (whole_degrees != 0 || ninths != 0)) out.Append('-');
  out.Number(whole_degrees, 1);
  if (ninths != 0) {
    int width = 9;
    while (ninths % 10 == 0) {
      ninths /= 10;
      --width;
    }
    out.Append('.');
    out.Number(ninths, width);
  }
  size_ = static_cast<std::uint8_t>(out.size);
  return std::string_view(digits_.data(), size_);
}

Rejection ReadTimeOfDay(std::string_view text, TimeOfDay& out) {
  if (text.empty()) return Rejection::NotValid;
  const std::optional<ScannedDecimal> decimal = ScanDecimal(text);
  if (!decimal || decimal->sign != 0 || decimal->whole.size() != 6) return Rejection::Unreadable;
  const std::uint64_t hours = *Digits(decimal->whole.substr(0, 2)), minutes = *Digits(decimal->whole.substr(2, 2)),
                      seconds = *Digits(decimal->whole.substr(4, 2));
  if (hours > 23 || minutes > 59 || seconds > 60) return Rejection::Unreadable;
  out.seconds = static_cast<std::uint32_t>(hours * 3600 + minutes * 60 + seconds);
  const std::string_view fraction = decimal->fraction.substr(0, 9);
  out.digits = static_cast<std::uint8_t>(fraction.size());
  out.nanoseconds =
      fraction.empty() ? 0 : static_cast<std::uint32_t>(*Digits(fraction) * PowerOfTen(9 - fraction.size()));
  return Rejection::None;
}

Rejection ReadFix(SentenceType type, const Fields& fields, Fix& out) {
  out.altitude = {};
  out.day.reset();
  // Where the time, the latitude and the validity are, by type.
  std::size_t time = 0, lat = 1;
  switch (type) {
    case SentenceType::Rmc: {
      if (fields.size() < kRmcFields) return Rejection::Truncated;
      lat = 2;
      if (fields[1] != "A" || fields[11] == "N") return Either(ReadTimeOfDay(fields[0], out.time), Rejection::NotValid);
      if (!fields[8].empty()) {
        const std::optional<std::uint64_t> date = fields[8].size() == 6 ? Digits(fields[8]) : std::nullopt;
        if (!date) return Rejection::Unreadable;
        const auto day = static_cast<unsigned>(*date / 10000), month = static_cast<unsigned>(*date / 100 % 100);
        const auto two_digits = static_cast<std::int64_t>(*date % 100);
        const std::int64_t year = two_digits >= 80 ? 1900 + two_digits : 2000 + two_digits;
        if (!gpx::DateExists(year, month, day)) return Rejection::Unreadable;
        out.day = gpx::DaysFromCivil(year, month, day);
      }
      break;
    }
    case SentenceType::Gga: {
      if (fields.size() < kGgaFields) return Rejection::Truncated;
      const std::optional<std::uint64_t> quality = Digits(fields[5]);
      if (!fields[5].empty() && !quality) return Rejection::Unreadable;
      if (!quality || *quality == 0) return Rejection::NotValid;
      out.altitude = fields[8];
      break;
    }
    case SentenceType::Gll: {
      if (fields.size() < kGllFields) return Rejection::Truncated;
      time = 4;
      lat = 0;
      if (fields[5] != "A" || fields[6] == "N") return Either(ReadTimeOfDay(fields[4], out.time), Rejection::NotValid);
      break;
    }
    case SentenceType::Gns: {
      if (fields.size() < kGnsFields) return Rejection::Truncated;
      // One mode letter per system: valid while one of them is.
      bool valid = false;
      for (const char mode : fields[5]) valid = valid || mode != 'N';
      if (!valid) return Rejection::NotValid;
      out.altitude = fields[8];
      break;
    }
    default: return Rejection::Unreadable;
  }
  const Rejection read =
      Either(Either(ReadTimeOfDay(fields[time], out.time), ReadAngle(fields[lat], fields[lat + 1], true, out.lat)),
             ReadAngle(fields[lat + 2], fields[lat + 3], false, out.lon));
  return Either(read, CheckAltitude(out.altitude));
}

Rejection ReadZda(const Fields& fields, DateOfDay& out) {
  if (fields.size() < 4) return Rejection::Truncated;
  out.day.reset();
  if (const Rejection time = ReadTimeOfDay(fields[0], out.time); time != Rejection::None) return time;
  if (fields[1].empty() && fields[2].empty() && fields[3].empty()) return Rejection::None;
  if (fields[1].size() > 2 || fields[2].size() > 2 || fields[3].size() != 4) return Rejection::Unreadable;
  const auto day = static_cast<unsigned>(Digits(fields[1]).value_or(0)),
             month = static_cast<unsigned>(Digits(fields[2]).value_or(0));
  const auto year = static_cast<std::int64_t>(Digits(fields[3]).value_or(0));
  if (!gpx::DateExists(year, month, day) || !Digits(fields[3])) return Rejection::Unreadable;
  out.day = gpx::DaysFromCivil(year, month, day);
  return Rejection::None;
}

Rejection ReadWpl(const Fields& fields, Waypoint& out) {
  if (fields.size() < 5) return Rejection::Truncated;
  out.name = fields[4];
  return Either(ReadAngle(fields[0], fields[1], true, out.lat), ReadAngle(fields[2], fields[3], false, out.lon));
}

Rejection ReadRte(const Fields& fields, RoutePart& out) {
  if (fields.size() < RoutePart::first_name) return Rejection::Truncated;
  if (fields[0].size() > 3 || fields[1].size() > 3) return Rejection::Unreadable;
  const std::uint64_t total = Digits(fields[0]).value_or(0), number = Digits(fields[1]).value_or(0);
  if (number == 0 || number > total) return Rejection::Unreadable;
  out.total = static_cast<std::uint32_t>(total);
  out.number = static_cast<std::uint32_t>(number);
  out.id = fields[3];
  return Rejection::None;
}

std::optional<bool> IsNmeaLog(InputStream& input) {
  UnicodeTextStream text(input);
  LineReader lines(text, 64 * 1024, LineEnds::Any);
  std::string_view line;
  bool checked = false;
  for (int looked = 0; looked < 20 && lines.Next(line);) {
    const LogLine read = ReadLogLine(line);
    if (read.kind == LineKind::Blank || read.kind == LineKind::Comment) continue;
    ++looked;
    if (read.kind == LineKind::Sentence) {
      checked = checked || (read.checksummed && read.rejection == Rejection::None);
      continue;
    }
    // A chart or device file is never taken for a log, whatever else it holds.
    if (KindOfChartLine(line) != ChartLineKind::Other || IsDevicePoint(line)) return false;
  }
  if (lines.Failed()) return std::nullopt;
  return checked;
}

std::optional<std::int64_t> ReadIsoDate(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  if (!Digits(text.substr(0, 4))) return std::nullopt;
  const auto year = static_cast<std::int64_t>(Digits(text.substr(0, 4)).value_or(0));
  const auto month = static_cast<unsigned>(Digits(text.substr(5, 2)).value_or(0)),
             day = static_cast<unsigned>(Digits(text.substr(8, 2)).value_or(0));
  if (!gpx::DateExists(year, month, day)) return std::nullopt;
  return gpx::DaysFromCivil(year, month, day);
}

}  // namespace tessaline::nmea
