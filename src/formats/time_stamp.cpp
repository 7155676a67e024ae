#include "formats/time_stamp.h"

#include <charconv>

namespace tessaline {

namespace {

// `value` in decimal, padded on the left to `width` with `pad` (no padding
// when pad is 0).
void AppendNumber(std::string& out, int value, int width, char pad) {
  char buffer[16];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  const int length = static_cast<int>(result.ptr - buffer);
  if (pad != 0 && length < width) out.append(static_cast<std::size_t>(width - length), pad);
  out.append(buffer, result.ptr);
}

int TwelveHour(int hour) {
  const int h = hour % 12;
  return h == 0 ? 12 : h;
}

char ToUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char ToLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

void AppendTime(std::string& out, const LocalTime& time, std::string_view format,
                const RegionalSettings& regional, int depth) {
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      continue;
    }
    const std::size_t directive_start = i;
    char flag = 0;
    std::size_t j = i + 1;
    if (j < format.size() && (format[j] == '-' || format[j] == '_' || format[j] == '0' ||
                              format[j] == '^')) {
      flag = format[j++];
    }
    if (j < format.size() && (format[j] == 'E' || format[j] == 'O')) ++j;
    if (j >= format.size()) {  // a lone "%" at the end
      out.append(format.substr(directive_start));
      return;
    }
    i = j;
    auto number = [&](int value, char default_pad) {
      const char pad = flag == '-' ? 0 : flag == '_' ? ' ' : flag == '0' ? '0' : default_pad;
      AppendNumber(out, value, 2, pad);
    };
    auto text = [&](const std::string& word, bool lower) {
      for (char w : word) out += flag == '^' ? ToUpper(w) : lower ? ToLower(w) : w;
    };
    // The composite directives expand once; they never nest deeper.
    auto composite = [&](std::string_view expansion) {
      if (depth == 0) AppendTime(out, time, expansion, regional, depth + 1);
    };
    switch (format[j]) {
      case 'H': number(time.hour, '0'); break;
      case 'k': number(time.hour, ' '); break;
      case 'I': number(TwelveHour(time.hour), '0'); break;
      case 'l': number(TwelveHour(time.hour), ' '); break;
      case 'M': number(time.minute, '0'); break;
      case 'S': number(time.second, '0'); break;
      case 'p': text(time.hour < 12 ? regional.am : regional.pm, false); break;
      case 'P': text(time.hour < 12 ? regional.am : regional.pm, true); break;
      case 'T': composite("%H:%M:%S"); break;
      case 'R': composite("%H:%M"); break;
      case 'r': composite("%I:%M:%S %p"); break;
      case 'n': out += '\n'; break;
      case 't': out += '\t'; break;
      case '%': out += '%'; break;
      default: out.append(format.substr(directive_start, j + 1 - directive_start)); break;
    }
  }
}

}  // namespace

std::string DateText(const LocalTime& time, const RegionalSettings& regional) {
  std::string out;
  AppendNumber(out, time.day, 2, '0');
  out += regional.date_separator;
  AppendNumber(out, time.month, 2, '0');
  out += regional.date_separator;
  AppendNumber(out, time.year, 4, '0');
  return out;
}

std::string TimeText(const LocalTime& time, std::string_view format,
                     const RegionalSettings& regional) {
  std::string out;
  AppendTime(out, time, format, regional, 0);
  return out;
}

std::string Stamp(const LocalTime& time, const RegionalSettings& regional) {
  return DateText(time, regional) + " " + TimeText(time, regional.long_time_format, regional);
}

const std::string& StampOfNow::Now() {
  const LocalTime now = clock_.Now();
  if (!time_ || !(*time_ == now)) {
    stamp_ = Stamp(now, regional_);
    time_ = now;
  }
  return stamp_;
}

}  // namespace tessaline
